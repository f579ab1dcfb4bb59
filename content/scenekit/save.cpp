// Validation and writing of a Scene through lib3ds.
#include <lib3ds/camera.h>
#include <lib3ds/file.h>
#include <lib3ds/light.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>

#include "rotation.h"
#include "scenekit.h"
#include "scenelimits.h"

namespace scenekit {
namespace {

constexpr size_t kMaxNameBytes = 63;
constexpr size_t kMaxListSize = 65535;  // indices are 16-bit words in the file
constexpr char kTargetName[] = "Camera01";
constexpr int kMaxFrame = scenelimits::MaxKeyFrame;

// What the player's chunk walk accepts.
constexpr size_t kPlayerMaxList = scenelimits::MaxListLength;
constexpr int kPlayerMaxDepth = scenelimits::MaxNodeDepth;
constexpr size_t kPlayerMaxElements = scenelimits::MaxElements;

bool Fail(std::string* error, const std::string& message) {
    if (error) *error = message;
    return false;
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

bool Finite(float v) { return std::isfinite(v); }
bool Finite(Vec3 v) { return Finite(v.x) && Finite(v.y) && Finite(v.z); }

// A name that fits lib3ds's 64-byte fields and survives as a C string.
bool CheckName(const std::string& what, const std::string& name, bool mayBeEmpty,
               std::string* error) {
    if (name.empty() && !mayBeEmpty) return Fail(error, what + " has an empty name");
    if (name.size() > kMaxNameBytes)
        return Fail(error, what + " name " + Quoted(name) + " is longer than 63 bytes");
    if (name.find('\0') != std::string::npos)
        return Fail(error, what + " name contains a NUL byte");
    return true;
}

template <class Record>
bool CheckUniqueNames(const std::string& what, const std::vector<Record>& records,
                      std::string* error) {
    std::set<std::string> seen;
    for (const Record& r : records) {
        if (!CheckName(what, r.name, false, error)) return false;
        if (!seen.insert(r.name).second)
            return Fail(error, what + " name " + Quoted(r.name) + " is used twice");
    }
    return true;
}

bool CheckMaterials(const std::vector<Material>& materials, std::string* error) {
    if (!CheckUniqueNames("material", materials, error)) return false;
    for (const Material& m : materials) {
        const std::string what = "material " + Quoted(m.name);
        if (!CheckName(what + " texture", m.texture, true, error)) return false;
        if (!CheckName(what + " reflection", m.reflection, true, error)) return false;
        if (!Finite(m.transparency) || m.transparency < 0 || m.transparency > 1)
            return Fail(error, what + ": transparency must be between 0 and 1");
    }
    return true;
}

bool Invertible(const Matrix& m) {
    const float det = m[0][0] * (m[1][1] * m[2][2] - m[2][1] * m[1][2]) -
                      m[1][0] * (m[0][1] * m[2][2] - m[2][1] * m[0][2]) +
                      m[2][0] * (m[0][1] * m[1][2] - m[1][1] * m[0][2]);
    return std::isfinite(det) && std::fabs(det) > 1e-12f;
}

bool CheckMesh(const Mesh& mesh, std::string* error) {
    const std::string what = "mesh " + Quoted(mesh.name);
    if (mesh.points.size() > kMaxListSize)
        return Fail(error, what + " has " + std::to_string(mesh.points.size()) +
                               " points; a mesh holds at most 65535");
    if (mesh.faces.size() > kMaxListSize)
        return Fail(error, what + " has " + std::to_string(mesh.faces.size()) +
                               " faces; a mesh holds at most 65535");
    if (!mesh.texels.empty() && mesh.texels.size() != mesh.points.size())
        return Fail(error, what + " has " + std::to_string(mesh.texels.size()) +
                               " texels for " + std::to_string(mesh.points.size()) +
                               " points; give none or one per point");
    for (size_t i = 0; i < mesh.points.size(); ++i)
        if (!Finite(mesh.points[i]))
            return Fail(error, what + ": point " + std::to_string(i) + " is not finite");
    for (size_t i = 0; i < mesh.texels.size(); ++i)
        if (!Finite(mesh.texels[i][0]) || !Finite(mesh.texels[i][1]))
            return Fail(error, what + ": texel " + std::to_string(i) + " is not finite");
    for (size_t i = 0; i < mesh.faces.size(); ++i) {
        const Face& face = mesh.faces[i];
        const std::string faceWhat = what + ": face " + std::to_string(i);
        for (unsigned index : face.points)
            if (index >= mesh.points.size())
                return Fail(error, faceWhat + " uses point " + std::to_string(index) + " of " +
                                       std::to_string(mesh.points.size()));
        if (face.points[0] == face.points[1] || face.points[1] == face.points[2] ||
            face.points[0] == face.points[2])
            return Fail(error, faceWhat + " repeats a point");
        if (!CheckName(faceWhat + " material", face.material, true, error)) return false;
    }
    for (const auto& column : mesh.matrix)
        for (float v : column)
            if (!Finite(v)) return Fail(error, what + ": matrix is not finite");
    if (!Invertible(mesh.matrix)) return Fail(error, what + ": matrix cannot be inverted");
    return true;
}

template <class Key>
bool CheckFrames(const std::vector<Key>& keys, const std::string& what, std::string* error) {
    for (size_t i = 0; i < keys.size(); ++i) {
        if (keys[i].frame < 0)
            return Fail(error, what + " key at frame " + std::to_string(keys[i].frame) +
                                   " is before frame 0");
        if (keys[i].frame > kMaxFrame)
            return Fail(error, what + " key at frame " + std::to_string(keys[i].frame) +
                                   " is beyond frame " + std::to_string(kMaxFrame));
        if (i > 0 && keys[i].frame <= keys[i - 1].frame)
            return Fail(error, what + " keys must have increasing frames (frame " +
                                   std::to_string(keys[i].frame) + " follows frame " +
                                   std::to_string(keys[i - 1].frame) + ")");
    }
    return true;
}

template <class Key>
bool CheckValues(const std::vector<Key>& keys, const std::string& what, std::string* error) {
    for (const Key& key : keys)
        if (!Finite(key.value))
            return Fail(error, what + " key at frame " + std::to_string(key.frame) +
                                   " is not finite");
    return true;
}

std::string NodeLabel(const std::vector<Node>& nodes, size_t i) {
    return "node " + std::to_string(i) + " (" + Quoted(nodes[i].name) + ")";
}

bool CheckNodeTracks(const Node& node, const std::string& what, std::string* error) {
    const Motion& m = node.motion;
    if (!Finite(m.pivot)) return Fail(error, what + ": pivot is not finite");
    if (!CheckFrames(m.position, what + " position", error) ||
        !CheckValues(m.position, what + " position", error) ||
        !CheckFrames(m.rotation, what + " rotation", error) ||
        !CheckFrames(m.scale, what + " scale", error) ||
        !CheckValues(m.scale, what + " scale", error) ||
        !CheckFrames(node.fov, what + " fov", error) ||
        !CheckValues(node.fov, what + " fov", error) ||
        !CheckFrames(node.roll, what + " roll", error) ||
        !CheckValues(node.roll, what + " roll", error))
        return false;
    const bool object = node.type == NodeType::Object;
    if (!object && (!m.rotation.empty() || !m.scale.empty()))
        return Fail(error, what + ": only object nodes have rotation and scale keys");
    if (!object && (m.pivot.x != 0 || m.pivot.y != 0 || m.pivot.z != 0))
        return Fail(error, what + ": only object nodes have a pivot");
    if (node.type != NodeType::Camera && (!node.fov.empty() || !node.roll.empty()))
        return Fail(error, what + ": only camera nodes have fov and roll keys");
    std::vector<LibRotationKey> expanded;
    return ExpandRotationKeys(m.rotation, &expanded, error, what);
}

bool CheckNodes(const std::vector<Node>& nodes, std::string* error) {
    if (nodes.size() >= kMaxListSize)
        return Fail(error, "a scene holds at most 65534 nodes");
    const int count = static_cast<int>(nodes.size());
    for (int i = 0; i < count; ++i) {
        const Node& node = nodes[i];
        const std::string what = NodeLabel(nodes, i);
        if (!CheckName("node " + std::to_string(i), node.name, false, error)) return false;
        if (node.parent != kNoParent && (node.parent < 0 || node.parent >= count))
            return Fail(error, what + ": parent " + std::to_string(node.parent) +
                                   " is not a node of the scene");
        if (node.parent == i) return Fail(error, what + " is its own parent");
        if (!CheckNodeTracks(node, what, error)) return false;
    }
    // A parent chain longer than the node count has met a node twice.
    for (int i = 0; i < count; ++i) {
        int steps = 0;
        for (int p = nodes[i].parent; p != kNoParent; p = nodes[p].parent)
            if (++steps > count)
                return Fail(error, NodeLabel(nodes, i) + ": its parents form a cycle");
    }
    return true;
}

bool HasNode(const std::vector<Node>& nodes, NodeType type, const std::string& name) {
    return std::any_of(nodes.begin(), nodes.end(),
                       [&](const Node& n) { return n.type == type && n.name == name; });
}

int Depth(const std::vector<Node>& nodes, size_t i) {
    int depth = 1;
    for (int p = nodes[i].parent; p != kNoParent; p = nodes[p].parent) ++depth;
    return depth;
}

// Keys as written: a frame-0 copy may be added, and long turns are split.
size_t LongestTrack(const Node& node) {
    auto written = [](const auto& keys) {
        return keys.size() + (keys.empty() || keys.front().frame > 0 ? 1 : 0);
    };
    std::vector<LibRotationKey> rotation;
    ExpandRotationKeys(node.motion.rotation, &rotation, nullptr, "");
    return std::max({written(node.motion.position), written(node.motion.scale), rotation.size(),
                     written(node.fov), written(node.roll)});
}

bool CheckPlayerLimits(const Scene& scene, std::string* error) {
    const std::string limit = std::to_string(kPlayerMaxList);
    if (scene.materials().size() > kPlayerMaxList || scene.meshes().size() > kPlayerMaxList ||
        scene.cameras().size() > kPlayerMaxList || scene.lights().size() > kPlayerMaxList ||
        scene.nodes().size() > kPlayerMaxList)
        return Fail(error, "the player reads at most " + limit +
                               " materials, meshes, cameras, lights and nodes each");
    size_t elements = 0;
    for (const Mesh& m : scene.meshes()) elements += m.points.size() + m.texels.size() + m.faces.size();
    if (elements > kPlayerMaxElements)
        return Fail(error, "the scene has " + std::to_string(elements) +
                               " points, texels and faces; the player reads at most " +
                               std::to_string(kPlayerMaxElements));
    for (size_t i = 0; i < scene.nodes().size(); ++i) {
        if (Depth(scene.nodes(), i) > kPlayerMaxDepth)
            return Fail(error, NodeLabel(scene.nodes(), i) + " is nested deeper than " +
                                   std::to_string(kPlayerMaxDepth) + " levels");
        if (LongestTrack(scene.nodes()[i]) > kPlayerMaxList)
            return Fail(error, NodeLabel(scene.nodes(), i) + " has a track of more than " + limit +
                                   " keys");
    }
    return true;
}

bool CheckPlayable(const Scene& scene, std::string* error) {
    if (!CheckPlayerLimits(scene, error)) return false;
    if (scene.cameras().empty()) return Fail(error, "the scene has no camera");
    std::string first = scene.cameras().front().name;
    for (const Camera& c : scene.cameras()) first = std::min(first, c.name);
    if (!HasNode(scene.nodes(), NodeType::Camera, first))
        return Fail(error, "no camera node is named " + Quoted(first) +
                               ", the camera whose name sorts first");
    if (!HasNode(scene.nodes(), NodeType::Target, kTargetName))
        return Fail(error, "no target node is named \"Camera01\"");

    std::set<std::string> meshNames, materialNames;
    for (const Mesh& m : scene.meshes()) meshNames.insert(m.name);
    for (const Material& m : scene.materials()) materialNames.insert(m.name);
    for (size_t i = 0; i < scene.nodes().size(); ++i) {
        const Node& n = scene.nodes()[i];
        if (n.type == NodeType::Object && n.name != kDummyName && !meshNames.count(n.name))
            return Fail(error, NodeLabel(scene.nodes(), i) + " has no mesh of its name");
    }
    for (const Mesh& mesh : scene.meshes()) {
        bool named = false;
        for (size_t i = 0; i < mesh.faces.size(); ++i) {
            const std::string& material = mesh.faces[i].material;
            const std::string what = "mesh " + Quoted(mesh.name) + ": face " + std::to_string(i);
            if (material.empty() && !named)
                return Fail(error, what + " has no material and no earlier face names one");
            if (!material.empty() && !materialNames.count(material))
                return Fail(error, what + " names material " + Quoted(material) +
                                       ", which the scene does not have");
            named = named || !material.empty();
        }
    }
    return true;
}

// ---- Writing -----------------------------------------------------------------

struct FileDeleter {
    void operator()(Lib3dsFile* file) const { lib3ds_file_free(file); }
};
using FilePtr = std::unique_ptr<Lib3dsFile, FileDeleter>;

void CopyName(char (&field)[64], const std::string& name) {
    std::memset(field, 0, sizeof field);
    std::memcpy(field, name.data(), std::min(name.size(), sizeof field - 1));
}

void CopyVec(float* out, Vec3 v) {
    out[0] = v.x;
    out[1] = v.y;
    out[2] = v.z;
}

void CopyRgb(float* out, Rgb c) {
    out[0] = c.r;
    out[1] = c.g;
    out[2] = c.b;
}

// Continuity -1 makes lib3ds's Kochanek-Bartels tangents equal the chords
// to the neighbouring keys, which turns its Hermite curves into straight
// segments and its squad into plain slerp.
void SetTcb(Lib3dsTcb* tcb, int frame, Interpolation interpolation) {
    tcb->frame = frame;
    if (interpolation == Interpolation::Linear) {
        tcb->cont = -1;
        tcb->flags |= LIB3DS_USE_CONTINUITY;
    }
}

// The keys as written: the rest value when there are none, and a copy of the
// first key at frame 0 when it comes later, since before its first key a
// lib3ds track answers its last key's value.
template <class Key, class Value>
std::vector<Key> WithFrameZero(const std::vector<Key>& keys, Value rest) {
    std::vector<Key> out = keys;
    if (out.empty()) {
        Key key;
        key.frame = 0;
        key.value = rest;
        out.push_back(key);
    } else if (out.front().frame > 0) {
        Key key = out.front();
        key.frame = 0;
        out.insert(out.begin(), key);
    }
    return out;
}

void WriteTrack(Lib3dsLin3Track* track, const std::vector<Vec3Key>& keys, Vec3 rest,
                Interpolation interpolation) {
    for (const Vec3Key& k : WithFrameZero(keys, rest)) {
        Lib3dsLin3Key* key = lib3ds_lin3_key_new();
        SetTcb(&key->tcb, k.frame, interpolation);
        CopyVec(key->value, k.value);
        lib3ds_lin3_track_insert(track, key);
    }
    lib3ds_lin3_track_setup(track);
}

void WriteTrack(Lib3dsLin1Track* track, const std::vector<FloatKey>& keys, float rest,
                Interpolation interpolation) {
    for (const FloatKey& k : WithFrameZero(keys, rest)) {
        Lib3dsLin1Key* key = lib3ds_lin1_key_new();
        SetTcb(&key->tcb, k.frame, interpolation);
        key->value = k.value;
        lib3ds_lin1_track_insert(track, key);
    }
    lib3ds_lin1_track_setup(track);
}

void WriteTrack(Lib3dsQuatTrack* track, const std::vector<LibRotationKey>& keys,
                Interpolation interpolation) {
    for (const LibRotationKey& k : keys) {
        Lib3dsQuatKey* key = lib3ds_quat_key_new();
        SetTcb(&key->tcb, k.frame, interpolation);
        CopyVec(key->axis, k.axis);
        key->angle = k.angleRad;
        lib3ds_quat_track_insert(track, key);
    }
    lib3ds_quat_track_setup(track);
}

void WriteMaterials(Lib3dsFile* file, const std::vector<Material>& materials) {
    for (const Material& m : materials) {
        Lib3dsMaterial* out = lib3ds_material_new();
        CopyName(out->name, m.name);
        CopyRgb(out->ambient, m.ambient);
        CopyRgb(out->diffuse, m.diffuse);
        CopyRgb(out->specular, m.specular);
        out->ambient[3] = out->diffuse[3] = out->specular[3] = 1;
        out->shininess = m.shininess;
        out->transparency = m.transparency;
        out->shading = LIB3DS_GOURAUD;
        CopyName(out->texture1_map.name, m.texture);
        out->texture1_map.percent = 1;
        CopyName(out->reflection_map.name, m.reflection);
        out->reflection_map.percent = 1;
        lib3ds_file_insert_material(file, out);
    }
}

bool WriteMesh(Lib3dsFile* file, const Mesh& mesh) {
    Lib3dsMesh* out = lib3ds_mesh_new(mesh.name.c_str());
    if (!out) return false;
    lib3ds_file_insert_mesh(file, out);  // from here on the file frees it
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) out->matrix[col][row] = mesh.matrix[col][row];
    if (!mesh.points.empty()) {
        if (!lib3ds_mesh_new_point_list(out, mesh.points.size())) return false;
        for (size_t i = 0; i < mesh.points.size(); ++i) CopyVec(out->pointL[i].pos, mesh.points[i]);
    }
    if (!mesh.texels.empty()) {
        if (!lib3ds_mesh_new_texel_list(out, mesh.texels.size())) return false;
        for (size_t i = 0; i < mesh.texels.size(); ++i) {
            out->texelL[i][0] = mesh.texels[i][0];
            out->texelL[i][1] = mesh.texels[i][1];
        }
    }
    if (!mesh.faces.empty()) {
        if (!lib3ds_mesh_new_face_list(out, mesh.faces.size())) return false;
        for (size_t i = 0; i < mesh.faces.size(); ++i) {
            Lib3dsFace& face = out->faceL[i];
            for (int k = 0; k < 3; ++k) face.points[k] = static_cast<Lib3dsWord>(mesh.faces[i].points[k]);
            CopyName(face.material, mesh.faces[i].material);
            face.flags = 0x7;  // all three edges visible, as modellers write them
        }
    }
    return true;
}

void WriteCameras(Lib3dsFile* file, const std::vector<Camera>& cameras) {
    for (const Camera& c : cameras) {
        Lib3dsCamera* out = lib3ds_camera_new(c.name.c_str());
        CopyVec(out->position, c.position);
        CopyVec(out->target, c.target);
        out->fov = c.fovDeg;
        out->roll = c.rollDeg;
        lib3ds_file_insert_camera(file, out);
    }
}

void WriteLights(Lib3dsFile* file, const std::vector<Light>& lights) {
    for (const Light& l : lights) {
        Lib3dsLight* out = lib3ds_light_new(l.name.c_str());
        CopyVec(out->position, l.position);
        CopyRgb(out->color, l.colour);
        out->multiplier = 1;
        lib3ds_file_insert_light(file, out);
    }
}

Lib3dsNode* NewNode(const Scene& scene, const Node& node) {
    const Motion& m = node.motion;
    Lib3dsNode* out = nullptr;
    switch (node.type) {
    case NodeType::Object: {
        out = lib3ds_node_new_object();
        Lib3dsObjectData& data = out->data.object;
        CopyVec(data.pivot, m.pivot);
        WriteTrack(&data.pos_track, m.position, Vec3{}, m.interpolation);
        std::vector<LibRotationKey> rotation;
        ExpandRotationKeys(m.rotation, &rotation, nullptr, "");
        WriteTrack(&data.rot_track, rotation, m.interpolation);
        WriteTrack(&data.scl_track, m.scale, Vec3{1, 1, 1}, m.interpolation);
        break;
    }
    case NodeType::Camera: {
        out = lib3ds_node_new_camera();
        Camera record;
        for (const Camera& c : scene.cameras())
            if (c.name == node.name) record = c;
        Lib3dsCameraData& data = out->data.camera;
        WriteTrack(&data.pos_track, m.position, record.position, m.interpolation);
        WriteTrack(&data.fov_track, node.fov, record.fovDeg, m.interpolation);
        WriteTrack(&data.roll_track, node.roll, record.rollDeg, m.interpolation);
        break;
    }
    case NodeType::Target: {
        out = lib3ds_node_new_target();
        Vec3 rest;
        for (const Camera& c : scene.cameras())
            if (c.name == node.name) rest = c.target;
        WriteTrack(&out->data.target.pos_track, m.position, rest, m.interpolation);
        break;
    }
    case NodeType::Light: {
        out = lib3ds_node_new_light();
        Light record;
        for (const Light& l : scene.lights())
            if (l.name == node.name) record = l;
        Lib3dsLightData& data = out->data.light;
        WriteTrack(&data.pos_track, m.position, record.position, m.interpolation);
        const Vec3 colour{record.colour.r, record.colour.g, record.colour.b};
        WriteTrack(&data.col_track, {}, colour, m.interpolation);
        break;
    }
    }
    return out;
}

// Top-level nodes need LIB3DS_NO_PARENT: a parent id equal to the node's own
// id makes lib3ds_file_insert_node recurse forever.
bool WriteNodes(Lib3dsFile* file, const Scene& scene) {
    const std::vector<Node>& nodes = scene.nodes();
    for (size_t i = 0; i < nodes.size(); ++i) {
        Lib3dsNode* out = NewNode(scene, nodes[i]);
        if (!out) return false;
        CopyName(out->name, nodes[i].name);
        out->node_id = static_cast<Lib3dsWord>(i);
        out->parent_id = nodes[i].parent == kNoParent ? LIB3DS_NO_PARENT
                                                      : static_cast<Lib3dsWord>(nodes[i].parent);
        lib3ds_file_insert_node(file, out);
    }
    return true;
}

int LastKeyFrame(const std::vector<Node>& nodes) {
    int last = 1;
    auto consider = [&last](const auto& keys) {
        if (!keys.empty()) last = std::max(last, keys.back().frame);
    };
    for (const Node& n : nodes) {
        consider(n.motion.position);
        consider(n.motion.rotation);
        consider(n.motion.scale);
        consider(n.fov);
        consider(n.roll);
    }
    return last;
}

}  // namespace

bool Scene::Validate(std::string* error, const SaveOptions& options) const {
    if (!CheckMaterials(materials_, error)) return false;
    if (!CheckUniqueNames("mesh", meshes_, error)) return false;
    for (const Mesh& mesh : meshes_)
        if (!CheckMesh(mesh, error)) return false;
    if (!CheckUniqueNames("camera", cameras_, error)) return false;
    for (const Camera& c : cameras_)
        if (!Finite(c.position) || !Finite(c.target) || !Finite(c.fovDeg) || !Finite(c.rollDeg))
            return Fail(error, "camera " + Quoted(c.name) + " has a value that is not finite");
    if (!CheckUniqueNames("light", lights_, error)) return false;
    for (const Light& l : lights_)
        if (!Finite(l.position))
            return Fail(error, "light " + Quoted(l.name) + " has a position that is not finite");
    if (!CheckNodes(nodes_, error)) return false;
    if (frames_ < 0) return Fail(error, "the animation length is negative");
    if (options.checkPlayable && !CheckPlayable(*this, error)) return false;
    return true;
}

bool Scene::Save(const std::string& path, std::string* error, const SaveOptions& options) const {
    if (!Validate(error, options)) return false;

    FilePtr file(lib3ds_file_new());
    if (!file) return Fail(error, "out of memory");
    CopyRgb(file->ambient, ambient_);
    const int frames = frames_ > 0 ? frames_ : LastKeyFrame(nodes_);
    file->frames = frames;
    file->segment_from = 0;
    file->segment_to = frames;
    WriteMaterials(file.get(), materials_);
    for (const Mesh& mesh : meshes_)
        if (!WriteMesh(file.get(), mesh)) return Fail(error, "out of memory for mesh " + mesh.name);
    WriteCameras(file.get(), cameras_);
    WriteLights(file.get(), lights_);
    if (!WriteNodes(file.get(), *this)) return Fail(error, "out of memory for the nodes");

    // Written aside and renamed, so that a failed write never leaves a
    // truncated scene (which lib3ds would load "successfully") at `path`.
    const std::string partial = path + ".part";
    if (!lib3ds_file_save(file.get(), partial.c_str())) {
        std::remove(partial.c_str());
        return Fail(error, "cannot write " + path);
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        std::remove(partial.c_str());
        return Fail(error, "cannot write " + path + ": " + std::strerror(errno));
    }
    return true;
}

}  // namespace scenekit
