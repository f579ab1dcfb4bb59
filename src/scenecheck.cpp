#include "scenecheck.h"

#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <vector>

// The walk follows lib3ds 1.3's reader chunk by chunk: the same chunks are
// containers, the same ones carry data before their sub-chunks, and every
// value the library reads must lie inside its chunk. Unknown chunks are only
// bounds-checked, since the library skips them whole.

using namespace scenecheck;

namespace {

enum : unsigned {
    M3DMAGIC = 0x4D4D, MLIBMAGIC = 0x3DAA, CMAGIC = 0xC23D, M3D_VERSION = 0x0002,
    COLOR_F = 0x0010, COLOR_24 = 0x0011, LIN_COLOR_24 = 0x0012, LIN_COLOR_F = 0x0013,
    INT_PERCENTAGE = 0x0030, FLOAT_PERCENTAGE = 0x0031,

    MDATA = 0x3D3D, MESH_VERSION = 0x3D3E, MASTER_SCALE = 0x0100,
    LO_SHADOW_BIAS = 0x1400, HI_SHADOW_BIAS = 0x1410, SHADOW_MAP_SIZE = 0x1420,
    SHADOW_SAMPLES = 0x1430, SHADOW_RANGE = 0x1440, SHADOW_FILTER = 0x1450, RAY_BIAS = 0x1460,
    O_CONSTS = 0x1500, AMBIENT_LIGHT = 0x2100, BIT_MAP = 0x1100, SOLID_BGND = 0x1200,
    V_GRADIENT = 0x1300, FOG = 0x2200, FOG_BGND = 0x2210, LAYER_FOG = 0x2302,
    DISTANCE_CUE = 0x2300, DCUE_BGND = 0x2310,

    MAT_ENTRY = 0xAFFF, MAT_NAME = 0xA000, MAT_AMBIENT = 0xA010, MAT_DIFFUSE = 0xA020,
    MAT_SPECULAR = 0xA030, MAT_SHININESS = 0xA040, MAT_SHIN2PCT = 0xA041,
    MAT_TRANSPARENCY = 0xA050, MAT_XPFALL = 0xA052, MAT_REFBLUR = 0xA053,
    MAT_SHADING = 0xA100, MAT_SELF_ILPCT = 0xA084, MAT_WIRE_SIZE = 0xA087,
    MAT_TEXMAP = 0xA200, MAT_TEXMASK = 0xA33E, MAT_TEX2MAP = 0xA33A, MAT_TEX2MASK = 0xA340,
    MAT_OPACMAP = 0xA210, MAT_OPACMASK = 0xA342, MAT_BUMPMAP = 0xA230, MAT_BUMPMASK = 0xA344,
    MAT_SPECMAP = 0xA204, MAT_SPECMASK = 0xA348, MAT_SHINMAP = 0xA33C, MAT_SHINMASK = 0xA346,
    MAT_SELFIMAP = 0xA33D, MAT_SELFIMASK = 0xA34A, MAT_REFLMAP = 0xA220, MAT_REFLMASK = 0xA34C,
    MAT_ACUBIC = 0xA310, MAT_MAPNAME = 0xA300, MAT_MAP_TILING = 0xA351,
    MAT_MAP_TEXBLUR = 0xA353, MAT_MAP_USCALE = 0xA354, MAT_MAP_VSCALE = 0xA356,
    MAT_MAP_UOFFSET = 0xA358, MAT_MAP_VOFFSET = 0xA35A, MAT_MAP_ANG = 0xA35C,
    MAT_MAP_COL1 = 0xA360, MAT_MAP_COL2 = 0xA362, MAT_MAP_RCOL = 0xA364,
    MAT_MAP_GCOL = 0xA366, MAT_MAP_BCOL = 0xA368,

