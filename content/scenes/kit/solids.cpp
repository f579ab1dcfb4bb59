#include "solids.h"

#include <cmath>

#include "motion.h"

namespace scenes::kit {

using scenekit::Mesh;
using scenekit::Vec3;

void ClearTexels(Mesh &mesh)
{
    mesh.texels.clear();
}

scenekit::Material SphereMapTwin(const scenekit::Material &reflective)
{
    scenekit::Material twin = reflective;
    twin.name = reflective.name + " twin";
    twin.texture = reflective.reflection;
    twin.reflection.clear();
    return twin;
}

scenekit::Material AddReflective(scenekit::Scene &scene, const scenekit::Material &reflective)
{
    scene.AddMaterial(reflective);
    scene.AddMaterial(SphereMapTwin(reflective));
    return reflective;
}

void ShareSphereMapping(Mesh &mesh, const scenekit::Material &reflective, bool opens, bool closes)
{
    if (mesh.faces.empty()) return;
    const std::string twin = SphereMapTwin(reflective).name;
    // Faces without a name keep the one before.
    for (auto &face : mesh.faces) face.material.clear();
    mesh.faces[0].material = opens ? reflective.name : twin;
    if (opens && mesh.faces.size() > 1) mesh.faces[1].material = twin;
    if (closes) mesh.faces.back().material = reflective.name;
}

std::array<Vec3, 4> TetrahedronCorners(float edge)
{
    const float r = edge / std::sqrt(3.0f);         // base circumradius
    const float h = edge * std::sqrt(2.0f / 3.0f);  // height
    std::array<Vec3, 4> corners;
    for (int i = 0; i < 3; ++i) {
        const float a = (90.0f + 120.0f * i) * kPi / 180;
        corners[i] = {r * std::cos(a), r * std::sin(a), -h / 4};
    }
    corners[3] = {0, 0, h * 0.75f};
    return corners;
}

Mesh Tetrahedron(const std::string &name, Vec3 center, float edge, const std::string &material)
{
    Mesh mesh;
    mesh.name = name;
    for (const Vec3 &c : TetrahedronCorners(edge)) mesh.points.push_back(center + c);
    // Base seen from below, sides from outside: counter-clockwise each.
    mesh.faces = {{{0, 2, 1}, material}, {{0, 1, 3}, ""}, {{1, 2, 3}, ""}, {{2, 0, 3}, ""}};
    return mesh;
}

namespace {
void AddSierpinski(Mesh *out, Vec3 center, float edge, int level, const std::string &material)
{
    if (level <= 0) {
        out->Append(Tetrahedron(out->name, center, edge, out->faces.empty() ? material : ""));
        return;
    }
    // Child centres: halfway from the centre towards each corner.
    for (const Vec3 &c : TetrahedronCorners(edge))
        AddSierpinski(out, center + c * 0.5f, edge / 2, level - 1, material);
}
}  // namespace

Mesh Sierpinski(const std::string &name, Vec3 center, float edge, int level,
                const std::string &material)
{
    Mesh mesh;
    mesh.name = name;
    AddSierpinski(&mesh, center, edge, level, material);
    return mesh;
}

}  // namespace scenes::kit
