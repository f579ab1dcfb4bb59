#include "showlocal.h"

#include <cmath>

namespace scenes1 {

using scenekit::Cross;
using scenekit::Dot;
using scenekit::Normalize;

Mesh Card(const std::string& name, Vec3 center, float width, float height, Vec3 normal, Vec3 up,
          const std::string& material) {
    const Vec3 n = Normalize(normal);
    Vec3 top = up - n * Dot(up, n);
    if (scenekit::Length(top) < 1e-4f) top = std::fabs(n.z) < 0.9f ? Vec3{0, 0, 1} : Vec3{0, 1, 0};
    top = Normalize(top - n * Dot(top, n));
    const Vec3 right = Cross(top, n);
    const Vec3 hx = right * (width / 2), hy = top * (height / 2);
    Mesh mesh;
    mesh.name = name;
    mesh.points = {center - hx - hy, center + hx - hy, center + hx + hy, center - hx + hy};
    mesh.texels = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    mesh.faces = {{{0, 1, 2}, material}, {{0, 2, 3}, ""}};
    return mesh;
}

Mesh GlowCard(const std::string& name, Vec3 center, float size, Vec3 normal, Vec3 up,
               const std::string& material) {
    // The square's corners lie outside the glow's black rim: a 12-gon round
    // the image's inscribed circle shows the same picture with a fifth less fill.
    const Mesh square = Card(name, center, size, size, normal, up, material);
    const Vec3 right = (square.points[1] - square.points[0]) * (1 / size);
    const Vec3 top = (square.points[3] - square.points[0]) * (1 / size);
    const int sides = 12;
    const float r = 0.5f / std::cos(3.14159265f / sides);
    Mesh mesh;
    mesh.name = name;
    mesh.points.push_back(center);
    mesh.texels.push_back({0.5f, 0.5f});
    for (int i = 0; i < sides; ++i) {
        const float a = 2 * 3.14159265f * i / sides;
        const float x = r * std::cos(a), y = r * std::sin(a);
        mesh.points.push_back(center + right * (x * size) + top * (y * size));
        mesh.texels.push_back({0.5f + x, 0.5f + y});
    }
    for (int i = 0; i < sides; ++i)
        mesh.faces.push_back({{0, 1 + i, 1 + (i + 1) % sides}, i == 0 ? material : ""});
    return mesh;
}

Mesh Sprite(const std::string& name, Vec3 center, float size, const std::string& material) {
    Mesh mesh = Card(name, center, size, size, {0, -1, 0}, {0, 0, 1}, material);
    mesh.Append(Card(name, center, size, size, {1, 0, 0}, {0, 0, 1}, material));
    mesh.Append(Card(name, center, size, size, {0, 0, 1}, {0, 1, 0}, material));
    return mesh;
}

std::vector<scenekit::RotationKey> FaceCamera(int frames, int step,
                                              const scenecommon::PathFn& camera,
                                              const scenecommon::PathFn& position) {
    std::vector<scenekit::RotationKey> keys;
    for (const auto& k : scenecommon::SamplePath(frames, step, camera)) {
        const float t = frames > 0 ? float(k.frame) / frames : 0;
        const Vec3 d = Normalize(k.value - position(t));
        const Vec3 from{0, -1, 0};
        const Vec3 axis = Cross(from, d);
        const float len = scenekit::Length(axis);
        const float angle = std::atan2(len, Dot(from, d)) * 180.0f / scenecommon::kPi;
        if (len < 1e-5f)
            keys.push_back({k.frame, {0, 0, 1}, angle});
        else
            keys.push_back({k.frame, axis, angle});
    }
    return keys;
}

Mesh Tetrahedron(const std::string& name, Vec3 center, float edge, const std::string& material) {
    const float r = edge / std::sqrt(3.0f);           // base circumradius
    const float h = edge * std::sqrt(2.0f / 3.0f);    // height
    Mesh mesh;
    mesh.name = name;
    for (int i = 0; i < 3; ++i) {
        const float a = (90.0f + 120.0f * i) * scenecommon::kPi / 180;
        mesh.points.push_back(center + Vec3{r * std::cos(a), r * std::sin(a), -h / 4});
    }
    mesh.points.push_back(center + Vec3{0, 0, h * 0.75f});
    // Base seen from below, sides from outside: counter-clockwise each.
    mesh.faces = {{{0, 2, 1}, material}, {{0, 1, 3}, ""}, {{1, 2, 3}, ""}, {{2, 0, 3}, ""}};
    return mesh;
}

namespace {
void AddSierpinski(Mesh* out, Vec3 center, float edge, int level, const std::string& material) {
    if (level <= 0) {
        Mesh t = Tetrahedron(out->name, center, edge, out->faces.empty() ? material : "");
        out->Append(t);
        return;
    }
    const float r = edge / std::sqrt(3.0f);
    const float h = edge * std::sqrt(2.0f / 3.0f);
    // Child centres: halfway from the centre towards each corner.
    std::vector<Vec3> corners;
    for (int i = 0; i < 3; ++i) {
        const float a = (90.0f + 120.0f * i) * scenecommon::kPi / 180;
        corners.push_back({r * std::cos(a), r * std::sin(a), -h / 4});
    }
    corners.push_back({0, 0, h * 0.75f});
    for (const Vec3& c : corners) AddSierpinski(out, center + c * 0.5f, edge / 2, level - 1, material);
}
}  // namespace

Mesh Sierpinski(const std::string& name, Vec3 center, float edge, int level,
                const std::string& material) {
    Mesh mesh;
    mesh.name = name;
    AddSierpinski(&mesh, center, edge, level, material);
    return mesh;
}

std::vector<scenekit::Vec3Key> Hold(int frames, Vec3 value) { return {{0, value}, {frames, value}}; }

}  // namespace scenes1
