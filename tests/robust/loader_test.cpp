// The real loader on hostile scene files: each ends the process with status 1
// and the loader's message, whatever lib3ds itself would have done with it.
#include <gtest/gtest.h>
#include <lib3ds/chunk.h>
#include <lib3ds/file.h>
#include <lib3ds/mesh.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "chunkbytes.h"
#include "lib3dsprobe.h"
#include "load3ds.h"
#include "showfixture.h"

namespace {

using robust::Bytes;

// A camera, so that a file lib3ds reads would open, then the given chunks.
Bytes WithCamera(void (*more)(ChunkBytes &), bool keyframer = false)
{
    ChunkBytes c;
    c.Begin(LIB3DS_M3DMAGIC)
        .Begin(LIB3DS_MDATA)
        .Begin(LIB3DS_NAMED_OBJECT)
        .Str("Camera01")
        .Begin(LIB3DS_N_CAMERA);
    for (int i = 0; i < 8; i++) c.F32(i == 1 ? -100.0f : i == 7 ? 35.0f : 0.0f);
    c.End().End();
    if (!keyframer) more(c);
    c.End();
    if (keyframer) {
        c.Begin(LIB3DS_KFDATA);
        more(c);
        c.End();
    }
    return c.End().bytes;
}

void MeshWith(ChunkBytes &c, unsigned points, unsigned corner, unsigned groupFace)
{
    c.Begin(LIB3DS_NAMED_OBJECT).Str("Tri").Begin(LIB3DS_N_TRI_OBJECT);
    if (points) {
        c.Begin(LIB3DS_POINT_ARRAY).U16(points);
        for (unsigned i = 0; i < points * 3; i++) c.F32(float(i));
        c.End();
    }
    c.Begin(LIB3DS_FACE_ARRAY).U16(1).U16(0).U16(1).U16(corner).U16(0);
    c.Begin(LIB3DS_MSH_MAT_GROUP).Str("Red").U16(1).U16(groupFace).End();
    c.End().End().End();
}

struct Hostile {
    const char *name;
    Bytes bytes;
};

std::vector<Hostile> HostileFiles()
{
    const Bytes rich = robust::RichSceneBytes();
    ChunkBytes zeroLength;
    zeroLength.Begin(LIB3DS_M3DMAGIC).Begin(LIB3DS_MDATA).Begin(0x1234, 0).End().End().End();
    Bytes garbage(700);
    for (size_t i = 0; i < garbage.size(); i++)
        garbage[i] = static_cast<unsigned char>(i * 7919 >> 3);
    return {
        {"empty", Bytes()},
        {"garbage", garbage},
        {"truncated", Bytes(rich.begin(), rich.begin() + rich.size() / 2)},
        {"zero_length_chunk", zeroLength.bytes},
        {"corner_beyond_points", WithCamera([](ChunkBytes &c) { MeshWith(c, 3, 3, 0); })},
        {"faces_without_points", WithCamera([](ChunkBytes &c) { MeshWith(c, 0, 2, 0); })},
        {"group_face_beyond_faces", WithCamera([](ChunkBytes &c) { MeshWith(c, 3, 2, 1); })},
        {"self_parented_node",
         WithCamera(
             [](ChunkBytes &c) {
                 c.Begin(LIB3DS_OBJECT_NODE_TAG).Begin(LIB3DS_NODE_ID).U16(4).End();
                 c.Begin(LIB3DS_NODE_HDR).Str("Tri").U16(0).U16(0).U16(4).End().End();
             },
             true)},
        {"eight_gradient_colours", WithCamera([](ChunkBytes &c) {
             c.Begin(LIB3DS_V_GRADIENT).F32(0.5f);
             for (int i = 0; i < 8; i++) c.Begin(LIB3DS_COLOR_F).F32(1).F32(1).F32(1).End();
             c.End();
         })},
        {"huge_key_count",
         WithCamera(
             [](ChunkBytes &c) {
                 c.Begin(LIB3DS_OBJECT_NODE_TAG).Begin(LIB3DS_NODE_ID).U16(0).End();
                 c.Begin(LIB3DS_NODE_HDR).Str("Tri").U16(0).U16(0).U16(65535).End();
                 c.Begin(LIB3DS_POS_TRACK_TAG).U16(0).U32(0).U32(0).U32(2000000000).End().End();
             },
             true)},
        {"unterminated_name", WithCamera([](ChunkBytes &c) {
             c.Begin(LIB3DS_NAMED_OBJECT)
                 .Chars(std::string(64, 'x'))
                 .Begin(LIB3DS_N_TRI_OBJECT)
                 .End()
                 .End();
         })},
    };
}

void PrintTo(const Hostile &hostile, std::ostream *out)
{
    *out << hostile.name;
}

class HostileSceneTest : public showtest::ShowCoreTest,
                         public ::testing::WithParamInterface<Hostile> {};

TEST_P(HostileSceneTest, OpenEndsTheProcessWithTheLoadersMessage)
{
    const std::string bytes(GetParam().bytes.begin(), GetParam().bytes.end());
    ASSERT_TRUE(workDir_.WriteDataFile("bad.3ds", bytes));
    Load3ds *scene = new Load3ds;
    EXPECT_QUITS(scene->Open("bad.3ds"), 1, "Load3ds error : Can't load 3ds file data/bad.3ds\n");
    delete scene;
}

INSTANTIATE_TEST_SUITE_P(Files, HostileSceneTest, ::testing::ValuesIn(HostileFiles()),
                         [](const ::testing::TestParamInfo<Hostile> &info) {
                             return info.param.name;
                         });

class SceneFileTest : public showtest::ShowCoreTest {};

// A cut file that lib3ds would read "successfully", partly from beyond its
// end, is refused like the rest.
TEST_F(SceneFileTest, TruncatedFileThatLib3dsWouldAccept)
{
    const Bytes rich = robust::RichSceneBytes();
    const Bytes cut(rich.begin(), rich.end() - 40);
    EXPECT_EQ(robust::LoadInChild(cut), robust::LoadOutcome::ReadPastEnd);
    ASSERT_TRUE(workDir_.WriteDataFile("cut.3ds", std::string(cut.begin(), cut.end())));
    Load3ds *scene = new Load3ds;
    EXPECT_QUITS(scene->Open("cut.3ds"), 1, "Load3ds error : Can't load 3ds file data/cut.3ds\n");
    delete scene;
}

TEST_F(SceneFileTest, ADirectoryInPlaceOfTheFile)
{
    ASSERT_EQ(mkdir(workDir_.DataPath("dir.3ds").c_str(), 0755), 0);
    Load3ds *scene = new Load3ds;
    EXPECT_QUITS(scene->Open("dir.3ds"), 1, "Load3ds error : Can't load 3ds file data/dir.3ds\n");
    delete scene;
}

// The hostile files above differ from this one in one defect each.
TEST_F(SceneFileTest, TheSameFileWithoutDefectOpens)
{
    const Bytes good = WithCamera([](ChunkBytes &c) { MeshWith(c, 3, 2, 0); });
    ASSERT_TRUE(workDir_.WriteDataFile("good.3ds", std::string(good.begin(), good.end())));
    Load3ds scene;
    EXPECT_RETURNS(scene.Open("good.3ds"));
    scene.Open("good.3ds");
    ASSERT_TRUE(scene.file);
    ASSERT_TRUE(scene.file->meshes);
    EXPECT_EQ(scene.file->meshes->faces, 1u);
    EXPECT_STREQ(scene.file->meshes->faceL[0].material, "Red");
    EXPECT_STREQ(scene.cameraName, "Camera01");
}

}  // namespace
