#include "local.h"

#include <cmath>

#include "primitives.h"

namespace scenes2 {

using scenekit::Mesh;
using scenekit::Vec3;

Mesh Card(const std::string& name, float size, Vec3 normal, const std::string& material)
{
    const Vec3 n = scenekit::Normalize(normal);
    const Vec3 up = std::fabs(n.z) > 0.9f ? Vec3{0, 1, 0} : Vec3{0, 0, 1};
    const Vec3 right = scenekit::Normalize(scenekit::Cross(up, n));
    const Vec3 top = scenekit::Cross(n, right);
    const float h = size / 2;
    Mesh mesh;
    mesh.name = name;
    mesh.points = {(right * -h) + (top * -h), (right * h) + (top * -h), (right * h) + (top * h),
                   (right * -h) + (top * h)};
    mesh.texels = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    mesh.faces = {{{0, 1, 2}, material}, {{0, 2, 3}, ""}};
    return mesh;
}

Mesh Annulus(const std::string& name, float inner, float outer, int segments,
             const std::string& material)
{
    Mesh mesh;
    mesh.name = name;
    for (int i = 0; i <= segments; i++) {
        const float a = 360.0f * i / segments;
        const float u = float(i) / segments;
        const float rad = a * float(M_PI) / 180.0f;
        mesh.points.push_back({inner * std::cos(rad), inner * std::sin(rad), 0});
        mesh.points.push_back({outer * std::cos(rad), outer * std::sin(rad), 0});
        mesh.texels.push_back({u, 0});
        mesh.texels.push_back({u, 1});
    }
    for (int i = 0; i < segments; i++) {
        const unsigned a = 2 * i, b = a + 1, c = a + 2, d = a + 3;
        mesh.faces.push_back({{a, b, d}, i == 0 ? material : ""});
        mesh.faces.push_back({{a, d, c}, ""});
    }
    return mesh;
}

}  // namespace scenes2
