#include "scenecheck.h"

#include <lib3ds/chunk.h>
#include <lib3ds/node.h>
#include <lib3ds/tracks.h>
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <vector>

// The walk follows lib3ds 1.3's reader chunk by chunk: the same chunks are
// containers, the same ones carry data before their sub-chunks, and every
// value the library reads must lie inside its chunk. What the library never
// reads is let be: chunks it does not know where they stand (it reads their
// header and skips them), bytes after the data it reads from a chunk, and
// bytes after the main chunk.

using namespace scenelimits;

namespace {

const size_t HeaderBytes = 6;
const size_t NameField = 64;       // every name field of lib3ds, terminator included
const size_t KfNameField = 13;     // the keyframer header's file name
const size_t MorphNameField = 11;  // what lib3ds reads of a morph key's name, though it keeps 64
const unsigned NoParent = LIB3DS_NO_PARENT;

struct Chunk {
    unsigned id;
    size_t at;   // header offset
    size_t end;  // one past its last byte
    size_t Data() const { return at + HeaderBytes; }
};

struct Node {
    unsigned id;
    unsigned parent;
    size_t at;
};

// What lib3ds keeps of one track of a node: the chunks of one tag add their
// keys to the same track, and each sets its flags.
struct TrackSeen {
    unsigned long keys = 0;
    int32_t first = 0, last = 0;  // smallest and largest key frame
    unsigned flags = 0;
};
const unsigned TrackTags = LIB3DS_HIDE_TRACK_TAG - LIB3DS_POS_TRACK_TAG + 1;

// The bytes of a key's value in a track that lib3ds reads for a node of this
// tag (a morph key adds a name), or -1 for a track it skips.
int TrackValueBytes(unsigned node, unsigned track)
{
    const bool object = node == LIB3DS_OBJECT_NODE_TAG, camera = node == LIB3DS_CAMERA_NODE_TAG;
    const bool light = node == LIB3DS_LIGHT_NODE_TAG || node == LIB3DS_SPOTLIGHT_NODE_TAG;
    switch (track) {
    case LIB3DS_POS_TRACK_TAG: return node == LIB3DS_AMBIENT_NODE_TAG ? -1 : 12;
    case LIB3DS_ROT_TRACK_TAG: return object ? 16 : -1;
    case LIB3DS_SCL_TRACK_TAG: return object ? 12 : -1;
    case LIB3DS_MORPH_TRACK_TAG:
    case LIB3DS_HIDE_TRACK_TAG: return object ? 0 : -1;
    case LIB3DS_COL_TRACK_TAG: return light || node == LIB3DS_AMBIENT_NODE_TAG ? 12 : -1;
    case LIB3DS_FOV_TRACK_TAG: return camera ? 4 : -1;
    case LIB3DS_ROLL_TRACK_TAG: return camera || light ? 4 : -1;
    case LIB3DS_HOT_TRACK_TAG:
    case LIB3DS_FALL_TRACK_TAG: return light ? 4 : -1;
    default: return -1;
    }
}

class Checker {
public:
    Checker(const unsigned char *bytes, size_t size) : bytes_(bytes), size_(size)
    {
        reason[0] = '\0';
    }

    bool Run();

    char reason[192];

private:
    const unsigned char *bytes_;
    size_t size_;

    unsigned long materials_ = 0, meshes_ = 0, cameras_ = 0,
                  lights_ = 0;  // records lib3ds keeps sorted
    unsigned long elements_ = 0, views_ = 0, listWork_ = 0;
    std::vector<Node> nodes_;
    size_t skippedAt_ = SIZE_MAX;  // the chunk that Unknown was last called for

    unsigned U16(size_t at) const { return bytes_[at] | bytes_[at + 1] << 8; }
    uint32_t U32(size_t at) const { return U16(at) | uint32_t(U16(at + 2)) << 16; }

    bool Fail(const char *format, ...) __attribute__((format(printf, 2, 3)));
    bool FailAt(const Chunk &c, const char *format, ...) __attribute__((format(printf, 3, 4)));

