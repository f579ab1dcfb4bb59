// Validation of a Scene before it is written: what lib3ds can store, and
// (with SaveOptions::checkPlayable) what the player can show, within the
// limits of its chunk walk.
#include <algorithm>
#include <cmath>
#include <set>
#include <string>

#include "failure.h"
#include "rotation.h"
#include "scenekit.h"
#include "scenelimits.h"
#include "written.h"

namespace scenekit {
namespace {

constexpr size_t kMaxNameBytes = 63;
constexpr size_t kMaxListSize = 65535;  // indices are 16-bit words in the file

std::string Quoted(const std::string &name)
{
    return "\"" + name + "\"";
}

bool Finite(float v)
{
    return std::isfinite(v);
}
bool Finite(Vec3 v)
{
    return Finite(v.x) && Finite(v.y) && Finite(v.z);
}

// A name that fits lib3ds's 64-byte fields and survives as a C string.
bool CheckName(const std::string &what, const std::string &name, bool mayBeEmpty,
               std::string *error)
{
    if (name.empty() && !mayBeEmpty) return Fail(error, what + " has an empty name");
    if (name.size() > kMaxNameBytes)
        return Fail(error, what + " name " + Quoted(name) + " is longer than 63 bytes");
    if (name.find('\0') != std::string::npos)
        return Fail(error, what + " name contains a NUL byte");
    return true;
}

template <class Record>
bool CheckUniqueNames(const std::string &what, const std::vector<Record> &records,
                      std::string *error)
{
    std::set<std::string> seen;
    for (const Record &r : records) {
        if (!CheckName(what, r.name, false, error)) return false;
        if (!seen.insert(r.name).second)
            return Fail(error, what + " name " + Quoted(r.name) + " is used twice");
    }
    return true;
}

bool CheckMaterials(const std::vector<Material> &materials, std::string *error)
{
    if (!CheckUniqueNames("material", materials, error)) return false;
    for (const Material &m : materials) {
        const std::string what = "material " + Quoted(m.name);
        if (!CheckName(what + " texture", m.texture, true, error)) return false;
        if (!CheckName(what + " reflection", m.reflection, true, error)) return false;
        if (!Finite(m.transparency) || m.transparency < 0 || m.transparency > 1)
            return Fail(error, what + ": transparency must be between 0 and 1");
    }
    return true;
}

bool Invertible(const Matrix &m)
{
    const float det = m[0][0] * (m[1][1] * m[2][2] - m[2][1] * m[1][2]) -
                      m[1][0] * (m[0][1] * m[2][2] - m[2][1] * m[0][2]) +
                      m[2][0] * (m[0][1] * m[1][2] - m[1][1] * m[0][2]);
    return std::isfinite(det) && std::fabs(det) > 1e-12f;
}

bool CheckMesh(const Mesh &mesh, std::string *error)
{
    const std::string what = "mesh " + Quoted(mesh.name);
    if (mesh.points.size() > kMaxListSize)
        return Fail(error, what + " has " + std::to_string(mesh.points.size()) +
                               " points; a mesh holds at most 65535");
    if (mesh.faces.size() > kMaxListSize)
        return Fail(error, what + " has " + std::to_string(mesh.faces.size()) +
                               " faces; a mesh holds at most 65535");
    if (!mesh.texels.empty() && mesh.texels.size() != mesh.points.size())
        return Fail(error, what + " has " + std::to_string(mesh.texels.size()) + " texels for " +
                               std::to_string(mesh.points.size()) +
                               " points; give none or one per point");
    for (size_t i = 0; i < mesh.points.size(); ++i)
        if (!Finite(mesh.points[i]))
            return Fail(error, what + ": point " + std::to_string(i) + " is not finite");
    for (size_t i = 0; i < mesh.texels.size(); ++i)
        if (!Finite(mesh.texels[i][0]) || !Finite(mesh.texels[i][1]))
            return Fail(error, what + ": texel " + std::to_string(i) + " is not finite");
    for (size_t i = 0; i < mesh.faces.size(); ++i) {
        const Face &face = mesh.faces[i];
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
    for (const auto &column : mesh.matrix)
        for (float v : column)
            if (!Finite(v)) return Fail(error, what + ": matrix is not finite");
    if (!Invertible(mesh.matrix)) return Fail(error, what + ": matrix cannot be inverted");
    return true;
}

template <class Key>
bool CheckFrames(const std::vector<Key> &keys, const std::string &what, std::string *error)
{
    for (size_t i = 0; i < keys.size(); ++i) {
        if (keys[i].frame < 0)
            return Fail(error, what + " key at frame " + std::to_string(keys[i].frame) +
                                   " is before frame 0");
        if (keys[i].frame > scenelimits::MaxKeyFrame)
            return Fail(error, what + " key at frame " + std::to_string(keys[i].frame) +
                                   " is beyond frame " + std::to_string(scenelimits::MaxKeyFrame));
        if (i > 0 && keys[i].frame <= keys[i - 1].frame)
            return Fail(error, what + " keys must have increasing frames (frame " +
                                   std::to_string(keys[i].frame) + " follows frame " +
                                   std::to_string(keys[i - 1].frame) + ")");
    }
    return true;
}

template <class Key>
bool CheckValues(const std::vector<Key> &keys, const std::string &what, std::string *error)
{
    for (const Key &key : keys)
        if (!Finite(key.value))
            return Fail(error,
                        what + " key at frame " + std::to_string(key.frame) + " is not finite");
    return true;
}

std::string NodeLabel(const std::vector<Node> &nodes, size_t i)
{
    return "node " + std::to_string(i) + " (" + Quoted(nodes[i].name) + ")";
}

bool CheckNodeTracks(const Node &node, const std::string &what, std::string *error)
{
    const Motion &m = node.motion;
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

// `written` counts the nodes as saved: a light without a node gets one.
bool CheckNodes(const std::vector<Node> &nodes, size_t written, std::string *error)
{
    if (written >= kMaxListSize)
        return Fail(error, "a scene holds at most 65534 nodes, with one for each light that has "
                           "no node of its own");
    const int count = static_cast<int>(nodes.size());
    for (int i = 0; i < count; ++i) {
        const Node &node = nodes[i];
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

bool HasNode(const std::vector<Node> &nodes, NodeType type, const std::string &name)
{
    return std::any_of(nodes.begin(), nodes.end(),
                       [&](const Node &n) { return n.type == type && n.name == name; });
}

int Depth(const std::vector<Node> &nodes, size_t i)
{
    int depth = 1;
    for (int p = nodes[i].parent; p != kNoParent; p = nodes[p].parent) ++depth;
    return depth;
}

// Keys as written: a frame-0 copy may be added, and long turns are split.
size_t LongestTrack(const Node &node)
{
    auto written = [](const auto &keys) {
        return keys.size() + (keys.empty() || keys.front().frame > 0 ? 1 : 0);
    };
    std::vector<LibRotationKey> rotation;
    ExpandRotationKeys(node.motion.rotation, &rotation, nullptr, "");
    return std::max({written(node.motion.position), written(node.motion.scale), rotation.size(),
                     written(node.fov), written(node.roll)});
}

// `written` counts the nodes as saved, as for CheckNodes.
bool CheckPlayerLimits(const Scene &scene, size_t written, std::string *error)
{
    const size_t most = scenelimits::MaxListLength;
    const std::string limit = std::to_string(most);
    if (scene.materials().size() > most || scene.meshes().size() > most ||
        scene.cameras().size() > most || scene.lights().size() > most || written > most)
        return Fail(error, "the player reads at most " + limit +
                               " materials, meshes, cameras, lights and nodes each");
    size_t elements = 0;
    for (const Mesh &m : scene.meshes())
        elements += m.points.size() + m.texels.size() + m.faces.size();
    if (elements > scenelimits::MaxElements)
        return Fail(error, "the scene has " + std::to_string(elements) +
                               " points, texels and faces; the player reads at most " +
                               std::to_string(scenelimits::MaxElements));
    for (size_t i = 0; i < scene.nodes().size(); ++i) {
        if (Depth(scene.nodes(), i) > scenelimits::MaxNodeDepth)
            return Fail(error, NodeLabel(scene.nodes(), i) + " is nested deeper than " +
                                   std::to_string(scenelimits::MaxNodeDepth) + " levels");
        if (LongestTrack(scene.nodes()[i]) > most)
            return Fail(error, NodeLabel(scene.nodes(), i) + " has a track of more than " + limit +
                                   " keys");
    }
    return true;
}

bool CheckPlayable(const Scene &scene, size_t written, std::string *error)
{
    if (!CheckPlayerLimits(scene, written, error)) return false;
    if (scene.cameras().empty()) return Fail(error, "the scene has no camera");
    std::string first = scene.cameras().front().name;
    for (const Camera &c : scene.cameras()) first = std::min(first, c.name);
    if (!HasNode(scene.nodes(), NodeType::Camera, first))
        return Fail(error, "no camera node is named " + Quoted(first) +
                               ", the camera whose name sorts first");
    if (!HasNode(scene.nodes(), NodeType::Target, scenelimits::TargetNodeName))
        return Fail(error, "no target node is named " + Quoted(scenelimits::TargetNodeName));

    std::set<std::string> meshNames, materialNames;
    for (const Mesh &m : scene.meshes()) meshNames.insert(m.name);
    for (const Material &m : scene.materials()) materialNames.insert(m.name);
    for (size_t i = 0; i < scene.nodes().size(); ++i) {
        const Node &n = scene.nodes()[i];
        if (n.type == NodeType::Object && n.name != kDummyName && !meshNames.count(n.name))
            return Fail(error, NodeLabel(scene.nodes(), i) + " has no mesh of its name");
    }
    for (const Mesh &mesh : scene.meshes()) {
        bool named = false;
        for (size_t i = 0; i < mesh.faces.size(); ++i) {
            const std::string &material = mesh.faces[i].material;
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

}  // namespace

bool Scene::Validate(std::string *error, const SaveOptions &options) const
{
    if (!CheckMaterials(materials_, error)) return false;
    if (!CheckUniqueNames("mesh", meshes_, error)) return false;
    for (const Mesh &mesh : meshes_)
        if (!CheckMesh(mesh, error)) return false;
    if (!CheckUniqueNames("camera", cameras_, error)) return false;
    for (const Camera &c : cameras_)
        if (!Finite(c.position) || !Finite(c.target) || !Finite(c.fovDeg) || !Finite(c.rollDeg))
            return Fail(error, "camera " + Quoted(c.name) + " has a value that is not finite");
    if (!CheckUniqueNames("light", lights_, error)) return false;
    for (const Light &l : lights_)
        if (!Finite(l.position))
            return Fail(error, "light " + Quoted(l.name) + " has a position that is not finite");
    const size_t written = NodesToWrite(*this).size();
    if (!CheckNodes(nodes_, written, error)) return false;
    if (frames_ < 0) return Fail(error, "the animation length is negative");
    if (options.checkPlayable && !CheckPlayable(*this, written, error)) return false;
    return true;
}

}  // namespace scenekit
