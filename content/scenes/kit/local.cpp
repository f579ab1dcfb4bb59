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

Mesh GlowCard(const std::string& name, float size, Vec3 normal, const std::string& material)
{
    // The square's corners lie outside a round glow's black rim: a 12-gon
    // round the inscribed circle shows the same picture with a fifth less fill.
    const Mesh square = Card(name, size, normal, material);
    const Vec3 right = square.points[1] - square.points[0], top = square.points[3] - square.points[0];
    const int sides = 12;
    const float r = 0.5f / std::cos(3.14159265f / sides);
    Mesh mesh;
    mesh.name = name;
    mesh.points.push_back({0, 0, 0});
    mesh.texels.push_back({0.5f, 0.5f});
    for (int i = 0; i < sides; i++) {
        const float a = 2 * 3.14159265f * i / sides;
        const float x = r * std::cos(a), y = r * std::sin(a);
        mesh.points.push_back((right * x) + (top * y));
        mesh.texels.push_back({0.5f + x, 0.5f + y});
    }
    for (int i = 0; i < sides; i++)
        mesh.faces.push_back({{0u, unsigned(1 + i), unsigned(1 + (i + 1) % sides)}, i == 0 ? material : ""});
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

Mesh NeonRing(const std::string& name, float radius, float width, int segments,
              const std::string& material)
{
    Mesh mesh = Annulus(name, radius - width / 2, radius + width / 2, segments, material);
    for (auto& t : mesh.texels) t[0] = 0.5f;
    return mesh;
}

Mesh SweptTube(const std::string& name, const std::function<Vec3(float)>& centre, float radius,
               int around, int along, float vRepeat,
               const std::function<std::string(int band)>& bandMaterial)
{
    Mesh mesh;
    mesh.name = name;
    for (int j = 0; j <= along; j++) {
        const float s = float(j) / along;
        const Vec3 c = centre(s);
        const Vec3 t = Tangent(centre, s);
        const Vec3 side = scenekit::Normalize(scenekit::Cross(t, {0, 0, 1}));
        const Vec3 up = scenekit::Cross(side, t);
        for (int i = 0; i <= around; i++) {
            const float a = 2 * float(M_PI) * i / around;
            mesh.points.push_back(c + side * (radius * std::cos(a)) + up * (radius * std::sin(a)));
            mesh.texels.push_back({float(i) / around, s * vRepeat});
        }
    }
    // Corners (i, j), (i+1, j), (i+1, j+1) run counter-clockwise seen from the axis.
    std::string last;
    const unsigned row = around + 1;
    for (int j = 0; j < along; j++) {
        const std::string material = bandMaterial(j);
        for (int i = 0; i < around; i++) {
            const unsigned p00 = j * row + i, p10 = p00 + 1, p01 = p00 + row, p11 = p01 + 1;
            mesh.faces.push_back({{p00, p10, p11}, material == last ? "" : material});
            mesh.faces.push_back({{p00, p11, p01}, ""});
            last = material;
        }
    }
    return mesh;
}

Mesh RibbedTube(const std::string& name, const std::function<Vec3(float)>& centre, float radius,
                float innerRadius, int around, int bands, int rings, float twistDeg,
                const std::function<std::string(int band)>& bandMaterial)
{
    Mesh mesh;
    mesh.name = name;
    if (rings < 2) rings = 2;
    const unsigned row = around + 1;
    for (int b = 0; b < bands; b++) {
        const unsigned first = mesh.points.size();
        for (int j = 0; j < rings; j++) {
            const float f = float(j) / (rings - 1);
            const float s = (b + f) / bands;
            const Vec3 c = centre(s);
            const Vec3 t = Tangent(centre, s);
            const Vec3 side = scenekit::Normalize(scenekit::Cross(t, {0, 0, 1}));
            const Vec3 up = scenekit::Cross(side, t);
            // A convex lean: steep at the lip, flatter towards the next band.
            const float r = radius - (radius - innerRadius) * std::sqrt(f);
            for (int i = 0; i <= around; i++) {
                const float a = 2 * float(M_PI) * i / around + b * twistDeg * float(M_PI) / 180;
                mesh.points.push_back(c + side * (r * std::cos(a)) + up * (r * std::sin(a)));
                mesh.texels.push_back({float(i) / around, f});
            }
        }
        const std::string material = bandMaterial(b);
        for (int j = 0; j + 1 < rings; j++) {
            for (int i = 0; i < around; i++) {
                const unsigned p00 = first + j * row + i, p10 = p00 + 1, p01 = p00 + row, p11 = p01 + 1;
                mesh.faces.push_back({{p00, p10, p11}, material});
                mesh.faces.push_back({{p00, p11, p01}, ""});
            }
        }
    }
    return mesh;
}

namespace {

// Whether (x, z) lies inside the triangle's projection on the XZ plane.
bool InsideXZ(Vec3 p, Vec3 a, Vec3 b, Vec3 c)
{
    auto edge = [&](Vec3 u, Vec3 v) { return (v.x - u.x) * (p.z - u.z) - (v.z - u.z) * (p.x - u.x); };
    const float e0 = edge(a, b), e1 = edge(b, c), e2 = edge(c, a);
    return (e0 >= 0 && e1 >= 0 && e2 >= 0) || (e0 <= 0 && e1 <= 0 && e2 <= 0);
}

}  // namespace

std::vector<Vec3> TextPixels(const std::string& text, Vec3 origin, float pixel)
{
    // The font is private to scenekit: probe a unit-sized copy's front faces.
    const Mesh probe = scenekit::BlockText("probe", text, {0, 0, 0}, 1, 1, "m");
    const int advance = int(std::lround(scenekit::BlockTextWidth("A", 1))) + 1;
    std::vector<Vec3> pixels;
    for (size_t n = 0; n < text.size(); n++) {
        for (int col = 0; col < advance; col++) {
            for (int row = 0; row < 7; row++) {
                const Vec3 cell{float(n * advance + col) + 0.5f, 0, row + 0.5f};
                bool lit = false;
                for (const auto& f : probe.faces) {
                    const Vec3 a = probe.points[f.points[0]], b = probe.points[f.points[1]],
                               c = probe.points[f.points[2]];
                    if (a.y == 0 && b.y == 0 && c.y == 0 && InsideXZ(cell, a, b, c)) {
                        lit = true;
                        break;
                    }
                }
                if (lit) pixels.push_back(origin + Vec3{cell.x * pixel, 0, cell.z * pixel});
            }
        }
    }
    return pixels;
}

Vec3 Tangent(const std::function<Vec3(float)>& centre, float s)
{
    const float h = 1e-3f;
    return scenekit::Normalize(centre(s + h) - centre(s - h));
}

scenekit::RotationKey FaceAlong(int frame, Vec3 direction)
{
    const Vec3 d = scenekit::Normalize(direction);
    const Vec3 axis = scenekit::Cross({0, 0, 1}, d);
    const float len = scenekit::Length(axis);
    if (len < 1e-6f) return {frame, {1, 0, 0}, d.z < 0 ? 180.0f : 0.0f};
    const float angle = std::atan2(len, d.z) * 180.0f / float(M_PI);
    return {frame, axis, angle};
}

}  // namespace scenes2