    // Data of n bytes at pos must lie inside c.
    bool Need(const Chunk &c, size_t pos, size_t n, const char *what);
    // A leaf whose data lib3ds reads must hold at least n bytes.
    bool Leaf(const Chunk &c, size_t n) { return Need(c, c.Data(), n, "its data"); }
    // A terminated string of at most field - 1 characters at *pos; moves past it.
    bool String(const Chunk &c, size_t *pos, size_t field, const char *what);
    // One more record of a kind: at most MaxListLength of each.
    bool Count(unsigned long *count, const char *what);
    // A list that lib3ds builds by sorted insertion, quadratic in its length.
    bool AddList(unsigned long length, const char *what);
    // A chunk that lib3ds does not read where it stands: it skips it whole.
    bool Unknown(const Chunk &c)
    {
        skippedAt_ = c.at;
        return true;
    }

    template <class Visit> bool Children(const Chunk &parent, size_t from, Visit visit);

    bool Mdata(const Chunk &c);
    bool Material(const Chunk &c);
    bool Colour(const Chunk &c);
    bool Percentage(const Chunk &c);
    bool TextureMap(const Chunk &c);
    bool Gradient(const Chunk &c);
    bool ColourRecord(const Chunk &c, size_t dataBytes);
    bool NamedObject(const Chunk &c);
    bool Mesh(const Chunk &c);
    bool Faces(const Chunk &c, unsigned *maxPoint);
    bool Camera(const Chunk &c);
    bool Light(const Chunk &c);
    bool Spotlight(const Chunk &c);
    bool Viewport(const Chunk &c);
    bool Kfdata(const Chunk &c);
    bool KeyframerNode(const Chunk &c, unsigned ordinal);
    bool Track(const Chunk &c, size_t valueBytes, TrackSeen *seen);
    bool NodeTree();
};

bool Checker::Fail(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vsnprintf(reason, sizeof reason, format, args);
    va_end(args);
    return false;
}

bool Checker::FailAt(const Chunk &c, const char *format, ...)
{
    char what[128];
    va_list args;
    va_start(args, format);
    vsnprintf(what, sizeof what, format, args);
    va_end(args);
    return Fail("chunk 0x%04X at byte %zu: %s", c.id, c.at, what);
}

bool Checker::Need(const Chunk &c, size_t pos, size_t n, const char *what)
{
    if (pos <= c.end && n <= c.end - pos) return true;
    return FailAt(c, "%s needs %zu bytes, %zu left", what, n, pos <= c.end ? c.end - pos : 0);
}

bool Checker::String(const Chunk &c, size_t *pos, size_t field, const char *what)
{
    const size_t room = *pos < c.end ? c.end - *pos : 0;
    const void *nul = room ? memchr(bytes_ + *pos, 0, std::min(room, field)) : NULL;
    if (!nul) {
        if (room < field) return FailAt(c, "%s has no terminator", what);
        return FailAt(c, "%s is longer than %zu characters", what, field - 1);
    }
    *pos = static_cast<const unsigned char *>(nul) - bytes_ + 1;
    return true;
}

bool Checker::Count(unsigned long *count, const char *what)
{
    if (++*count > MaxListLength) return Fail("more than %zu %s", MaxListLength, what);
    return true;
}

bool Checker::AddList(unsigned long length, const char *what)
{
    if (length > MaxListLength) return Fail("more than %zu %s", MaxListLength, what);
    listWork_ += length * length;
    if (listWork_ > MaxListWork) return Fail("too many records to sort (at %s)", what);
    return true;
}

// lib3ds steps through a list of sub-chunks by their lengths, reading each
// header, until one reaches the parent's end or has id 0; it reads only the
// header of an id it does not know there. So a chunk it reads must lie inside
// its parent; one it skips may run past it, ending the list. A length of 0
// would loop forever, 1 to 5 would read a header inside another, and one that
// wraps lib3ds's 32-bit offset would start the list over.
template <class Visit> bool Checker::Children(const Chunk &parent, size_t from, Visit visit)
{
    size_t pos = from;
    while (pos < parent.end) {
        // A header is read whole even where the parent ends inside it.
        if (size_ - pos < HeaderBytes)
            return FailAt(parent, "a header at byte %zu would be read past the end of the file",
                          pos);
        Chunk c{U16(pos), pos, 0};
        if (c.id == 0) return true;
        const uint32_t length = U32(pos + 2);
        if (length < HeaderBytes) return FailAt(c, "length %u is below 6", length);
        if (pos + length > UINT32_MAX)
            return FailAt(c, "length %u wraps the reader's offsets", length);
        const bool pastParent = length > parent.end - pos;
        c.end = std::min(pos + size_t(length), size_);
        skippedAt_ = SIZE_MAX;
        const bool ok = visit(c);
        if (pastParent && skippedAt_ != c.at)
            return FailAt(c, "length %u runs past its parent (0x%04X at byte %zu)", length,
                          parent.id, parent.at);
        if (!ok || pastParent) return ok;
        pos = c.end;
    }
    return true;
}

bool Checker::Run()
{
    if (size_ < HeaderBytes) return Fail("%zu bytes: too short for a 3DS file", size_);
    if (size_ > MaxFileBytes) return Fail("%zu bytes: larger than %zu", size_, MaxFileBytes);
    const Chunk top{U16(0), 0, 0};
    const uint32_t length = U32(2);
    if (top.id != LIB3DS_M3DMAGIC && top.id != LIB3DS_MLIBMAGIC && top.id != LIB3DS_CMAGIC &&
        top.id != LIB3DS_MDATA)
        return Fail("not a 3DS file (first chunk 0x%04X)", top.id);
    if (length < HeaderBytes) return Fail("main chunk length %u is below 6", length);
    if (length > size_)
        return Fail("truncated: the main chunk needs %u bytes, the file has %zu", length, size_);
    // lib3ds never reads past the main chunk.
    const Chunk file{top.id, 0, length};

    bool ok;
    if (file.id == LIB3DS_MDATA) {
        ok = Mdata(file);
    } else {
        ok = Children(file, file.Data(), [&](const Chunk &c) {
            switch (c.id) {
            case LIB3DS_M3D_VERSION: return Leaf(c, 4);
            case LIB3DS_MDATA: return Mdata(c);
            case LIB3DS_KFDATA: return Kfdata(c);
            default: return Unknown(c);
            }
        });
    }
    if (!ok) return false;
    if (!AddList(materials_, "materials") || !AddList(meshes_, "meshes") ||
        !AddList(cameras_, "cameras") || !AddList(lights_, "lights") ||
        !AddList(nodes_.size(), "keyframer nodes"))
        return false;
    if (elements_ > MaxElements)
        return Fail("more than %zu points, texture coordinates and faces", MaxElements);
    return NodeTree();
}

bool Checker::Mdata(const Chunk &mdata)
{
    return Children(mdata, mdata.Data(), [&](const Chunk &c) {
        switch (c.id) {
        case LIB3DS_MESH_VERSION:
        case LIB3DS_MASTER_SCALE:
        case LIB3DS_LO_SHADOW_BIAS:
        case LIB3DS_HI_SHADOW_BIAS:
        case LIB3DS_SHADOW_RANGE:
        case LIB3DS_SHADOW_FILTER:
        case LIB3DS_RAY_BIAS: return Leaf(c, 4);
        case LIB3DS_SHADOW_MAP_SIZE:
        case LIB3DS_SHADOW_SAMPLES: return Leaf(c, 2);
        case LIB3DS_O_CONSTS: return Leaf(c, 12);
        case LIB3DS_VIEWPORT_LAYOUT:
        case LIB3DS_DEFAULT_VIEW: return Viewport(c);
        case LIB3DS_AMBIENT_LIGHT:
        case LIB3DS_SOLID_BGND: return ColourRecord(c, 0);
        case LIB3DS_BIT_MAP: {
            size_t pos = c.Data();
            return String(c, &pos, NameField, "background image name");
        }
        case LIB3DS_V_GRADIENT: return Gradient(c);
        case LIB3DS_FOG:
        case LIB3DS_LAYER_FOG:
        case LIB3DS_DISTANCE_CUE: return ColourRecord(c, 16);
        case LIB3DS_MAT_ENTRY: return Material(c);
        case LIB3DS_NAMED_OBJECT: return NamedObject(c);
        default: return Unknown(c);
        }
    });
}

bool Checker::Material(const Chunk &material)
{
    if (!Count(&materials_, "materials")) return false;
    return Children(material, material.Data(), [&](const Chunk &c) {
        switch (c.id) {
        case LIB3DS_MAT_NAME: {
            size_t pos = c.Data();
            return String(c, &pos, NameField, "material name");
        }
        case LIB3DS_MAT_AMBIENT:
        case LIB3DS_MAT_DIFFUSE:
        case LIB3DS_MAT_SPECULAR: return Colour(c);
        case LIB3DS_MAT_SHININESS:
        case LIB3DS_MAT_SHIN2PCT:
        case LIB3DS_MAT_TRANSPARENCY:
        case LIB3DS_MAT_XPFALL:
        case LIB3DS_MAT_REFBLUR:
        case LIB3DS_MAT_SELF_ILPCT: return Percentage(c);
        case LIB3DS_MAT_SHADING: return Leaf(c, 2);
        case LIB3DS_MAT_WIRE_SIZE: return Leaf(c, 4);
        case LIB3DS_MAT_ACUBIC: return Leaf(c, 12);
        case LIB3DS_MAT_TEXMAP:
        case LIB3DS_MAT_TEXMASK:
        case LIB3DS_MAT_TEX2MAP:
        case LIB3DS_MAT_TEX2MASK:
        case LIB3DS_MAT_OPACMAP:
        case LIB3DS_MAT_OPACMASK:
        case LIB3DS_MAT_BUMPMAP:
        case LIB3DS_MAT_BUMPMASK:
        case LIB3DS_MAT_SPECMAP:
        case LIB3DS_MAT_SPECMASK:
        case LIB3DS_MAT_SHINMAP:
        case LIB3DS_MAT_SHINMASK:
        case LIB3DS_MAT_SELFIMAP:
        case LIB3DS_MAT_SELFIMASK:
        case LIB3DS_MAT_REFLMAP:
        case LIB3DS_MAT_REFLMASK: return TextureMap(c);
        default: return Unknown(c);
        }
    });
}

bool Checker::Colour(const Chunk &colour)
{
    return Children(colour, colour.Data(), [&](const Chunk &c) {
        switch (c.id) {
        case LIB3DS_COLOR_F:
        case LIB3DS_LIN_COLOR_F: return Leaf(c, 12);
        case LIB3DS_COLOR_24:
        case LIB3DS_LIN_COLOR_24: return Leaf(c, 3);
        default: return Unknown(c);
        }
    });
}

bool Checker::Percentage(const Chunk &percentage)
{
    return Children(percentage, percentage.Data(), [&](const Chunk &c) {
        switch (c.id) {
        case LIB3DS_INT_PERCENTAGE: return Leaf(c, 2);
        case LIB3DS_FLOAT_PERCENTAGE: return Leaf(c, 4);
        default: return Unknown(c);
        }
    });
}

bool Checker::TextureMap(const Chunk &map)
{
    return Children(map, map.Data(), [&](const Chunk &c) {
        switch (c.id) {
        case LIB3DS_INT_PERCENTAGE:
        case LIB3DS_MAT_MAP_TILING: return Leaf(c, 2);
        case LIB3DS_MAT_MAPNAME: {
            size_t pos = c.Data();
            return String(c, &pos, NameField, "image name");
        }
        case LIB3DS_MAT_MAP_TEXBLUR:
        case LIB3DS_MAT_MAP_USCALE:
        case LIB3DS_MAT_MAP_VSCALE:
        case LIB3DS_MAT_MAP_UOFFSET:
        case LIB3DS_MAT_MAP_VOFFSET:
        case LIB3DS_MAT_MAP_ANG: return Leaf(c, 4);
        case LIB3DS_MAT_MAP_COL1:
        case LIB3DS_MAT_MAP_COL2:
        case LIB3DS_MAT_MAP_RCOL:
        case LIB3DS_MAT_MAP_GCOL:
        case LIB3DS_MAT_MAP_BCOL: return Leaf(c, 3);
        default: return Unknown(c);
        }
    });
}

// lib3ds keeps three colours of each kind in a stack array and indexes it by
// the count of sub-chunks seen: a fourth writes past it.
bool Checker::Gradient(const Chunk &gradient)
{
    if (!Leaf(gradient, 4)) return false;
    int colours = 0, linearColours = 0;
    return Children(gradient, gradient.Data() + 4, [&](const Chunk &c) {
        if (c.id != LIB3DS_COLOR_F && c.id != LIB3DS_LIN_COLOR_F) return Unknown(c);
        int &count = c.id == LIB3DS_COLOR_F ? colours : linearColours;
        if (++count > 3) return FailAt(c, "more than three gradient colours");
        return Leaf(c, 12);
    });
}

// The ambient light, a solid background, fog and distance cue: data of
// dataBytes, then colours.
bool Checker::ColourRecord(const Chunk &record, size_t dataBytes)
{
    if (!Leaf(record, dataBytes)) return false;
    return Children(record, record.Data() + dataBytes, [&](const Chunk &c) {
        if (c.id == LIB3DS_COLOR_F || c.id == LIB3DS_LIN_COLOR_F) return Leaf(c, 12);
        return Unknown(c);
    });
}

bool Checker::NamedObject(const Chunk &object)
{
    size_t pos = object.Data();
    if (!String(object, &pos, NameField, "object name")) return false;
    return Children(object, pos, [&](const Chunk &c) {
        switch (c.id) {
        case LIB3DS_N_TRI_OBJECT: return Mesh(c);
        case LIB3DS_N_CAMERA: return Camera(c);
        case LIB3DS_N_DIRECT_LIGHT: return Light(c);
        default: return Unknown(c);
        }
    });
}

// lib3ds computes every face's normal from its corners once the whole mesh
// is read, through the point list that the last LIB3DS_POINT_ARRAY left.
bool Checker::Mesh(const Chunk &mesh)
{
    if (!Count(&meshes_, "meshes")) return false;
    unsigned points = 0;
    unsigned maxPoint = 0;
    bool anyFace = false;
    size_t facesAt = mesh.at;
    const bool ok = Children(mesh, mesh.Data(), [&](const Chunk &c) {
        switch (c.id) {
        case LIB3DS_MESH_MATRIX: return Leaf(c, 48);
        case LIB3DS_MESH_COLOR: return Leaf(c, 1);
        case LIB3DS_MESH_TEXTURE_INFO: return Leaf(c, 84);
        case LIB3DS_POINT_ARRAY:
        case LIB3DS_POINT_FLAG_ARRAY:
        case LIB3DS_TEX_VERTS: {
            if (!Leaf(c, 2)) return false;
            const unsigned count = U16(c.Data());
            const size_t each = c.id == LIB3DS_POINT_ARRAY ? 12 : c.id == LIB3DS_TEX_VERTS ? 8 : 2;
            if (c.end - c.Data() - 2 < each * count)
                return FailAt(c, "%zu bytes for %u entries of %zu", c.end - c.Data() - 2, count,
                              each);
            elements_ += count;
            if (c.id == LIB3DS_POINT_ARRAY) points = count;
            return true;
        }
        case LIB3DS_FACE_ARRAY: {
            unsigned most = 0;
            if (!Faces(c, &most)) return false;
            if (U16(c.Data()) > 0) {
                anyFace = true;
                facesAt = c.at;
                maxPoint = std::max(maxPoint, most);
            }
            return true;
        }
        default: return Unknown(c);
        }
    });
    if (!ok) return false;
    if (anyFace && points == 0)
        return Fail("chunk 0x%04X at byte %zu: faces without points", LIB3DS_FACE_ARRAY, facesAt);
    if (anyFace && maxPoint >= points)
        return Fail("chunk 0x%04X at byte %zu: a face uses point %u of %u", LIB3DS_FACE_ARRAY,
                    facesAt, maxPoint, points);
    return true;
}

bool Checker::Faces(const Chunk &faces, unsigned *maxPoint)
{
    if (!Leaf(faces, 2)) return false;
    const unsigned count = U16(faces.Data());
    if (!Need(faces, faces.Data() + 2, size_t(8) * count, "the face list")) return false;
    elements_ += count;
    for (unsigned i = 0; i < count; i++) {
        const size_t at = faces.Data() + 2 + size_t(8) * i;
        *maxPoint = std::max({*maxPoint, U16(at), U16(at + 2), U16(at + 4)});
    }
    return Children(faces, faces.Data() + 2 + size_t(8) * count, [&](const Chunk &c) {
        switch (c.id) {
        case LIB3DS_SMOOTH_GROUP:
            if (c.end - c.Data() < size_t(4) * count)
                return FailAt(c, "%zu bytes of smoothing groups for %u faces", c.end - c.Data(),
                              count);
            return true;
        case LIB3DS_MSH_MAT_GROUP: {
            size_t pos = c.Data();
            if (!String(c, &pos, NameField, "material name") || !Need(c, pos, 2, "the face count"))
                return false;
            const unsigned members = U16(pos);
            pos += 2;
            if (c.end - pos < size_t(2) * members)
                return FailAt(c, "%zu bytes for %u face indices", c.end - pos, members);
            for (unsigned i = 0; i < members; i++) {
                // lib3ds copies the name into the face at this index unchecked.
                if (U16(pos + 2 * i) >= count)
                    return FailAt(c, "names face %u of %u", U16(pos + 2 * i), count);
            }
            return true;
        }
        case LIB3DS_MSH_BOXMAP: {
            size_t pos = c.Data();
            for (int side = 0; side < 6; side++) {
                if (!String(c, &pos, NameField, "box map name")) return false;
            }
            return true;
        }
        default:
            // Also where the faces of a list longer than its 16-bit count are
            // read as sub-chunks: those that are not skipped are checked above.
            return Unknown(c);
        }
    });
}

bool Checker::Camera(const Chunk &camera)
{
    if (!Count(&cameras_, "cameras")) return false;
    if (!Leaf(camera, 32)) return false;
    return Children(camera, camera.Data() + 32, [&](const Chunk &c) {
        return c.id == LIB3DS_CAM_RANGES ? Leaf(c, 8) : Unknown(c);
    });
}

bool Checker::Light(const Chunk &light)
{
    if (!Count(&lights_, "lights")) return false;
    if (!Leaf(light, 12)) return false;
    return Children(light, light.Data() + 12, [&](const Chunk &c) {
        switch (c.id) {
        case LIB3DS_COLOR_F: return Leaf(c, 12);
        case LIB3DS_DL_OUTER_RANGE:
        case LIB3DS_DL_INNER_RANGE:
        case LIB3DS_DL_MULTIPLIER: return Leaf(c, 4);
        case LIB3DS_DL_EXCLUDE:
        case LIB3DS_DL_ATTENUATE:
            // lib3ds writes these as flags yet reads a float from them: the
            // bytes after may belong to the next chunk, but must be in the file.
            if (c.Data() + 4 > size_)
                return FailAt(c, "lib3ds would read past the end of the file");
            return true;
        case LIB3DS_DL_SPOTLIGHT: return Spotlight(c);
        default: return Unknown(c);
        }
    });
}

bool Checker::Spotlight(const Chunk &spot)
{
    if (!Leaf(spot, 20)) return false;
    return Children(spot, spot.Data() + 20, [&](const Chunk &c) {
        switch (c.id) {
        case LIB3DS_DL_SPOT_ROLL:
        case LIB3DS_DL_SPOT_ASPECT:
        case LIB3DS_DL_RAY_BIAS: return Leaf(c, 4);
        case LIB3DS_DL_LOCAL_SHADOW2: return Leaf(c, 10);
        case LIB3DS_DL_SPOT_PROJECTOR: {
            size_t pos = c.Data();
            return String(c, &pos, NameField, "projector image name");
        }
        default: return Unknown(c);
        }
    });
}

bool Checker::Viewport(const Chunk &viewport)
{
    if (viewport.id == LIB3DS_DEFAULT_VIEW) {
        return Children(viewport, viewport.Data(), [&](const Chunk &c) {
            switch (c.id) {
            case LIB3DS_VIEW_TOP:
            case LIB3DS_VIEW_BOTTOM:
            case LIB3DS_VIEW_LEFT:
            case LIB3DS_VIEW_RIGHT:
            case LIB3DS_VIEW_FRONT:
            case LIB3DS_VIEW_BACK: return Leaf(c, 16);
            case LIB3DS_VIEW_USER: return Leaf(c, 28);
            case LIB3DS_VIEW_CAMERA: return Leaf(c, 11);
            default: return Unknown(c);
            }
        });
    }
    if (!Leaf(viewport, 14)) return false;
    return Children(viewport, viewport.Data() + 14, [&](const Chunk &c) {
        switch (c.id) {
        case LIB3DS_VIEWPORT_SIZE: return Leaf(c, 8);
        case LIB3DS_VIEWPORT_DATA_3:
            // Each one grows the library's view array by one.
            if (++views_ > MaxViews) return FailAt(c, "more than %zu viewport records", MaxViews);
            return Leaf(c, 49);
        default: return Unknown(c);
        }
    });
}

bool Checker::Kfdata(const Chunk &kfdata)
{
    // lib3ds numbers the nodes of each keyframer section from 0; that number
    // is a node's id unless a LIB3DS_NODE_ID chunk gives another.
    unsigned ordinal = 0;
    return Children(kfdata, kfdata.Data(), [&](const Chunk &c) {
        switch (c.id) {
        case LIB3DS_KFHDR: {
            size_t pos = c.Data() + 2;  // revision
            return Leaf(c, 2) && String(c, &pos, KfNameField, "scene name") &&
                   Need(c, pos, 4, "the frame count");
        }
        case LIB3DS_KFSEG: return Leaf(c, 8);
        case LIB3DS_KFCURTIME: return Leaf(c, 4);
        case LIB3DS_VIEWPORT_LAYOUT:
        case LIB3DS_DEFAULT_VIEW: return Viewport(c);
        default:
            if (c.id >= LIB3DS_AMBIENT_NODE_TAG && c.id <= LIB3DS_SPOTLIGHT_NODE_TAG)
                return KeyframerNode(c, ordinal++);
            return Unknown(c);
        }
    });
}

bool Checker::KeyframerNode(const Chunk &node, unsigned ordinal)
{
    // Without a header lib3ds leaves the parent id 0; later ids and headers
    // overwrite earlier ones.
    Node record{ordinal & 0xffff, 0, node.at};
    const bool object = node.id == LIB3DS_OBJECT_NODE_TAG;
    TrackSeen tracks[TrackTags];
    const bool ok = Children(node, node.Data(), [&](const Chunk &c) {
        switch (c.id) {
        case LIB3DS_NODE_ID:
            if (!Leaf(c, 2)) return false;
            record.id = U16(c.Data());
            return true;
        case LIB3DS_NODE_HDR: {
            size_t pos = c.Data();
            if (!String(c, &pos, NameField, "node name") || !Need(c, pos, 6, "flags and parent"))
                return false;
            record.parent = U16(pos + 4);
            return true;
        }
        case LIB3DS_PIVOT: return object ? Leaf(c, 12) : Unknown(c);
        case LIB3DS_BOUNDBOX: return object ? Leaf(c, 24) : Unknown(c);
        case LIB3DS_MORPH_SMOOTH: return object ? Leaf(c, 4) : Unknown(c);
        case LIB3DS_INSTANCE_NAME: {
            size_t pos = c.Data();
            return object ? String(c, &pos, NameField, "instance name") : Unknown(c);
        }
        default: {
            const int valueBytes = TrackValueBytes(node.id, c.id);
            if (valueBytes < 0) return Unknown(c);
            return Track(c, size_t(valueBytes), &tracks[c.id - LIB3DS_POS_TRACK_TAG]);
        }
        }
    });
    if (!ok) return false;
    for (unsigned i = 0; i < TrackTags; i++) {
        const TrackSeen &track = tracks[i];
        const unsigned tag = LIB3DS_POS_TRACK_TAG + i;
        if (!AddList(track.keys, "track keys")) return false;
        // A repeating track's time is wrapped by the span from its first key
        // to its last; with every key on one frame lib3ds divides by zero and
        // walks off the key list (morph and hide tracks do without the span).
        if ((track.flags & LIB3DS_REPEAT) && track.keys >= 2 && track.first == track.last &&
            tag != LIB3DS_MORPH_TRACK_TAG && tag != LIB3DS_HIDE_TRACK_TAG)
            return FailAt(node, "track 0x%04X repeats with all %lu keys on frame %d", tag,
                          track.keys, track.first);
    }
    if (nodes_.size() >= MaxListLength)
        return FailAt(node, "more than %zu keyframer nodes", MaxListLength);
    nodes_.push_back(record);
    return true;
}

// A track: flags, 8 unused bytes, a key count, then keys of a frame, tcb
// flags, one float per flag set and the value. lib3ds reads as many keys as
// the count says (none for a negative count) and skips what follows them.
bool Checker::Track(const Chunk &track, size_t valueBytes, TrackSeen *seen)
{
    if (!Leaf(track, 14)) return false;
    seen->flags = U16(track.Data());
    const int32_t count = int32_t(U32(track.Data() + 10));
    const size_t keys = count > 0 ? size_t(count) : 0;
    // Each key is at least 6 bytes: a count beyond that is a lie, and lib3ds
    // would loop over it reading past the chunk.
    if (keys > (track.end - track.Data() - 14) / 6)
        return FailAt(track, "%d keys do not fit", count);
    size_t pos = track.Data() + 14;
    for (size_t k = 0; k < keys; k++) {
        if (!Need(track, pos, 6, "a key")) return false;
        const int32_t frame = int32_t(U32(pos));
        const unsigned flags = U16(pos + 4);
        pos += 6;
        for (unsigned bit = 1; bit <= 0x10; bit <<= 1) pos += flags & bit ? 4 : 0;
        if (!Need(track, pos, valueBytes, "a key")) return false;
        pos += valueBytes;
        if (track.id == LIB3DS_MORPH_TRACK_TAG &&
            !String(track, &pos, MorphNameField, "morph target name"))
            return false;
        if (frame < -MaxKeyFrame || frame > MaxKeyFrame)
            return FailAt(track, "key frame %d is out of range", frame);
        seen->first = seen->keys == 0 ? frame : std::min(seen->first, frame);
        seen->last = seen->keys == 0 ? frame : std::max(seen->last, frame);
        seen->keys++;
    }
    return true;
}

// lib3ds hangs a node under the node whose id is its parent id, searching
// the tree recursively, and re-inserts earlier nodes that name it as parent:
// a node that is its own ancestor makes that recursion endless.
bool Checker::NodeTree()
{
    // Node indices in order of id, for the parent lookups.
    std::vector<size_t> byId(nodes_.size());
    for (size_t i = 0; i < byId.size(); i++) byId[i] = i;
    std::sort(byId.begin(), byId.end(), [&](size_t a, size_t b) {
        return nodes_[a].id != nodes_[b].id ? nodes_[a].id < nodes_[b].id : a < b;
    });
    for (size_t k = 1; k < byId.size(); k++) {
        const Node &a = nodes_[byId[k - 1]], &b = nodes_[byId[k]];
        if (a.id == b.id)
            return Fail("keyframer nodes at bytes %zu and %zu share id %u", a.at, b.at, b.id);
    }
    // The parent's index; nodes_.size() for the top level, where a parent id
    // that no node has leaves a node too.
    auto parentOf = [&](const Node &n) {
        const auto p = std::lower_bound(byId.begin(), byId.end(), n.parent,
                                        [&](size_t i, unsigned id) { return nodes_[i].id < id; });
        return n.parent != NoParent && p != byId.end() && nodes_[*p].id == n.parent ? *p
                                                                                    : nodes_.size();
    };
    // Depth of each node (top level 1), 0 while unknown. Each walk goes up
    // until a node of known depth or a root, then numbers its way back.
    std::vector<unsigned> depth(nodes_.size(), 0);
    std::vector<char> onPath(nodes_.size(), 0);
    std::vector<size_t> chain;
    for (size_t i = 0; i < nodes_.size(); i++) {
        chain.clear();
        size_t at = i;
        while (depth[at] == 0) {
            if (onPath[at])
                return Fail("keyframer node at byte %zu is its own ancestor", nodes_[at].at);
            onPath[at] = 1;
            chain.push_back(at);
            const size_t parent = parentOf(nodes_[at]);
            if (parent == nodes_.size()) break;
            at = parent;
        }
        unsigned level = depth[at];
        for (size_t k = chain.size(); k-- > 0;) {
            onPath[chain[k]] = 0;
            depth[chain[k]] = ++level;
            if (level > unsigned(MaxNodeDepth))
                return Fail("keyframer node at byte %zu is more than %d levels deep",
                            nodes_[chain[k]].at, MaxNodeDepth);
        }
    }
    return true;
}

}  // namespace

int Check3dsBuffer(const unsigned char *bytes, size_t size, char *why, size_t whySize)
{
    static const unsigned char none[1] = {0};
    Checker checker(bytes ? bytes : none, bytes ? size : 0);
    const bool ok = checker.Run();
    if (why && whySize > 0) snprintf(why, whySize, "%s", ok ? "" : checker.reason);
    return ok ? 1 : 0;
}

int Check3dsFile(const char *path, char *why, size_t whySize)
{
    FILE *f = path ? fopen(path, "rb") : NULL;
    if (!f) {
        if (why && whySize > 0) snprintf(why, whySize, "cannot open the file");
        return 0;
    }
    // Read one byte past the limit to tell a file that is too large.
    std::vector<unsigned char> bytes;
    unsigned char block[65536];
    size_t got;
    while (bytes.size() <= MaxFileBytes && (got = fread(block, 1, sizeof block, f)) > 0)
        bytes.insert(bytes.end(), block, block + got);
    const bool readError = ferror(f) != 0;
    fclose(f);
    if (readError) {
        if (why && whySize > 0) snprintf(why, whySize, "cannot read the file");
        return 0;
    }
    return Check3dsBuffer(bytes.data(), bytes.size(), why, whySize);
}
