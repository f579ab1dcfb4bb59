// The scene checker against files written by lib3ds, hand-built malformed
// files, and mutations; whatever it accepts must load safely in lib3ds.
#include <gtest/gtest.h>
#include <lib3ds/chunk.h>
#include <lib3ds/file.h>
#include <lib3ds/light.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <random>
#include <string>

#include "chunkbytes.h"
#include "lib3dsprobe.h"
#include "scenecheck.h"

using robust::Bytes;
using robust::LoadInChild;
using robust::LoadOutcome;

namespace {

typedef std::function<void(ChunkBytes &)> Body;

struct Verdict {
    bool accepted;
    std::string why;
};

Verdict Check(const Bytes &bytes)
{
    char why[256];
    const int ok = Check3dsBuffer(bytes.data(), bytes.size(), why, sizeof why);
    return {ok == 1, why};
}

// A file: version, LIB3DS_MDATA with mdata's chunks, LIB3DS_KFDATA with kfdata's when given.
Bytes Scene(const Body &mdata, const Body &kfdata = Body())
{
    ChunkBytes c;
    c.Begin(LIB3DS_M3DMAGIC)
        .Begin(LIB3DS_M3D_VERSION)
        .U32(3)
        .End()
        .Begin(LIB3DS_MDATA)
        .Begin(LIB3DS_MESH_VERSION)
        .U32(3)
        .End();
    if (mdata) mdata(c);
    c.End();
    if (kfdata) {
        c.Begin(LIB3DS_KFDATA);
        kfdata(c);
        c.End();
    }
    return c.End().bytes;
}

void Points(ChunkBytes &c, unsigned count)
{
    c.Begin(LIB3DS_POINT_ARRAY).U16(count);
    for (unsigned i = 0; i < count * 3; i++) c.F32(float(i % 7));
    c.End();
}

// A face list; faces' corners as given, then sub-chunks from more.
void Faces(ChunkBytes &c, const std::vector<std::array<unsigned, 3>> &faces,
           const Body &more = Body())
{
    c.Begin(LIB3DS_FACE_ARRAY).U16(faces.size());
    for (const auto &f : faces) c.U16(f[0]).U16(f[1]).U16(f[2]).U16(7);
    if (more) more(c);
    c.End();
}

// A named object holding a mesh with body's chunks.
Body Mesh(const std::string &name, const Body &body)
{
    return [=](ChunkBytes &c) {
        c.Begin(LIB3DS_NAMED_OBJECT).Str(name).Begin(LIB3DS_N_TRI_OBJECT);
        body(c);
        c.End().End();
    };
}

Body Triangle(unsigned points, unsigned a, unsigned b, unsigned cc)
{
    return Mesh("Tri", [=](ChunkBytes &c) {
        Points(c, points);
        Faces(c, {{a, b, cc}});
    });
}

// A keyframer node; id < 0 leaves out the LIB3DS_NODE_ID chunk.
void NodeChunk(ChunkBytes &c, const std::string &name, int id, unsigned parent,
               const Body &more = Body())
{
    c.Begin(LIB3DS_OBJECT_NODE_TAG);
    if (id >= 0) c.Begin(LIB3DS_NODE_ID).U16(id).End();
    c.Begin(LIB3DS_NODE_HDR).Str(name).U16(0).U16(0).U16(parent).End();
    if (more) more(c);
    c.End();
}

const int64_t KeysAsGiven = -(int64_t(1) << 40);

// A position track with keys at these frames, and their count or another.
Body PositionTrack(const std::vector<int> &frames, int64_t count = KeysAsGiven)
{
    return [=](ChunkBytes &c) {
        c.Begin(LIB3DS_POS_TRACK_TAG)
            .U16(0)
            .U32(0)
            .U32(0)
            .U32(uint32_t(count == KeysAsGiven ? int64_t(frames.size()) : count));
        for (int f : frames) c.U32(f).U16(0).F32(1).F32(2).F32(3);
        c.End();
    };
}

#define EXPECT_REFUSED(bytes, reasonPart)                                                          \
    do {                                                                                           \
        const Verdict v_ = Check(bytes);                                                           \
        EXPECT_FALSE(v_.accepted) << "accepted, expected a refusal mentioning: " << reasonPart;    \
        EXPECT_NE(v_.why.find(reasonPart), std::string::npos) << "reason: " << v_.why;             \
    } while (0)

// Accepted, and lib3ds loads, evaluates and frees it reading inside the data.
#define EXPECT_SAFE_ACCEPTED(bytes)                                                                \
    do {                                                                                           \
        const Bytes b_ = (bytes);                                                                  \
        const Verdict v_ = Check(b_);                                                              \
        EXPECT_TRUE(v_.accepted) << "refused: " << v_.why;                                         \
        if (v_.accepted) {                                                                         \
            const LoadOutcome o_ = LoadInChild(b_);                                                \
            EXPECT_EQ(o_, LoadOutcome::Loaded) << robust::Describe(o_);                            \
        }                                                                                          \
    } while (0)

TEST(CheckerAccepts, WhatLib3dsWrites)
{
    const Bytes rich = robust::RichSceneBytes();
    ASSERT_GT(rich.size(), 1000u);
    EXPECT_SAFE_ACCEPTED(rich);
}

TEST(CheckerAccepts, SmallHandBuiltScenes)
{
    EXPECT_SAFE_ACCEPTED(Scene(Body()));
    EXPECT_SAFE_ACCEPTED(Scene(Triangle(3, 0, 1, 2)));
    // A mesh with points and no faces, and one with neither.
    EXPECT_SAFE_ACCEPTED(Scene(Mesh("Cloud", [](ChunkBytes &c) { Points(c, 5); })));
    EXPECT_SAFE_ACCEPTED(Scene(Mesh("Empty", [](ChunkBytes &) {})));
    // The top chunk may be LIB3DS_MDATA itself.
    ChunkBytes mdataOnly;
    mdataOnly.Begin(LIB3DS_MDATA).Begin(LIB3DS_MESH_VERSION).U32(3).End().End();
    EXPECT_SAFE_ACCEPTED(mdataOnly.bytes);
}

TEST(CheckerRefuses, EmptyShortAndForeignFiles)
{
    EXPECT_REFUSED(Bytes(), "too short");
    EXPECT_REFUSED(Bytes({0x4D, 0x4D, 6, 0, 0}), "too short");
    EXPECT_REFUSED(Bytes({'G', 'I', 'F', '8', '9', 'a', 0, 0}), "not a 3DS file");
    EXPECT_REFUSED(Bytes({0x4D, 0x4D, 5, 0, 0, 0}), "below 6");
    char why[64];
    EXPECT_EQ(Check3dsBuffer(NULL, 100, why, sizeof why), 0);
    // A null reason buffer is allowed, and a tiny one is cut, not overrun.
    EXPECT_EQ(Check3dsBuffer(NULL, 0, NULL, 0), 0);
    char tiny[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(Check3dsBuffer(NULL, 0, tiny, 3), 0);
    EXPECT_EQ(tiny[2], '\0');
    EXPECT_EQ(tiny[3], 'x');
}

TEST(CheckerRefuses, EveryCutOfAFile)
{
    const Bytes rich = robust::RichSceneBytes();
    for (size_t n = 0; n < rich.size(); n++) {
        const Bytes cut(rich.begin(), rich.begin() + n);
        ASSERT_FALSE(Check(cut).accepted)
            << "accepted the first " << n << " of " << rich.size() << " bytes";
    }
    EXPECT_REFUSED(Bytes(rich.begin(), rich.end() - 1), "truncated");
}

TEST(CheckerRefuses, SpotProjectorAsLib3dsWritesIt)
{
    // lib3ds gives the projector chunk a length of 4 data bytes and writes the
    // whole name after it: the rest of the name is then read as a chunk.
    Lib3dsFile *file = lib3ds_file_new();
    Lib3dsLight *spot = lib3ds_light_new("Spot01");
    spot->spot_light = LIB3DS_TRUE;
    spot->use_projector = LIB3DS_TRUE;
    strcpy(spot->projector, "slide.png");
    lib3ds_file_insert_light(file, spot);
    const Bytes bytes = robust::Lib3dsWrite(file);
    lib3ds_file_free(file);
    EXPECT_REFUSED(bytes, "projector image name has no terminator");
}

// lib3ds never reads them: padding, or whatever a tool appended.
TEST(CheckerAccepts, BytesAfterTheMainChunk)
{
    for (const Bytes &tail : {Bytes(1, 0), Bytes(5, 0xFF), robust::RichSceneBytes()}) {
        Bytes padded = Scene(Triangle(3, 0, 1, 2));
        padded.insert(padded.end(), tail.begin(), tail.end());
        EXPECT_SAFE_ACCEPTED(padded);
    }
}

TEST(ChunkStructure, ZeroLengthSubChunkThatHangsLib3ds)
{
    ChunkBytes c;
    c.Begin(LIB3DS_M3DMAGIC).Begin(LIB3DS_MDATA).Begin(0x1234, 0).End().End().End();
    EXPECT_REFUSED(c.bytes, "below 6");
    EXPECT_EQ(LoadInChild(c.bytes, 2), LoadOutcome::Hung) << "the hazard this rule is for";
}

TEST(ChunkStructure, ChunksThatLib3dsReadsLieInsideTheirParent)
{
    // A child claiming more than its parent holds, by one byte.
    ChunkBytes longer;
    longer.Begin(LIB3DS_M3DMAGIC)
        .Begin(LIB3DS_MDATA)
        .Begin(LIB3DS_MESH_VERSION, 11)
        .U32(3)
        .End()
        .End()
        .Begin(LIB3DS_KFDATA)
        .End()
        .End();
    EXPECT_REFUSED(longer.bytes, "runs past its parent");
    // A few bytes left at a parent's end, read as the header of a chunk that
    // lib3ds knows there.
    ChunkBytes stray;
    stray.Begin(LIB3DS_M3DMAGIC)
        .Begin(LIB3DS_MDATA)
        .Begin(LIB3DS_MESH_VERSION)
        .U32(3)
        .End()
        .U16(LIB3DS_MESH_VERSION)
        .U8(9)
        .End();
    stray.Begin(LIB3DS_KFDATA).End().End();
    EXPECT_REFUSED(stray.bytes, "runs past its parent");
    // ... or as a header past the end of the file.
    for (int bytes = 1; bytes < 6; bytes++) {
        ChunkBytes c;
        c.Begin(LIB3DS_M3DMAGIC).Begin(LIB3DS_MDATA).Begin(LIB3DS_MESH_VERSION).U32(3).End();
        for (int i = 0; i < bytes; i++) c.U8(0);
        c.End().End();
        EXPECT_REFUSED(c.bytes, "past the end of the file");
    }
}

TEST(ChunkStructure, WhatLib3dsSkipsMayRunPastItsParent)
{
    // An id lib3ds does not know there: it reads the header, steps past the
    // parent's end and goes on after the parent.
    ChunkBytes unknown;
    unknown.Begin(LIB3DS_M3DMAGIC).Begin(LIB3DS_MDATA).Begin(0x1234, 40).U32(1).End().End();
    unknown.Begin(LIB3DS_KFDATA).Begin(0xB00A).U16(5).Str("x").U32(100).End().End().End();
    EXPECT_SAFE_ACCEPTED(unknown.bytes);
    // The same with a length that reaches far beyond the file.
    ChunkBytes far;
    far.Begin(LIB3DS_M3DMAGIC).Begin(LIB3DS_MDATA).Begin(0x1234, 0xFFFFFFF0u).End().End().End();
    EXPECT_SAFE_ACCEPTED(far.bytes);
    // Zero bytes at a parent's end read as id 0, which ends the list.
    ChunkBytes zeros;
    zeros.Begin(LIB3DS_M3DMAGIC)
        .Begin(LIB3DS_MDATA)
        .Begin(LIB3DS_MESH_VERSION)
        .U32(3)
        .End()
        .U16(0)
        .U16(0)
        .End();
    zeros.Begin(LIB3DS_KFDATA).End().End();
    EXPECT_SAFE_ACCEPTED(zeros.bytes);
    // Id 0 ends the list: what follows is never read, not even a chunk of
    // length 0 that would hang lib3ds.
    ChunkBytes idZero;
    idZero.Begin(LIB3DS_M3DMAGIC)
        .Begin(LIB3DS_MDATA)
        .Leaf(0x0000, {1, 2})
        .Begin(0x1234, 0)
        .End()
        .End()
        .End();
    EXPECT_SAFE_ACCEPTED(idZero.bytes);
}

TEST(ChunkStructure, ALengthThatWrapsTheReadersOffsetLoops)
{
    // The second chunk's length wraps lib3ds's 32-bit offset back to the first.
    ChunkBytes c;
    c.Begin(LIB3DS_M3DMAGIC)
        .Begin(LIB3DS_MDATA)
        .Leaf(0x1234, {})
        .Begin(0x1235, 0xFFFFFFFAu)
        .End()
        .U32(0)
        .End()
        .End();
    EXPECT_REFUSED(c.bytes, "wraps");
    EXPECT_EQ(LoadInChild(c.bytes, 2), LoadOutcome::Hung) << "the hazard this rule is for";
}

TEST(Meshes, FaceCornersMustLieInThePointList)
{
    EXPECT_SAFE_ACCEPTED(Scene(Triangle(3, 0, 1, 2)));
    EXPECT_REFUSED(Scene(Triangle(3, 0, 1, 3)), "uses point 3 of 3");
    EXPECT_REFUSED(Scene(Triangle(3, 65535, 1, 2)), "uses point 65535 of 3");
    EXPECT_REFUSED(Scene(Mesh("NoPoints",
                              [](ChunkBytes &c) {
                                  Faces(c, {{0, 0, 0}});
                              })),
                   "faces without points");
    // The last point list is the one lib3ds keeps, whatever the order.
    EXPECT_REFUSED(Scene(Mesh("Shrunk",
                              [](ChunkBytes &c) {
                                  Points(c, 3);
                                  Faces(c, {{0, 1, 2}});
                                  Points(c, 2);
                              })),
                   "uses point 2 of 2");
    EXPECT_SAFE_ACCEPTED(Scene(Mesh("FacesFirst", [](ChunkBytes &c) {
        Faces(c, {{0, 1, 2}});
        Points(c, 3);
    })));
    // An empty face list needs no points.
    EXPECT_SAFE_ACCEPTED(Scene(Mesh("NoFaces", [](ChunkBytes &c) { Faces(c, {}); })));
}

TEST(Meshes, CountsMustFitTheirChunk)
{
    // A count far beyond the data, as a hostile file would give it.
    ChunkBytes c;
    c.Begin(LIB3DS_M3DMAGIC)
        .Begin(LIB3DS_MDATA)
        .Begin(LIB3DS_NAMED_OBJECT)
        .Str("Big")
        .Begin(LIB3DS_N_TRI_OBJECT);
    c.Begin(LIB3DS_POINT_ARRAY).U16(65535).F32(0).F32(0).F32(0).End().End().End().End().End();
    EXPECT_REFUSED(c.bytes, "for 65535 entries");
    EXPECT_REFUSED(Scene(Mesh("Uv",
                              [](ChunkBytes &m) {
                                  Points(m, 3);
                                  m.Begin(LIB3DS_TEX_VERTS).U16(3).F32(0).F32(0).End();
                              })),
                   "for 3 entries of 8");
    EXPECT_REFUSED(
        Scene(Mesh("Faces",
                   [](ChunkBytes &m) {
                       Points(m, 3);
                       m.Begin(LIB3DS_FACE_ARRAY).U16(2).U16(0).U16(1).U16(2).U16(0).End();
                   })),
        "the face list needs 16 bytes");
    EXPECT_REFUSED(Scene(Mesh("Smooth",
                              [](ChunkBytes &m) {
                                  Points(m, 3);
                                  Faces(m, {{0, 1, 2}, {0, 2, 1}}, [](ChunkBytes &f) {
                                      f.Begin(LIB3DS_SMOOTH_GROUP).U32(1).End();
                                  });
                              })),
                   "smoothing groups for 2 faces");
}

TEST(Meshes, MaterialGroupsNameExistingFaces)
{
    auto grouped = [](unsigned index) {
        return Scene(Mesh("Grouped", [=](ChunkBytes &m) {
            Points(m, 3);
            Faces(m, {{0, 1, 2}, {2, 1, 0}}, [=](ChunkBytes &f) {
                f.Begin(LIB3DS_MSH_MAT_GROUP).Str("Red").U16(2).U16(0).U16(index).End();
            });
        }));
    };
    EXPECT_SAFE_ACCEPTED(grouped(1));
    EXPECT_REFUSED(grouped(2), "names face 2 of 2");
    EXPECT_REFUSED(grouped(40000), "names face 40000 of 2");
    // A group claiming more members than it holds.
    EXPECT_REFUSED(Scene(Mesh("Short",
                              [](ChunkBytes &m) {
                                  Points(m, 3);
                                  Faces(m, {{0, 1, 2}}, [](ChunkBytes &f) {
                                      f.Begin(LIB3DS_MSH_MAT_GROUP).Str("Red").U16(9).U16(0).End();
                                  });
                              })),
                   "for 9 face indices");
}

TEST(Meshes, BoxMapNamesAreTerminated)
{
    auto boxed = [](int terminatedNames) {
        return Scene(Mesh("Boxed", [=](ChunkBytes &m) {
            Points(m, 3);
            Faces(m, {{0, 1, 2}}, [=](ChunkBytes &f) {
                f.Begin(LIB3DS_MSH_BOXMAP);
                for (int i = 0; i < terminatedNames; i++) f.Str("side.png");
                if (terminatedNames < 6) f.Chars("unterminated");
                f.End();
            });
        }));
    };
    EXPECT_SAFE_ACCEPTED(boxed(6));
    EXPECT_REFUSED(boxed(5), "box map name has no terminator");
}

// Counts smaller than their chunk, unknown chunks among the faces' own:
// lib3ds reads what the counts say and skips the rest.
TEST(Meshes, SlackAfterWhatLib3dsReads)
{
    EXPECT_SAFE_ACCEPTED(Scene(Mesh("Slack", [](ChunkBytes &m) {
        m.Begin(LIB3DS_POINT_ARRAY).U16(3);
        for (int i = 0; i < 12; i++) m.F32(float(i));
        m.End();
        // As an exporter wrote it: 7 point flags in a chunk of 772 bytes.
        m.Begin(LIB3DS_POINT_FLAG_ARRAY).U16(3).Raw(Bytes(770, 0x07)).End();
        m.Begin(LIB3DS_TEX_VERTS).U16(3).Raw(Bytes(30, 0x3F)).End();
        Faces(m, {{0, 1, 2}}, [](ChunkBytes &f) {
            f.Begin(LIB3DS_SMOOTH_GROUP).U32(1).U32(2).End();
            f.Begin(LIB3DS_MSH_MAT_GROUP).Str("Red").U16(1).U16(0).U16(0).End();
            f.Begin(0x4155).U32(7).End();
        });
    })));
}

TEST(Meshes, MillionFacesWrittenByLib3dsAreReadInPartQuickly)
{
    // 3DS counts are 16 bits: lib3ds writes the low half of the count and all
    // the faces, which a reader then takes for sub-chunks. Here the first face
    // beyond the count reads as id 0, which ends them.
    Lib3dsFile *file = lib3ds_file_new();
    Lib3dsMesh *mesh = lib3ds_mesh_new("Huge");
    lib3ds_mesh_new_point_list(mesh, 3);
    const unsigned faces = 1000000;
    lib3ds_mesh_new_face_list(mesh, faces);
    for (unsigned i = 0; i < faces; i++) {
        mesh->faceL[i].points[1] = 1;
        mesh->faceL[i].points[2] = 2;
    }
    lib3ds_file_insert_mesh(file, mesh);
    const Bytes bytes = robust::Lib3dsWrite(file);
    lib3ds_file_free(file);
    ASSERT_GT(bytes.size(), 8u * faces);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(Check(bytes).accepted);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(LoadInChild(bytes), LoadOutcome::Loaded);
}

TEST(Names, SixtyFourCharactersWithoutTerminatorAreRefused)
{
    const std::string longest(63, 'n'), tooLong(64, 'n');
    EXPECT_SAFE_ACCEPTED(Scene(Mesh(longest, [](ChunkBytes &) {})));
    EXPECT_REFUSED(Scene(Mesh(tooLong, [](ChunkBytes &) {})),
                   "object name is longer than 63 characters");
    // No terminator before the chunk ends.
    ChunkBytes open;
    open.Begin(LIB3DS_M3DMAGIC)
        .Begin(LIB3DS_MDATA)
        .Begin(LIB3DS_NAMED_OBJECT)
        .Chars("abc")
        .End()
        .End()
        .End();
    EXPECT_REFUSED(open.bytes, "object name has no terminator");
    auto node = [](const std::string &name) {
        return Scene(Body(), [=](ChunkBytes &c) { NodeChunk(c, name, 0, 65535); });
    };
    EXPECT_SAFE_ACCEPTED(node(longest));
    EXPECT_REFUSED(node(tooLong), "node name is longer than 63");
}

TEST(Names, TextureNameOf63CharactersIsAccepted)
{
    auto material = [](const std::string &image) {
        return Scene([=](ChunkBytes &c) {
            c.Begin(LIB3DS_MAT_ENTRY).Begin(LIB3DS_MAT_NAME).Str("Skin").End();
            c.Begin(LIB3DS_MAT_TEXMAP).Begin(LIB3DS_MAT_MAPNAME).Str(image).End().End().End();
        });
    };
    EXPECT_SAFE_ACCEPTED(material(std::string(59, 't') + ".png"));
    EXPECT_REFUSED(material(std::string(60, 't') + ".png"), "image name is longer than 63");
}

TEST(Materials, TwoThousandAreAcceptedAndTooManyRefused)
{
    auto withMaterials = [](int count) {
        Lib3dsFile *file = lib3ds_file_new();
        for (int i = 0; i < count; i++) {
            Lib3dsMaterial *m = lib3ds_material_new();
            snprintf(m->name, sizeof m->name, "Material%05d", i);
            lib3ds_file_insert_material(file, m);
        }
        const Bytes bytes = robust::Lib3dsWrite(file);
        lib3ds_file_free(file);
        return bytes;
    };
    EXPECT_SAFE_ACCEPTED(withMaterials(2000));
    EXPECT_REFUSED(withMaterials(scenelimits::MaxListLength + 1), "more than 8192 materials");
}

TEST(Nodes, ParentsFormNoLoop)
{
    auto nodes = [](const std::vector<std::pair<int, unsigned>> &idAndParent) {
        return Scene(Body(), [=](ChunkBytes &c) {
            int i = 0;
            for (const auto &n : idAndParent)
                NodeChunk(c, "N" + std::to_string(i++), n.first, n.second);
        });
    };
    const Bytes self = nodes({{5, 5}});
    EXPECT_REFUSED(self, "its own ancestor");
    EXPECT_EQ(LoadInChild(self), LoadOutcome::Crashed) << "the hazard this rule is for";
    EXPECT_REFUSED(nodes({{1, 2}, {2, 1}}), "its own ancestor");
    EXPECT_REFUSED(nodes({{1, 2}, {2, 3}, {3, 4}, {4, 1}, {9, 65535}}), "its own ancestor");
    EXPECT_REFUSED(nodes({{1, 65535}, {1, 65535}}), "share id 1");
    // A parent that does not exist leaves the node at the top level.
    EXPECT_SAFE_ACCEPTED(nodes({{1, 65535}, {2, 7}}));
    // Children may come before their parents.
    EXPECT_SAFE_ACCEPTED(nodes({{3, 2}, {2, 1}, {1, 65535}}));
    // Without LIB3DS_NODE_ID a node's id is its position in the keyframer section:
    // here the second node is 1, and the first names it as parent.
    EXPECT_SAFE_ACCEPTED(nodes({{-1, 1}, {-1, 65535}}));
    EXPECT_REFUSED(nodes({{-1, 0}}), "its own ancestor");
    EXPECT_REFUSED(nodes({{-1, 65535}, {0, 65535}}), "share id 0");
    // A node without header gets parent 0: its own when its id is 0.
    auto headerless = [](unsigned id) {
        return Scene(Body(), [=](ChunkBytes &c) {
            c.Begin(LIB3DS_OBJECT_NODE_TAG).Begin(LIB3DS_NODE_ID).U16(id).End().End();
        });
    };
    EXPECT_REFUSED(headerless(0), "its own ancestor");
    EXPECT_EQ(LoadInChild(headerless(0)), LoadOutcome::Crashed) << "the hazard this rule is for";
    EXPECT_SAFE_ACCEPTED(headerless(5));
    // Of two ids and two headers, the last ones count.
    auto twice = [](unsigned lastParent) {
        return Scene(Body(), [=](ChunkBytes &c) {
            c.Begin(LIB3DS_OBJECT_NODE_TAG)
                .Begin(LIB3DS_NODE_ID)
                .U16(4)
                .End()
                .Begin(LIB3DS_NODE_ID)
                .U16(7)
                .End();
            c.Begin(LIB3DS_NODE_HDR).Str("A").U16(0).U16(0).U16(65535).End();
            c.Begin(LIB3DS_NODE_HDR).Str("A").U16(0).U16(0).U16(lastParent).End().End();
        });
    };
    EXPECT_SAFE_ACCEPTED(twice(4));
    EXPECT_REFUSED(twice(7), "its own ancestor");
    EXPECT_EQ(LoadInChild(twice(7)), LoadOutcome::Crashed) << "the hazard this rule is for";
}

TEST(Nodes, DeepHierarchies)
{
    auto chain = [](unsigned depth) {
        return Scene(Body(), [=](ChunkBytes &c) {
            for (unsigned i = 0; i < depth; i++) NodeChunk(c, "Link", i, i == 0 ? 65535 : i - 1);
        });
    };
    EXPECT_SAFE_ACCEPTED(chain(scenelimits::MaxNodeDepth));
    EXPECT_REFUSED(chain(scenelimits::MaxNodeDepth + 1), "more than 256 levels deep");
    // 8192 nodes in one chain, the worst for lib3ds's recursive search.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_REFUSED(chain(8192), "levels deep");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    // Wide is fine: many children of one node.
    EXPECT_SAFE_ACCEPTED(Scene(Body(), [](ChunkBytes &c) {
        NodeChunk(c, "Root", 0, 65535);
        for (unsigned i = 1; i < 2000; i++) NodeChunk(c, "Leaf", i, 0);
    }));
}

TEST(Tracks, KeyCountsAndFrames)
{
    auto node = [](const Body &track) {
        return Scene(Body(), [=](ChunkBytes &c) { NodeChunk(c, "Moving", 0, 65535, track); });
    };
    EXPECT_SAFE_ACCEPTED(node(PositionTrack({0, 10, 20})));
    const Bytes huge = node(PositionTrack({0}, 100000000));
    EXPECT_REFUSED(huge, "keys do not fit");
    EXPECT_REFUSED(node(PositionTrack({0, 10}, 3)), "a key needs");
    EXPECT_REFUSED(node(PositionTrack({0, 5000000})), "out of range");
    // lib3ds reads no key for a negative count and as many as the count says,
    // skipping the rest; keys on one frame are kept side by side.
    EXPECT_SAFE_ACCEPTED(node(PositionTrack({0}, -1)));
    EXPECT_SAFE_ACCEPTED(node(PositionTrack({0, 10}, 1)));
    EXPECT_SAFE_ACCEPTED(node(PositionTrack({0, 10, 0})));
    EXPECT_SAFE_ACCEPTED(node(PositionTrack({-100, 4194304})));
    // Keys carrying every optional tcb value.
    EXPECT_SAFE_ACCEPTED(node([](ChunkBytes &c) {
        c.Begin(LIB3DS_POS_TRACK_TAG).U16(1).U32(0).U32(0).U32(2);
        for (int frame : {0, 30}) {
            c.U32(frame).U16(0x1F);
            for (int i = 0; i < 5 + 3; i++) c.F32(0.25f);
        }
        c.End();
    }));
}

// A track chunk of this tag with flags and keys at these frames.
void TrackChunk(ChunkBytes &c, uint16_t tag, unsigned flags, const std::vector<int> &frames)
{
    const size_t value = tag == 0xB020 || tag == 0xB022 || tag == 0xB025 ? 12
                         : tag == 0xB021                                 ? 16
                         : tag == 0xB026 || tag == 0xB029                ? 0
                                                                         : 4;
    c.Begin(tag).U16(flags).U32(0).U32(0).U32(frames.size());
    for (int f : frames) {
        c.U32(f).U16(0).Raw(Bytes(value, 0));
        if (tag == 0xB026) c.Str("Morph");
    }
    c.End();
}

// A keyframer node of this tag with the given chunks after its id and header.
Bytes NodeOfKind(uint16_t tag, const Body &tracks)
{
    return Scene(Body(), [=](ChunkBytes &c) {
        c.Begin(tag)
            .Begin(LIB3DS_NODE_ID)
            .U16(0)
            .End()
            .Begin(LIB3DS_NODE_HDR)
            .Str("N")
            .U16(0)
            .U16(0)
            .U16(65535)
            .End();
        tracks(c);
        c.End();
    });
}

const unsigned Repeat = 1;

// Every track tag in every kind of node, flagged to repeat with both keys on
// one frame: lib3ds wraps the time by the keys' span and, for the tracks it
// reads and evaluates that way, divides by zero and walks off the key list.
// The walk refuses exactly those.
TEST(Tracks, RepeatingWithAllKeysOnOneFrameInEveryKindOfNode)
{
    int refused = 0;
    for (uint16_t node = 0xB001; node <= 0xB007; node++) {
        for (uint16_t track = 0xB020; track <= 0xB029; track++) {
            const Bytes bytes = NodeOfKind(node, [=](ChunkBytes &c) {
                TrackChunk(c, track, Repeat, {4, 4});
            });
            const Verdict verdict = Check(bytes);
            const LoadOutcome outcome = LoadInChild(bytes);
            EXPECT_EQ(verdict.accepted, outcome == LoadOutcome::Loaded)
                << std::hex << "track 0x" << track << " in node 0x" << node << ": lib3ds "
                << outcome << ", walk: " << (verdict.accepted ? "accepted" : verdict.why);
            refused += !verdict.accepted;
        }
    }
    // Position in six kinds of node, colour in three, rotation, scale, fov,
    // roll in three, hotspot and falloff in two each.
    EXPECT_EQ(refused, 19);
}

TEST(Tracks, KeysOfOneTagAddUpAndTheLastFlagsCount)
{
    // The camera's roll in two chunks of one key each, the second flagged to
    // repeat: lib3ds holds both keys on frame 0 in one repeating track.
    const Bytes twoChunks = NodeOfKind(0xB003, [](ChunkBytes &c) {
        TrackChunk(c, 0xB024, 0, {0});
        TrackChunk(c, 0xB024, Repeat, {0});
    });
    EXPECT_REFUSED(twoChunks, "track 0xB024 repeats with all 2 keys on frame 0");
    EXPECT_EQ(LoadInChild(twoChunks), LoadOutcome::Crashed) << "the hazard this rule is for";
    EXPECT_REFUSED(NodeOfKind(0xB003,
                              [](ChunkBytes &c) {
                                  TrackChunk(c, 0xB024, 0, {3, 3});
                                  TrackChunk(c, 0xB024, Repeat, {});
                              }),
                   "repeats");
    // A later chunk's flags that do not repeat win.
    EXPECT_SAFE_ACCEPTED(NodeOfKind(0xB003, [](ChunkBytes &c) {
        TrackChunk(c, 0xB024, Repeat, {3, 3});
        TrackChunk(c, 0xB024, 0, {});
    }));
    // Keys that span frames repeat safely, whatever repeats among them.
    EXPECT_SAFE_ACCEPTED(NodeOfKind(0xB003, [](ChunkBytes &c) {
        TrackChunk(c, 0xB024, Repeat, {0, 5, 5});
        TrackChunk(c, 0xB023, Repeat, {-10, -10, -5});
    }));
}

// lib3ds reads a morph key's name into 11 bytes and refuses a longer one.
TEST(Tracks, MorphTargetNamesOfTenCharacters)
{
    auto morph = [](const std::string &target) {
        return NodeOfKind(0xB002, [=](ChunkBytes &c) {
            c.Begin(0xB026).U16(0).U32(0).U32(0).U32(1).U32(0).U16(0).Str(target).End();
        });
    };
    EXPECT_SAFE_ACCEPTED(morph(std::string(10, 'm')));
    EXPECT_REFUSED(morph(std::string(11, 'm')), "morph target name is longer than 10 characters");
    EXPECT_EQ(LoadInChild(morph(std::string(11, 'm'))), LoadOutcome::Failed)
        << "what this rule is for";
}

TEST(Background, AtMostThreeGradientColoursOfEachKind)
{
    auto gradient = [](int colours, int linear) {
        return Scene([=](ChunkBytes &c) {
            c.Begin(LIB3DS_V_GRADIENT).F32(0.5f);
            for (int i = 0; i < colours; i++) c.Begin(LIB3DS_COLOR_F).F32(1).F32(0).F32(0).End();
            for (int i = 0; i < linear; i++) c.Begin(LIB3DS_LIN_COLOR_F).F32(1).F32(0).F32(0).End();
            c.End();
        });
    };
    EXPECT_SAFE_ACCEPTED(gradient(3, 3));
    EXPECT_REFUSED(gradient(4, 0), "more than three gradient colours");
    EXPECT_REFUSED(gradient(0, 4), "more than three gradient colours");
    EXPECT_EQ(LoadInChild(gradient(8, 0)), LoadOutcome::Crashed) << "the hazard this rule is for";
}

TEST(CheckFile, OpensReadsAndRefusesWhatItCannot)
{
    char dir[] = "/tmp/robust-checkXXXXXX";
    ASSERT_TRUE(mkdtemp(dir));
    const std::string good = std::string(dir) + "/good.3ds", big = std::string(dir) + "/big.3ds";
    ASSERT_TRUE(robust::WriteBytes(good, robust::RichSceneBytes()));
    char why[128];
    EXPECT_EQ(Check3dsFile(good.c_str(), why, sizeof why), 1) << why;
    EXPECT_EQ(Check3dsFile((std::string(dir) + "/missing.3ds").c_str(), why, sizeof why), 0);
    EXPECT_STREQ(why, "cannot open the file");
    EXPECT_EQ(Check3dsFile(dir, why, sizeof why), 0);
    EXPECT_STREQ(why, "cannot read the file");
    // Beyond the size limit: refused after reading no more than the limit.
    ASSERT_TRUE(robust::WriteBytes(big, robust::RichSceneBytes()));
    ASSERT_EQ(truncate(big.c_str(), off_t(scenelimits::MaxFileBytes) + 4096), 0);
    EXPECT_EQ(Check3dsFile(big.c_str(), why, sizeof why), 0);
    EXPECT_NE(std::string(why).find("larger than"), std::string::npos) << why;
    unlink(good.c_str());
    unlink(big.c_str());
    rmdir(dir);
}

// Whatever the checker lets through must load safely: every byte of a file
// written by lib3ds changed in turn.
TEST(AcceptedIsSafe, EveryByteOfALib3dsFileChanged)
{
    const Bytes rich = robust::RichSceneBytes();
    std::vector<Bytes> accepted;
    std::vector<std::string> changes;
    for (size_t at = 0; at < rich.size(); at++) {
        for (int change : {0x00, 0xFF, -1}) {
            Bytes mutated(rich);
            mutated[at] = change < 0 ? mutated[at] + 1 : change;
            if (mutated == rich || !Check(mutated).accepted) continue;
            accepted.push_back(mutated);
            changes.push_back("byte " + std::to_string(at) + " set to " +
                              std::to_string(mutated[at]));
        }
    }
    EXPECT_GT(accepted.size(), rich.size());
    size_t culprit;
    const LoadOutcome outcome = robust::LoadEachInChild(accepted, &culprit);
    EXPECT_EQ(outcome, LoadOutcome::Loaded) << changes[culprit];
}

// Random bytes behind a valid main header.
TEST(AcceptedIsSafe, Garbage)
{
    std::mt19937 random(1234);
    std::vector<Bytes> accepted;
    for (int round = 0; round < 2000; round++) {
        Bytes bytes(6 + random() % 200);
        for (auto &b : bytes) b = random() % 4 == 0 ? 0 : random();
        bytes[0] = 0x4D;
        bytes[1] = 0x4D;
        for (int i = 0; i < 4; i++) bytes[2 + i] = (bytes.size() >> (8 * i)) & 0xff;
        if (Check(bytes).accepted) accepted.push_back(bytes);
    }
    size_t culprit;
    EXPECT_EQ(robust::LoadEachInChild(accepted, &culprit), LoadOutcome::Loaded)
        << "input " << culprit;
}

}  // namespace

namespace {

// Opens the containers down to a context and answers how many it opened.
typedef std::function<int(ChunkBytes &)> Context;

struct Kind {
    const char *context;
    Context open;
    std::vector<uint16_t> ids;
};

std::vector<Kind> ChunkKinds()
{
    auto mdata = [](ChunkBytes &c) {
        c.Begin(LIB3DS_M3DMAGIC).Begin(LIB3DS_MDATA);
        return 2;
    };
    auto mesh = [=](ChunkBytes &c) {
        mdata(c);
        c.Begin(LIB3DS_NAMED_OBJECT).Str("o").Begin(LIB3DS_N_TRI_OBJECT);
        Points(c, 3);
        return 4;
    };
    auto faces = [=](ChunkBytes &c) {
        mesh(c);
        c.Begin(LIB3DS_FACE_ARRAY).U16(1).U16(0).U16(1).U16(2).U16(0);
        return 5;
    };
    auto material = [=](ChunkBytes &c) {
        mdata(c);
        c.Begin(LIB3DS_MAT_ENTRY);
        return 3;
    };
    auto inMaterial = [=](uint16_t id) {
        return [=](ChunkBytes &c) {
            material(c);
            c.Begin(id);
            return 4;
        };
    };
    auto camera = [=](ChunkBytes &c) {
        mdata(c);
        c.Begin(LIB3DS_NAMED_OBJECT).Str("c").Begin(LIB3DS_N_CAMERA);
        for (int i = 0; i < 8; i++) c.F32(1);
        return 4;
    };
    auto light = [=](ChunkBytes &c) {
        mdata(c);
        c.Begin(LIB3DS_NAMED_OBJECT).Str("l").Begin(0x4600).F32(1).F32(1).F32(1);
        return 4;
    };
    auto spot = [=](ChunkBytes &c) {
        light(c);
        c.Begin(0x4610);
        for (int i = 0; i < 5; i++) c.F32(1);
        return 5;
    };
    auto kfdata = [](ChunkBytes &c) {
        c.Begin(LIB3DS_M3DMAGIC).Begin(LIB3DS_KFDATA);
        return 2;
    };
    auto node = [=](uint16_t tag) {
        return [=](ChunkBytes &c) {
            kfdata(c);
            c.Begin(tag)
                .Begin(LIB3DS_NODE_ID)
                .U16(0)
                .End()
                .Begin(LIB3DS_NODE_HDR)
                .Str("n")
                .U16(0)
                .U16(0)
                .U16(65535)
                .End();
            return 3;
        };
    };
    auto inMdata = [=](uint16_t id, int dataFloats) {
        return [=](ChunkBytes &c) {
            mdata(c);
            c.Begin(id);
            for (int i = 0; i < dataFloats; i++) c.F32(0);
            return 3;
        };
    };
    const std::vector<uint16_t> tracks = {0xB020, 0xB021, 0xB022, 0xB023, 0xB024,
                                          0xB025, 0xB026, 0xB027, 0xB028, 0xB029};
    std::vector<uint16_t> objectNode = {0xB013, 0xB011, 0xB014, 0xB015};
    objectNode.insert(objectNode.end(), tracks.begin(), tracks.end());
    return {
        {"file",
         [](ChunkBytes &c) {
             c.Begin(LIB3DS_M3DMAGIC);
             return 1;
         },
         {0x0002, 0x0005, LIB3DS_MDATA, LIB3DS_KFDATA}},
        {"mdata", mdata, {0x3D3E, 0x0100,           0x1400,
                          0x1410, 0x1420,           0x1430,
                          0x1440, 0x1450,           0x1460,
                          0x1500, 0x1100,           0x1101,
                          0x1201, 0x1301,           0x2201,
                          0x2303, 0x2301,           0x1200,
                          0x1300, 0x2200,           0x2302,
                          0x2300, 0x2100,           0x3000,
                          0x7001, LIB3DS_MAT_ENTRY, LIB3DS_NAMED_OBJECT}},
        {"mesh", mesh, {0x4160, 0x4165, 0x4110, 0x4111, 0x4140, 0x4170, LIB3DS_FACE_ARRAY}},
        {"face list", faces, {0x4150, 0x4130, 0x4190}},
        {"material",
         material,
         {0xA000, 0xA100, 0xA087, 0xA310, 0xA081, 0xA052, 0xA240, 0xA010, 0xA040, 0xA200, 0xA220}},
        {"colour", inMaterial(0xA010), {0x0010, 0x0011, 0x0012, 0x0013}},
        {"percentage", inMaterial(0xA050), {0x0030, 0x0031}},
        {"texture map",
         inMaterial(0xA200),
         {0x0030, 0xA300, 0xA351, 0xA353, 0xA354, 0xA356, 0xA358, 0xA35A, 0xA35C, 0xA360, 0xA362,
          0xA364, 0xA366, 0xA368}},
        {"camera", camera, {0x4710, 0x4720}},
        {"light", light, {0x0010, 0x4620, 0x465A, 0x4659, 0x465B, 0x4654, 0x4625, 0x4610}},
        {"spotlight",
         spot,
         {0x4656, 0x4630, 0x4641, 0x4650, 0x4651, 0x4657, 0x4653, 0x4652, 0x4658, 0x4627}},
        {"keyframer", kfdata, {0xB00A, 0xB008, 0xB009, 0x7001, 0x3000, 0xB002}},
        {"object node", node(0xB002), objectNode},
        {"camera node", node(0xB003), tracks},
        {"light node", node(0xB005), tracks},
        {"ambient node", node(0xB001), tracks},
        {"viewport", inMdata(0x7001, 0), {}},
        {"layout",
         [=](ChunkBytes &c) {
             mdata(c);
             c.Begin(0x7001);
             for (int i = 0; i < 7; i++) c.U16(0);
             return 3;
         },
         {0x7020, 0x7012, 0x7011}},
        {"default view",
         inMdata(0x3000, 0),
         {0x3010, 0x3020, 0x3030, 0x3040, 0x3050, 0x3060, 0x3070, 0x3080}},
        {"solid background", inMdata(0x1200, 0), {0x0010, 0x0013}},
        {"gradient", inMdata(0x1300, 1), {0x0010, 0x0013}},
        {"fog", inMdata(0x2200, 4), {0x0010, 0x0013, 0x2210}},
        {"layer fog", inMdata(0x2302, 4), {0x0010, 0x0013}},
        {"distance cue", inMdata(0x2300, 4), {0x2310}},
        {"ambient light", inMdata(0x2100, 0), {0x0010, 0x0013}},
    };
}

}  // namespace

// Every chunk kind that lib3ds reads, as the last chunk of a file with data of
// every length up to 100 bytes and several contents: at the shortest lengths
// the checker accepts, lib3ds reads within the file. (Longer data only adds
// slack, so those are the lengths that tell.)
TEST(AcceptedIsSafe, EveryChunkKindWithAnyDataLength)
{
    int kinds = 0;
    std::vector<Bytes> accepted;
    std::vector<std::string> descriptions;
    for (const Kind &kind : ChunkKinds()) {
        for (uint16_t id : kind.ids) {
            kinds++;
            for (int fill : {0x00, 0x01, 0x41}) {
                int acceptedLengths = 0;
                for (size_t length = 0; length <= 100 && acceptedLengths < 3; length++) {
                    ChunkBytes c;
                    const int opened = kind.open(c);
                    c.Begin(id);
                    for (size_t i = 0; i < length; i++) c.U8(fill);
                    c.End();
                    for (int i = 0; i < opened; i++) c.End();
                    if (!Check(c.bytes).accepted) continue;
                    acceptedLengths++;
                    accepted.push_back(c.bytes);
                    char what[128];
                    snprintf(what, sizeof what, "chunk 0x%04X in %s with %zu bytes of 0x%02X", id,
                             kind.context, length, fill);
                    descriptions.push_back(what);
                }
            }
        }
    }
    EXPECT_GT(kinds, 150);
    EXPECT_GT(accepted.size(), 800u);
    size_t culprit;
    const LoadOutcome outcome = robust::LoadEachInChild(accepted, &culprit);
    EXPECT_EQ(outcome, LoadOutcome::Loaded) << descriptions[culprit];
}