    NAMED_OBJECT = 0x4000, N_DIRECT_LIGHT = 0x4600, DL_OUTER_RANGE = 0x465A,
    DL_INNER_RANGE = 0x4659, DL_MULTIPLIER = 0x465B, DL_EXCLUDE = 0x4654,
    DL_ATTENUATE = 0x4625, DL_SPOTLIGHT = 0x4610, DL_SPOT_ROLL = 0x4656,
    DL_LOCAL_SHADOW2 = 0x4641, DL_SPOT_ASPECT = 0x4657, DL_SPOT_PROJECTOR = 0x4653,
    DL_RAY_BIAS = 0x4658, N_CAMERA = 0x4700, CAM_RANGES = 0x4720,
    N_TRI_OBJECT = 0x4100, POINT_ARRAY = 0x4110, POINT_FLAG_ARRAY = 0x4111,
    FACE_ARRAY = 0x4120, MSH_MAT_GROUP = 0x4130, SMOOTH_GROUP = 0x4150, MSH_BOXMAP = 0x4190,
    TEX_VERTS = 0x4140, MESH_MATRIX = 0x4160, MESH_COLOR = 0x4165, MESH_TEXTURE_INFO = 0x4170,

    KFDATA = 0xB000, KFHDR = 0xB00A, KFSEG = 0xB008, KFCURTIME = 0xB009,
    AMBIENT_NODE_TAG = 0xB001, SPOTLIGHT_NODE_TAG = 0xB007,
    NODE_ID = 0xB030, NODE_HDR = 0xB010, PIVOT = 0xB013, INSTANCE_NAME = 0xB011,
    MORPH_SMOOTH = 0xB015, BOUNDBOX = 0xB014, POS_TRACK_TAG = 0xB020, COL_TRACK_TAG = 0xB025,
    ROT_TRACK_TAG = 0xB021, SCL_TRACK_TAG = 0xB022, MORPH_TRACK_TAG = 0xB026,
    FOV_TRACK_TAG = 0xB023, ROLL_TRACK_TAG = 0xB024, HOT_TRACK_TAG = 0xB027,
    FALL_TRACK_TAG = 0xB028, HIDE_TRACK_TAG = 0xB029,

    DEFAULT_VIEW = 0x3000, VIEW_TOP = 0x3010, VIEW_BOTTOM = 0x3020, VIEW_LEFT = 0x3030,
    VIEW_RIGHT = 0x3040, VIEW_FRONT = 0x3050, VIEW_BACK = 0x3060, VIEW_USER = 0x3070,
    VIEW_CAMERA = 0x3080, VIEWPORT_LAYOUT = 0x7001, VIEWPORT_DATA_3 = 0x7012,
    VIEWPORT_SIZE = 0x7020,
};

const size_t HeaderBytes = 6;
const size_t NameField = 64;      // every name field of lib3ds, terminator included
const size_t KfNameField = 13;    // the keyframer header's file name
const unsigned NoParent = 65535;  // LIB3DS_NO_PARENT

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

class Checker {
public:
    Checker(const unsigned char *bytes, size_t size) : bytes_(bytes), size_(size) { reason[0] = '\0'; }

    bool Run();

    char reason[192];

private:
    const unsigned char *bytes_;
    size_t size_;

    unsigned long materials_ = 0, meshes_ = 0, cameras_ = 0, lights_ = 0;  // records lib3ds keeps sorted
    unsigned long elements_ = 0, views_ = 0, listWork_ = 0;
    std::vector<Node> nodes_;

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

    template <class Visit> bool Children(const Chunk &parent, size_t from, Visit visit);

