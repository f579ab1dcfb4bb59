// Writing a validated Scene through lib3ds.
#include <lib3ds/camera.h>
#include <lib3ds/file.h>
#include <lib3ds/light.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "failure.h"
#include "ranges.h"
#include "rotation.h"
#include "scenekit.h"
#include "written.h"

namespace scenekit {
namespace {

struct FileDeleter {
    void operator()(Lib3dsFile *file) const { lib3ds_file_free(file); }
};
using FilePtr = std::unique_ptr<Lib3dsFile, FileDeleter>;

void CopyName(char (&field)[64], const std::string &name)
{
    std::memset(field, 0, sizeof field);
    std::memcpy(field, name.data(), std::min(name.size(), sizeof field - 1));
}

void CopyVec(float *out, Vec3 v)
{
    out[0] = v.x;
    out[1] = v.y;
    out[2] = v.z;
}

void CopyRgb(float *out, Rgb c)
{
    out[0] = c.r;
    out[1] = c.g;
    out[2] = c.b;
}

// Continuity -1 makes lib3ds's Kochanek-Bartels tangents equal the chords
// to the neighbouring keys, which turns its Hermite curves into straight
// segments and its squad into plain slerp.
void SetTcb(Lib3dsTcb *tcb, int frame, Interpolation interpolation)
{
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
std::vector<Key> WithFrameZero(const std::vector<Key> &keys, Value rest)
{
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

void WriteTrack(Lib3dsLin3Track *track, const std::vector<Vec3Key> &keys, Vec3 rest,
                Interpolation interpolation)
{
    for (const Vec3Key &k : WithFrameZero(keys, rest)) {
        Lib3dsLin3Key *key = lib3ds_lin3_key_new();
        SetTcb(&key->tcb, k.frame, interpolation);
        CopyVec(key->value, k.value);
        lib3ds_lin3_track_insert(track, key);
    }
    lib3ds_lin3_track_setup(track);
}

void WriteTrack(Lib3dsLin1Track *track, const std::vector<FloatKey> &keys, float rest,
                Interpolation interpolation)
{
    for (const FloatKey &k : WithFrameZero(keys, rest)) {
        Lib3dsLin1Key *key = lib3ds_lin1_key_new();
        SetTcb(&key->tcb, k.frame, interpolation);
        key->value = k.value;
        lib3ds_lin1_track_insert(track, key);
    }
    lib3ds_lin1_track_setup(track);
}

void WriteTrack(Lib3dsQuatTrack *track, const std::vector<LibRotationKey> &keys,
                Interpolation interpolation)
{
    for (const LibRotationKey &k : keys) {
        Lib3dsQuatKey *key = lib3ds_quat_key_new();
        SetTcb(&key->tcb, k.frame, interpolation);
        CopyVec(key->axis, k.axis);
        key->angle = k.angleRad;
        lib3ds_quat_track_insert(track, key);
    }
    lib3ds_quat_track_setup(track);
}

void WriteMaterials(Lib3dsFile *file, const std::vector<Material> &materials)
{
    for (const Material &m : materials) {
        Lib3dsMaterial *out = lib3ds_material_new();
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

bool WriteMesh(Lib3dsFile *file, const Mesh &mesh, bool nameEveryFace)
{
    Lib3dsMesh *out = lib3ds_mesh_new(mesh.name.c_str());
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
        std::string material;
        for (size_t i = 0; i < mesh.faces.size(); ++i) {
            Lib3dsFace &face = out->faceL[i];
            for (int k = 0; k < 3; ++k)
                face.points[k] = static_cast<Lib3dsWord>(mesh.faces[i].points[k]);
            if (!mesh.faces[i].material.empty() || !nameEveryFace)
                material = mesh.faces[i].material;
            CopyName(face.material, material);
            face.flags = 0x7;  // all three edges visible, as modellers write them
        }
    }
    return true;
}

void WriteCameras(Lib3dsFile *file, const std::vector<Camera> &cameras)
{
    for (const Camera &c : cameras) {
        Lib3dsCamera *out = lib3ds_camera_new(c.name.c_str());
        CopyVec(out->position, c.position);
        CopyVec(out->target, c.target);
        out->fov = c.fovDeg;
        out->roll = c.rollDeg;
        lib3ds_file_insert_camera(file, out);
    }
}

void WriteLights(Lib3dsFile *file, const std::vector<Light> &lights)
{
    for (const Light &l : lights) {
        Lib3dsLight *out = lib3ds_light_new(l.name.c_str());
        CopyVec(out->position, l.position);
        CopyRgb(out->color, l.colour);
        out->multiplier = 1;
        lib3ds_file_insert_light(file, out);
    }
}

Lib3dsNode *NewNode(const Scene &scene, const Node &node)
{
    const Motion &m = node.motion;
    Lib3dsNode *out = nullptr;
    switch (node.type) {
    case NodeType::Object: {
        out = lib3ds_node_new_object();
        Lib3dsObjectData &data = out->data.object;
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
        for (const Camera &c : scene.cameras())
            if (c.name == node.name) record = c;
        Lib3dsCameraData &data = out->data.camera;
        WriteTrack(&data.pos_track, m.position, record.position, m.interpolation);
        WriteTrack(&data.fov_track, node.fov, record.fovDeg, m.interpolation);
        WriteTrack(&data.roll_track, node.roll, record.rollDeg, m.interpolation);
        break;
    }
    case NodeType::Target: {
        out = lib3ds_node_new_target();
        Vec3 rest;
        for (const Camera &c : scene.cameras())
            if (c.name == node.name) rest = c.target;
        WriteTrack(&out->data.target.pos_track, m.position, rest, m.interpolation);
        break;
    }
    case NodeType::Light: {
        out = lib3ds_node_new_light();
        Light record;
        for (const Light &l : scene.lights())
            if (l.name == node.name) record = l;
        Lib3dsLightData &data = out->data.light;
        WriteTrack(&data.pos_track, m.position, record.position, m.interpolation);
        const Vec3 colour{record.colour.r, record.colour.g, record.colour.b};
        WriteTrack(&data.col_track, {}, colour, m.interpolation);
        break;
    }
    }
    return out;
}

// Other readers take node ids for positions in the file, as 3D Studio writes
// them: ids are given again in the order lib3ds writes the tree, each node
// before its children.
void NumberInWriteOrder(Lib3dsNode *node, Lib3dsWord parent, Lib3dsWord *next)
{
    for (; node; node = node->next) {
        node->node_id = (*next)++;
        node->parent_id = parent;
        NumberInWriteOrder(node->childs, node->node_id, next);
    }
}

// Top-level nodes need LIB3DS_NO_PARENT: a parent id equal to the node's own
// id makes lib3ds_file_insert_node recurse forever.
bool WriteNodes(Lib3dsFile *file, const Scene &scene)
{
    const std::vector<Node> nodes = NodesToWrite(scene);
    for (size_t i = 0; i < nodes.size(); ++i) {
        Lib3dsNode *out = NewNode(scene, nodes[i]);
        if (!out) return false;
        CopyName(out->name, nodes[i].name);
        out->node_id = static_cast<Lib3dsWord>(i);
        out->parent_id = nodes[i].parent == kNoParent ? LIB3DS_NO_PARENT
                                                      : static_cast<Lib3dsWord>(nodes[i].parent);
        lib3ds_file_insert_node(file, out);
    }
    Lib3dsWord next = 0;
    NumberInWriteOrder(file->nodes, LIB3DS_NO_PARENT, &next);
    return true;
}

int LastKeyFrame(const std::vector<Node> &nodes)
{
    int last = 1;
    auto consider = [&last](const auto &keys) {
        if (!keys.empty()) last = std::max(last, keys.back().frame);
    };
    for (const Node &n : nodes) {
        consider(n.motion.position);
        consider(n.motion.rotation);
        consider(n.motion.scale);
        consider(n.fov);
        consider(n.roll);
    }
    return last;
}

}  // namespace

bool Scene::Save(const std::string &path, std::string *error, const SaveOptions &options) const
{
    if (!Validate(error, options)) return false;

    FilePtr file(lib3ds_file_new());
    if (!file) return Fail(error, "out of memory");
    CopyRgb(file->ambient, ambient_);
    const int frames = frames_ > 0 ? frames_ : LastKeyFrame(nodes_);
    file->frames = frames;
    file->segment_from = 0;
    file->segment_to = frames;
    WriteMaterials(file.get(), materials_);
    for (const Mesh &mesh : meshes_)
        if (!WriteMesh(file.get(), mesh, options.nameEveryFace))
            return Fail(error, "out of memory for mesh " + mesh.name);
    WriteCameras(file.get(), cameras_);
    WriteLights(file.get(), lights_);
    if (!WriteNodes(file.get(), *this)) return Fail(error, "out of memory for the nodes");
    // Every key, even one past the animation's length, is a place the player may show.
    SetCameraRanges(file.get(), std::max(frames, LastKeyFrame(nodes_)));

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
