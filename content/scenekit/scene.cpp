#include <algorithm>

#include "scenekit.h"
#include "written.h"

namespace scenekit {

Material Material::Plain(const std::string &name, Rgb diffuse)
{
    Material m;
    m.name = name;
    m.diffuse = diffuse;
    m.ambient = {diffuse.r * 0.25f, diffuse.g * 0.25f, diffuse.b * 0.25f};
    return m;
}

Material Material::Textured(const std::string &name, const std::string &image)
{
    Material m;
    m.name = name;
    m.texture = image;
    return m;
}

Material Material::Reflective(const std::string &name, const std::string &image)
{
    Material m;
    m.name = name;
    m.reflection = image;
    return m;
}

Material Material::Glow(const std::string &name, const std::string &image)
{
    Material m = Textured(name, image);
    m.transparency = 0.5f;
    return m;
}

void Mesh::Append(const Mesh &other)
{
    const unsigned base = static_cast<unsigned>(points.size());
    const bool keepTexels = !texels.empty() || !other.texels.empty();
    if (keepTexels) {
        texels.resize(points.size(), {0, 0});
        texels.insert(texels.end(), other.texels.begin(), other.texels.end());
        texels.resize(points.size() + other.points.size(), {0, 0});
    }
    points.insert(points.end(), other.points.begin(), other.points.end());
    for (Face face : other.faces) {
        for (unsigned &index : face.points) index += base;
        faces.push_back(face);
    }
}

void Mesh::Transform(const Matrix &m)
{
    for (Vec3 &p : points) p = TransformPoint(m, p);
}

void Mesh::SetMaterial(const std::string &material)
{
    for (Face &face : faces) face.material = material;
}

Motion Motion::Still(Vec3 position)
{
    Motion m;
    m.position.push_back({0, position});
    return m;
}

Motion Motion::Spin(Vec3 position, Vec3 axis, int firstFrame, int lastFrame, float turnsDeg)
{
    Motion m = Still(position);
    m.rotation.push_back({firstFrame, axis, 0});
    m.rotation.push_back({lastFrame, axis, turnsDeg});
    return m;
}

Motion Motion::Path(const std::vector<Vec3Key> &keys)
{
    Motion m;
    m.position = keys;
    return m;
}

int Scene::AddMaterial(const Material &material)
{
    materials_.push_back(material);
    return static_cast<int>(materials_.size()) - 1;
}

int Scene::AddMesh(const Mesh &mesh)
{
    meshes_.push_back(mesh);
    return static_cast<int>(meshes_.size()) - 1;
}

int Scene::AddCamera(const Camera &camera)
{
    cameras_.push_back(camera);
    return static_cast<int>(cameras_.size()) - 1;
}

int Scene::AddLight(const Light &light)
{
    lights_.push_back(light);
    return static_cast<int>(lights_.size()) - 1;
}

int Scene::AddNode(const Node &node)
{
    nodes_.push_back(node);
    return static_cast<int>(nodes_.size()) - 1;
}

int Scene::AddObject(const Mesh &mesh, const Motion &motion, int parent)
{
    AddMesh(mesh);
    Node node;
    node.type = NodeType::Object;
    node.name = mesh.name;
    node.parent = parent;
    node.motion = motion;
    return AddNode(node);
}

int Scene::AddDummy(const Motion &motion, int parent)
{
    Node node;
    node.type = NodeType::Object;
    node.name = kDummyName;
    node.parent = parent;
    node.motion = motion;
    return AddNode(node);
}

int Scene::AddAnimatedCamera(const std::string &name, const std::vector<Vec3Key> &positions,
                             const std::vector<Vec3Key> &targets, float fovDeg, float rollDeg,
                             Interpolation interpolation)
{
    Camera camera;
    camera.name = name;
    if (!positions.empty()) camera.position = positions.front().value;
    if (!targets.empty()) camera.target = targets.front().value;
    camera.fovDeg = fovDeg;
    camera.rollDeg = rollDeg;
    AddCamera(camera);

    Node cameraNode;
    cameraNode.type = NodeType::Camera;
    cameraNode.name = name;
    cameraNode.motion.interpolation = interpolation;
    cameraNode.motion.position = positions;
    cameraNode.fov.push_back({0, fovDeg});
    cameraNode.roll.push_back({0, rollDeg});
    const int cameraIndex = AddNode(cameraNode);

    Node targetNode;
    targetNode.type = NodeType::Target;
    targetNode.name = name;
    targetNode.motion.interpolation = interpolation;
    targetNode.motion.position = targets;
    AddNode(targetNode);
    return cameraIndex;
}

int Scene::AddLight(const Light &light, const std::vector<Vec3Key> &positions)
{
    const int index = AddLight(light);
    if (!positions.empty()) {
        Node node;
        node.type = NodeType::Light;
        node.name = light.name;
        node.motion.position = positions;
        AddNode(node);
    }
    return index;
}

std::vector<Node> NodesToWrite(const Scene &scene)
{
    std::vector<Node> nodes = scene.nodes();
    for (const Light &light : scene.lights()) {
        const bool hasNode = std::any_of(nodes.begin(), nodes.end(), [&](const Node &n) {
            return n.type == NodeType::Light && n.name == light.name;
        });
        if (hasNode) continue;
        Node node;
        node.type = NodeType::Light;
        node.name = light.name;
        nodes.push_back(node);
    }
    return nodes;
}

}  // namespace scenekit