    bool Mdata(const Chunk &c);
    bool Material(const Chunk &c);
    bool Colour(const Chunk &c);
    bool Percentage(const Chunk &c);
    bool TextureMap(const Chunk &c);
    bool Background(const Chunk &c);
    bool Gradient(const Chunk &c);
    bool Atmosphere(const Chunk &c, size_t dataBytes);
    bool NamedObject(const Chunk &c);
    bool Mesh(const Chunk &c);
    bool Faces(const Chunk &c, unsigned *maxPoint);
    bool Camera(const Chunk &c);
    bool Light(const Chunk &c);
    bool Spotlight(const Chunk &c);
    bool Viewport(const Chunk &c);
    bool Kfdata(const Chunk &c);
    bool KeyframerNode(const Chunk &c, unsigned ordinal);
    bool Track(const Chunk &c);
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
    if (pos <= c.end && n <= c.end - pos)
        return true;
    return FailAt(c, "%s needs %zu bytes, %zu left", what, n, pos <= c.end ? c.end - pos : 0);
}

bool Checker::String(const Chunk &c, size_t *pos, size_t field, const char *what)
{
    const size_t room = *pos < c.end ? c.end - *pos : 0;
    const void *nul = room ? memchr(bytes_ + *pos, 0, std::min(room, field)) : NULL;
    if (!nul) {
        if (room < field)
            return FailAt(c, "%s has no terminator", what);
        return FailAt(c, "%s is longer than %zu characters", what, field - 1);
    }
    *pos = static_cast<const unsigned char *>(nul) - bytes_ + 1;
    return true;
}

bool Checker::Count(unsigned long *count, const char *what)
{
    if (++*count > MaxListLength)
        return Fail("more than %lu %s", (unsigned long)MaxListLength, what);
    return true;
}

bool Checker::AddList(unsigned long length, const char *what)
{
    if (length > MaxListLength)
        return Fail("more than %lu %s", (unsigned long)MaxListLength, what);
    listWork_ += length * length;
    if (listWork_ > MaxListWork)
        return Fail("too many records to sort (at %s)", what);
    return true;
}

// Sub-chunks from `from` to the parent's end must tile it exactly: lib3ds
// steps by each length without checking it, so a length of 0 loops forever
// and a few stray bytes are read as a header beyond the parent.
template <class Visit> bool Checker::Children(const Chunk &parent, size_t from, Visit visit)
{
    size_t pos = from;
    while (pos < parent.end) {
        Chunk c{0, pos, 0};
        if (parent.end - pos < HeaderBytes)
            return FailAt(parent, "%zu stray bytes at its end", parent.end - pos);
        c.id = U16(pos);
        const uint32_t length = U32(pos + 2);
        if (length < HeaderBytes)
            return FailAt(c, "length %u is below 6", length);
        if (length > parent.end - pos)
            return FailAt(c, "length %u runs past its parent (0x%04X at byte %zu)", length, parent.id, parent.at);
        // lib3ds takes id 0 for the end of its parent and would skip the rest.
        if (c.id == 0)
            return FailAt(c, "chunk id 0");
        c.end = pos + length;
        if (!visit(c))
            return false;
        pos = c.end;
    }
    return true;
}

bool Checker::Run()
{
    if (size_ < HeaderBytes)
        return Fail("%zu bytes: too short for a 3DS file", size_);
    if (size_ > MaxFileBytes)
        return Fail("%zu bytes: larger than %lu", size_, (unsigned long)MaxFileBytes);
    const Chunk top{U16(0), 0, 0};
    const uint32_t length = U32(2);
    if (top.id != M3DMAGIC && top.id != MLIBMAGIC && top.id != CMAGIC && top.id != MDATA)
        return Fail("not a 3DS file (first chunk 0x%04X)", top.id);
    if (length < HeaderBytes)
        return Fail("main chunk length %u is below 6", length);
    if (length > size_)
        return Fail("truncated: the main chunk needs %u bytes, the file has %zu", length, size_);
    if (length < size_)
        return Fail("%zu bytes after the end of the main chunk", size_ - length);
    const Chunk file{top.id, 0, size_};

    bool ok;
    if (file.id == MDATA) {
        ok = Mdata(file);
    } else {
        ok = Children(file, file.Data(), [&](const Chunk &c) {
            switch (c.id) {
            case M3D_VERSION: return Leaf(c, 4);
            case MDATA: return Mdata(c);
            case KFDATA: return Kfdata(c);
            default: return true;
            }
        });
    }
    if (!ok)
        return false;
    if (!AddList(materials_, "materials") || !AddList(meshes_, "meshes") ||
        !AddList(cameras_, "cameras") || !AddList(lights_, "lights") ||
        !AddList(nodes_.size(), "keyframer nodes"))
        return false;
    if (elements_ > MaxElements)
        return Fail("more than %lu points, texture coordinates and faces", (unsigned long)MaxElements);
    return NodeTree();
}

bool Checker::Mdata(const Chunk &mdata)
{
    return Children(mdata, mdata.Data(), [&](const Chunk &c) {
        switch (c.id) {
        case MESH_VERSION:
        case MASTER_SCALE:
        case LO_SHADOW_BIAS:
        case HI_SHADOW_BIAS:
        case SHADOW_RANGE:
        case SHADOW_FILTER:
        case RAY_BIAS:
            return Leaf(c, 4);
        case SHADOW_MAP_SIZE:
        case SHADOW_SAMPLES:
            return Leaf(c, 2);
        case O_CONSTS: return Leaf(c, 12);
        case VIEWPORT_LAYOUT:
        case DEFAULT_VIEW:
            return Viewport(c);
        case AMBIENT_LIGHT:
        case SOLID_BGND:
            return Background(c);
        case BIT_MAP: {
            size_t pos = c.Data();
            return String(c, &pos, NameField, "background image name");
        }
        case V_GRADIENT: return Gradient(c);
        case FOG:
        case LAYER_FOG:
        case DISTANCE_CUE:
            return Atmosphere(c, 16);
        case MAT_ENTRY: return Material(c);
        case NAMED_OBJECT: return NamedObject(c);
        default: return true;
        }
    });
}

bool Checker::Material(const Chunk &material)
{
    if (!Count(&materials_, "materials"))
        return false;
    return Children(material, material.Data(), [&](const Chunk &c) {
        switch (c.id) {
        case MAT_NAME: {
            size_t pos = c.Data();
            return String(c, &pos, NameField, "material name");
        }
        case MAT_AMBIENT:
        case MAT_DIFFUSE:
        case MAT_SPECULAR:
            return Colour(c);
        case MAT_SHININESS:
        case MAT_SHIN2PCT:
        case MAT_TRANSPARENCY:
        case MAT_XPFALL:
        case MAT_REFBLUR:
        case MAT_SELF_ILPCT:
            return Percentage(c);
        case MAT_SHADING: return Leaf(c, 2);
        case MAT_WIRE_SIZE: return Leaf(c, 4);
        case MAT_ACUBIC: return Leaf(c, 12);
        case MAT_TEXMAP: case MAT_TEXMASK: case MAT_TEX2MAP: case MAT_TEX2MASK:
        case MAT_OPACMAP: case MAT_OPACMASK: case MAT_BUMPMAP: case MAT_BUMPMASK:
        case MAT_SPECMAP: case MAT_SPECMASK: case MAT_SHINMAP: case MAT_SHINMASK:
        case MAT_SELFIMAP: case MAT_SELFIMASK: case MAT_REFLMAP: case MAT_REFLMASK:
            return TextureMap(c);
        default: return true;
        }
    });
}

bool Checker::Colour(const Chunk &colour)
{
    return Children(colour, colour.Data(), [&](const Chunk &c) {
        switch (c.id) {
        case COLOR_F:
        case LIN_COLOR_F:
            return Leaf(c, 12);
        case COLOR_24:
        case LIN_COLOR_24:
            return Leaf(c, 3);
        default: return true;
        }
    });
}

bool Checker::Percentage(const Chunk &percentage)
{
    return Children(percentage, percentage.Data(), [&](const Chunk &c) {
        switch (c.id) {
        case INT_PERCENTAGE: return Leaf(c, 2);
        case FLOAT_PERCENTAGE: return Leaf(c, 4);
        default: return true;
        }
    });
}

bool Checker::TextureMap(const Chunk &map)
{
    return Children(map, map.Data(), [&](const Chunk &c) {
        switch (c.id) {
        case INT_PERCENTAGE:
        case MAT_MAP_TILING:
            return Leaf(c, 2);
        case MAT_MAPNAME: {
            size_t pos = c.Data();
            return String(c, &pos, NameField, "image name");
        }
        case MAT_MAP_TEXBLUR: case MAT_MAP_USCALE: case MAT_MAP_VSCALE:
        case MAT_MAP_UOFFSET: case MAT_MAP_VOFFSET: case MAT_MAP_ANG:
            return Leaf(c, 4);
        case MAT_MAP_COL1: case MAT_MAP_COL2: case MAT_MAP_RCOL: case MAT_MAP_GCOL: case MAT_MAP_BCOL:
            return Leaf(c, 3);
        default: return true;
        }
    });
}

// The ambient light and a solid background: colours only.
bool Checker::Background(const Chunk &background)
{
    return Children(background, background.Data(), [&](const Chunk &c) {
        if (c.id == COLOR_F || c.id == LIN_COLOR_F)
            return Leaf(c, 12);
        return true;
    });
}

// lib3ds keeps three colours of each kind in a stack array and indexes it by
// the count of sub-chunks seen: a fourth writes past it.
bool Checker::Gradient(const Chunk &gradient)
{
    if (!Leaf(gradient, 4))
        return false;
    int colours = 0, linearColours = 0;
    return Children(gradient, gradient.Data() + 4, [&](const Chunk &c) {
        if (c.id != COLOR_F && c.id != LIN_COLOR_F)
            return true;
        int &count = c.id == COLOR_F ? colours : linearColours;
        if (++count > 3)
            return FailAt(c, "more than three gradient colours");
        return Leaf(c, 12);
    });
}

bool Checker::Atmosphere(const Chunk &atmosphere, size_t dataBytes)
{
    if (!Leaf(atmosphere, dataBytes))
        return false;
    return Children(atmosphere, atmosphere.Data() + dataBytes, [&](const Chunk &c) {
        if (c.id == COLOR_F || c.id == LIN_COLOR_F)
            return Leaf(c, 12);
        return true;
    });
}

bool Checker::NamedObject(const Chunk &object)
{
    size_t pos = object.Data();
    if (!String(object, &pos, NameField, "object name"))
        return false;
    return Children(object, pos, [&](const Chunk &c) {
        switch (c.id) {
        case N_TRI_OBJECT: return Mesh(c);
        case N_CAMERA: return Camera(c);
        case N_DIRECT_LIGHT: return Light(c);
        default: return true;
        }
    });
}

// lib3ds computes every face's normal from its corners once the whole mesh
// is read, through the point list that the last POINT_ARRAY left.
bool Checker::Mesh(const Chunk &mesh)
{
    if (!Count(&meshes_, "meshes"))
        return false;
    unsigned points = 0;
    unsigned maxPoint = 0;
    bool anyFace = false;
    size_t facesAt = mesh.at;
    const bool ok = Children(mesh, mesh.Data(), [&](const Chunk &c) {
        switch (c.id) {
        case MESH_MATRIX: return Leaf(c, 48);
        case MESH_COLOR: return Leaf(c, 1);
        case MESH_TEXTURE_INFO: return Leaf(c, 84);
        case POINT_ARRAY:
        case POINT_FLAG_ARRAY:
        case TEX_VERTS: {
            if (!Leaf(c, 2))
                return false;
            const unsigned count = U16(c.Data());
            const size_t each = c.id == POINT_ARRAY ? 12 : c.id == TEX_VERTS ? 8 : 2;
            // Exact: a writer's 16-bit count cut from a larger list shows here.
            if (c.end - c.Data() != 2 + each * count)
                return FailAt(c, "%zu bytes for %u entries of %zu", c.end - c.Data(), count, each);
            elements_ += count;
            if (c.id == POINT_ARRAY)
                points = count;
            return true;
        }
        case FACE_ARRAY: {
            unsigned most = 0;
            if (!Faces(c, &most))
                return false;
            if (U16(c.Data()) > 0) {
                anyFace = true;
                facesAt = c.at;
                maxPoint = std::max(maxPoint, most);
            }
            return true;
        }
        default: return true;
        }
    });
    if (!ok)
        return false;
    if (anyFace && points == 0)
        return Fail("chunk 0x%04X at byte %zu: faces without points", FACE_ARRAY, facesAt);
    if (anyFace && maxPoint >= points)
        return Fail("chunk 0x%04X at byte %zu: a face uses point %u of %u", FACE_ARRAY, facesAt, maxPoint, points);
    return true;
}

bool Checker::Faces(const Chunk &faces, unsigned *maxPoint)
{
    if (!Leaf(faces, 2))
        return false;
    const unsigned count = U16(faces.Data());
    if (!Need(faces, faces.Data() + 2, size_t(8) * count, "the face list"))
        return false;
    elements_ += count;
    for (unsigned i = 0; i < count; i++) {
        const size_t at = faces.Data() + 2 + size_t(8) * i;
        *maxPoint = std::max({*maxPoint, U16(at), U16(at + 2), U16(at + 4)});
    }
    return Children(faces, faces.Data() + 2 + size_t(8) * count, [&](const Chunk &c) {
        switch (c.id) {
        case SMOOTH_GROUP:
            if (c.end - c.Data() != size_t(4) * count)
                return FailAt(c, "%zu bytes of smoothing groups for %u faces", c.end - c.Data(), count);
            return true;
        case MSH_MAT_GROUP: {
            size_t pos = c.Data();
            if (!String(c, &pos, NameField, "material name") || !Need(c, pos, 2, "the face count"))
                return false;
            const unsigned members = U16(pos);
            pos += 2;
            if (c.end - pos != size_t(2) * members)
                return FailAt(c, "%zu bytes for %u face indices", c.end - pos, members);
            for (unsigned i = 0; i < members; i++) {
                // lib3ds copies the name into the face at this index unchecked.
                if (U16(pos + 2 * i) >= count)
                    return FailAt(c, "names face %u of %u", U16(pos + 2 * i), count);
            }
            return true;
        }
        case MSH_BOXMAP: {
            size_t pos = c.Data();
            for (int side = 0; side < 6; side++) {
                if (!String(c, &pos, NameField, "box map name"))
                    return false;
            }
            return true;
        }
        default:
            // The face data of a list longer than its 16-bit count would be
            // read as sub-chunks here.
            return FailAt(c, "unexpected in a face list");
        }
    });
}

bool Checker::Camera(const Chunk &camera)
{
    if (!Count(&cameras_, "cameras"))
        return false;
    if (!Leaf(camera, 32))
        return false;
    return Children(camera, camera.Data() + 32, [&](const Chunk &c) {
        return c.id == CAM_RANGES ? Leaf(c, 8) : true;
    });
}

bool Checker::Light(const Chunk &light)
{
    if (!Count(&lights_, "lights"))
        return false;
    if (!Leaf(light, 12))
        return false;
    return Children(light, light.Data() + 12, [&](const Chunk &c) {
        switch (c.id) {
        case COLOR_F: return Leaf(c, 12);
        case DL_OUTER_RANGE:
        case DL_INNER_RANGE:
        case DL_MULTIPLIER:
            return Leaf(c, 4);
        case DL_EXCLUDE:
        case DL_ATTENUATE:
            // lib3ds writes these as flags yet reads a float from them: the
            // bytes after may belong to the next chunk, but must be in the file.
            if (c.Data() + 4 > size_)
                return FailAt(c, "lib3ds would read past the end of the file");
            return true;
        case DL_SPOTLIGHT: return Spotlight(c);
        default: return true;
        }
    });
}

bool Checker::Spotlight(const Chunk &spot)
{
    if (!Leaf(spot, 20))
        return false;
    return Children(spot, spot.Data() + 20, [&](const Chunk &c) {
        switch (c.id) {
        case DL_SPOT_ROLL:
        case DL_SPOT_ASPECT:
        case DL_RAY_BIAS:
            return Leaf(c, 4);
        case DL_LOCAL_SHADOW2: return Leaf(c, 10);
        case DL_SPOT_PROJECTOR: {
            size_t pos = c.Data();
            return String(c, &pos, NameField, "projector image name");
        }
        default: return true;
        }
    });
}

bool Checker::Viewport(const Chunk &viewport)
{
    if (viewport.id == DEFAULT_VIEW) {
        return Children(viewport, viewport.Data(), [&](const Chunk &c) {
            switch (c.id) {
            case VIEW_TOP: case VIEW_BOTTOM: case VIEW_LEFT:
            case VIEW_RIGHT: case VIEW_FRONT: case VIEW_BACK:
                return Leaf(c, 16);
            case VIEW_USER: return Leaf(c, 28);
            case VIEW_CAMERA: return Leaf(c, 11);
            default: return true;
            }
        });
    }
    if (!Leaf(viewport, 14))
        return false;
    return Children(viewport, viewport.Data() + 14, [&](const Chunk &c) {
        switch (c.id) {
        case VIEWPORT_SIZE: return Leaf(c, 8);
        case VIEWPORT_DATA_3:
            // Each one grows the library's view array by one.
            if (++views_ > MaxViews)
                return FailAt(c, "more than %lu viewport records", (unsigned long)MaxViews);
            return Leaf(c, 49);
        default: return true;
        }
    });
}

bool Checker::Kfdata(const Chunk &kfdata)
{
    // lib3ds numbers the nodes of each keyframer section from 0; that number
    // is a node's id unless a NODE_ID chunk gives another.
    unsigned ordinal = 0;
    return Children(kfdata, kfdata.Data(), [&](const Chunk &c) {
        switch (c.id) {
        case KFHDR: {
            size_t pos = c.Data() + 2;  // revision
            return Leaf(c, 2) && String(c, &pos, KfNameField, "scene name") && Need(c, pos, 4, "the frame count");
        }
        case KFSEG: return Leaf(c, 8);
        case KFCURTIME: return Leaf(c, 4);
        case VIEWPORT_LAYOUT:
        case DEFAULT_VIEW:
            return Viewport(c);
        default:
            if (c.id >= AMBIENT_NODE_TAG && c.id <= SPOTLIGHT_NODE_TAG)
                return KeyframerNode(c, ordinal++);
            return true;
        }
    });
}

bool Checker::KeyframerNode(const Chunk &node, unsigned ordinal)
{
    Node record{ordinal & 0xffff, NoParent, node.at};
    int ids = 0, headers = 0;
    const bool ok = Children(node, node.Data(), [&](const Chunk &c) {
        switch (c.id) {
        case NODE_ID:
            if (++ids > 1)
                return FailAt(c, "a second node id");
            if (!Leaf(c, 2))
                return false;
            record.id = U16(c.Data());
            return true;
        case NODE_HDR: {
            if (++headers > 1)
                return FailAt(c, "a second node header");
            size_t pos = c.Data();
            if (!String(c, &pos, NameField, "node name") || !Need(c, pos, 6, "flags and parent"))
                return false;
            record.parent = U16(pos + 4);
            return true;
        }
        case PIVOT: return Leaf(c, 12);
        case BOUNDBOX: return Leaf(c, 24);
        case MORPH_SMOOTH: return Leaf(c, 4);
        case INSTANCE_NAME: {
            size_t pos = c.Data();
            return String(c, &pos, NameField, "instance name");
        }
        case POS_TRACK_TAG: case ROT_TRACK_TAG: case SCL_TRACK_TAG: case COL_TRACK_TAG:
        case MORPH_TRACK_TAG: case FOV_TRACK_TAG: case ROLL_TRACK_TAG: case HOT_TRACK_TAG:
        case FALL_TRACK_TAG: case HIDE_TRACK_TAG:
            return Track(c);
        default: return true;
        }
    });
    if (!ok)
        return false;
    // Without a header lib3ds leaves the parent id 0, which is easily itself.
    if (headers == 0)
        return FailAt(node, "a keyframer node without header");
    if (nodes_.size() >= MaxListLength)
        return FailAt(node, "more than %lu keyframer nodes", (unsigned long)MaxListLength);
    nodes_.push_back(record);
    return true;
}

// A track: flags, 8 unused bytes, a key count, then keys of a frame, tcb
// flags, one float per flag set and the value, whose size depends on the track.
bool Checker::Track(const Chunk &track)
{
    if (!Leaf(track, 14))
        return false;
    const int32_t keys = int32_t(U32(track.Data() + 10));
    if (keys < 0)
        return FailAt(track, "%d keys", keys);
    // Each key is at least 6 bytes: a count beyond that is a lie, and lib3ds
    // would loop over it reading nothing.
    if (size_t(keys) > (track.end - track.Data() - 14) / 6)
        return FailAt(track, "%d keys do not fit", keys);
    if (!AddList(keys, "track keys"))
        return false;
    size_t value;
    switch (track.id) {
    case POS_TRACK_TAG: case SCL_TRACK_TAG: case COL_TRACK_TAG: value = 12; break;
    case ROT_TRACK_TAG: value = 16; break;
    case HIDE_TRACK_TAG: case MORPH_TRACK_TAG: value = 0; break;
    default: value = 4; break;
    }
    std::vector<int32_t> frames;
    frames.reserve(keys);
    size_t pos = track.Data() + 14;
    for (int32_t k = 0; k < keys; k++) {
        if (!Need(track, pos, 6, "a key"))
            return false;
        const int32_t frame = int32_t(U32(pos));
        const unsigned flags = U16(pos + 4);
        pos += 6;
        for (unsigned bit = 1; bit <= 0x10; bit <<= 1)
            pos += flags & bit ? 4 : 0;
        if (!Need(track, pos, value, "a key"))
            return false;
        pos += value;
        if (track.id == MORPH_TRACK_TAG && !String(track, &pos, NameField, "morph target name"))
            return false;
        if (frame < -long(MaxKeyFrame) || frame > long(MaxKeyFrame))
            return FailAt(track, "key frame %d is out of range", frame);
        frames.push_back(frame);
    }
    if (pos != track.end)
        return FailAt(track, "%zu bytes after the last key", track.end - pos);
    // On a repeating track, two keys on one frame make lib3ds's evaluation
    // step off the end of its key list.
    std::sort(frames.begin(), frames.end());
    if (std::adjacent_find(frames.begin(), frames.end()) != frames.end())
        return FailAt(track, "two keys on one frame");
    return true;
}

// lib3ds hangs a node under the node whose id is its parent id, searching
// the tree recursively, and re-inserts earlier nodes that name it as parent:
// a node that is its own ancestor makes that recursion endless.
bool Checker::NodeTree()
{
    std::vector<int> byId(65536, -1);
    for (size_t i = 0; i < nodes_.size(); i++) {
        const Node &n = nodes_[i];
        if (byId[n.id] >= 0)
            return Fail("keyframer nodes at bytes %zu and %zu share id %u", nodes_[byId[n.id]].at, n.at, n.id);
        byId[n.id] = int(i);
    }
    for (const Node &n : nodes_) {
        if (n.parent != NoParent && byId[n.parent] < 0)
            return Fail("keyframer node at byte %zu: parent %u does not exist", n.at, n.parent);
    }
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
            if (nodes_[at].parent == NoParent)
                break;
            at = size_t(byId[nodes_[at].parent]);
        }
        unsigned level = depth[at];
        for (size_t k = chain.size(); k-- > 0;) {
            onPath[chain[k]] = 0;
            depth[chain[k]] = ++level;
            if (level > MaxNodeDepth)
                return Fail("keyframer node at byte %zu is more than %lu levels deep", nodes_[chain[k]].at,
                            (unsigned long)MaxNodeDepth);
        }
    }
    return true;
}

} // namespace

int Check3dsBuffer(const unsigned char *bytes, size_t size, char *why, size_t whySize)
{
    static const unsigned char none[1] = {0};
    Checker checker(bytes ? bytes : none, bytes ? size : 0);
    const bool ok = checker.Run();
    if (why && whySize > 0)
        snprintf(why, whySize, "%s", ok ? "" : checker.reason);
    return ok ? 1 : 0;
}

int Check3dsFile(const char *path, char *why, size_t whySize)
{
    FILE *f = path ? fopen(path, "rb") : NULL;
    if (!f) {
        if (why && whySize > 0)
            snprintf(why, whySize, "cannot open the file");
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
        if (why && whySize > 0)
            snprintf(why, whySize, "cannot read the file");
        return 0;
    }
    return Check3dsBuffer(bytes.data(), bytes.size(), why, whySize);
}
