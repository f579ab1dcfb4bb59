#include "cards.h"

#include <cmath>

#include "motion.h"

namespace scenes::kit {

using scenekit::Cross;
using scenekit::Dot;
using scenekit::Normalize;

Mesh Card(const std::string &name, Vec3 center, float width, float height, Vec3 normal, Vec3 up,
          const std::string &material)
{
    return CardPart(name, center, width, height, normal, up, material, 0, 1, 0, 1);
}

Mesh CardPart(const std::string &name, Vec3 center, float width, float height, Vec3 normal, Vec3 up,
              const std::string &material, float uFrom, float uTo, float vFrom, float vTo)
{
    const Vec3 n = Normalize(normal);
    Vec3 top = up - n * Dot(up, n);
    if (scenekit::Length(top) < 1e-4f) top = std::fabs(n.z) < 0.9f ? Vec3{0, 0, 1} : Vec3{0, 1, 0};
    top = Normalize(top - n * Dot(top, n));
    const Vec3 right = Cross(top, n);
    auto at = [&](float u, float v) {
        return center + right * ((u - 0.5f) * width) + top * ((v - 0.5f) * height);
    };
    Mesh mesh;
    mesh.name = name;
    mesh.points = {at(uFrom, vFrom), at(uTo, vFrom), at(uTo, vTo), at(uFrom, vTo)};
    mesh.texels = {{uFrom, vFrom}, {uTo, vFrom}, {uTo, vTo}, {uFrom, vTo}};
    mesh.faces = {{{0, 1, 2}, material}, {{0, 2, 3}, ""}};
    return mesh;
}

Mesh GlowCard(const std::string &name, Vec3 center, float size, Vec3 normal, Vec3 up,
              const std::string &material)
{
    // The 12-gon's edges touch the circle: a fifth less fill than the square.
    return GlowBand(name, center, size, normal, up, 0, 1, 12, material);
}

Mesh GlowBand(const std::string &name, Vec3 center, float size, Vec3 normal, Vec3 up,
              float innerReach, float outerReach, unsigned sides, const std::string &material)
{
    const Mesh square = Card(name, center, size, size, normal, up, material);
    const Vec3 right = (square.points[1] - square.points[0]) * (1 / size);
    const Vec3 top = (square.points[3] - square.points[0]) * (1 / size);
    // Outer corners out to where the edges touch the outer circle; inner
    // corners on the inner circle, so that the chords stay inside it.
    const float outer = 0.5f * outerReach / std::cos(kPi / sides), inner = 0.5f * innerReach;
    Mesh mesh;
    mesh.name = name;
    auto add = [&](float r, float a) {
        const float x = r * std::cos(a), y = r * std::sin(a);
        mesh.points.push_back(center + right * (x * size) + top * (y * size));
        mesh.texels.push_back({0.5f + x, 0.5f + y});
    };
    if (innerReach <= 0) {
        add(0, 0);
        for (unsigned i = 0; i < sides; ++i) add(outer, 2 * kPi * i / sides);
        for (unsigned i = 0; i < sides; ++i)
            mesh.faces.push_back({{0, 1 + i, 1 + (i + 1) % sides}, i == 0 ? material : ""});
        return mesh;
    }
    for (unsigned i = 0; i < sides; ++i) {
        add(inner, 2 * kPi * i / sides);
        add(outer, 2 * kPi * i / sides);
    }
    for (unsigned i = 0; i < sides; ++i) {
        const unsigned a = 2 * i, b = a + 1, c = 2 * ((i + 1) % sides), d = c + 1;
        mesh.faces.push_back({{a, b, d}, i == 0 ? material : ""});
        mesh.faces.push_back({{a, d, c}, ""});
    }
    return mesh;
}

Mesh Sprite(const std::string &name, Vec3 center, float size, const std::string &material)
{
    Mesh mesh = Card(name, center, size, size, {0, -1, 0}, {0, 0, 1}, material);
    mesh.Append(Card(name, center, size, size, {1, 0, 0}, {0, 0, 1}, material));
    mesh.Append(Card(name, center, size, size, {0, 0, 1}, {0, 1, 0}, material));
    return mesh;
}

Mesh UprightGlow(const std::string &name, Vec3 center, float size, const std::string &material)
{
    Mesh mesh = GlowCard(name, center, size, {0, -1, 0}, {0, 0, 1}, material);
    mesh.Append(GlowCard(name, center, size, {1, 0, 0}, {0, 0, 1}, material));
    return mesh;
}

Mesh NeonRing(const std::string &name, float radius, float width, int segments,
              const std::string &material)
{
    const float inner = radius - width / 2, outer = radius + width / 2;
    Mesh mesh;
    mesh.name = name;
    for (int i = 0; i <= segments; i++) {
        const float rad = 360.0f * i / segments * kPi / 180.0f;
        mesh.points.push_back({inner * std::cos(rad), inner * std::sin(rad), 0});
        mesh.points.push_back({outer * std::cos(rad), outer * std::sin(rad), 0});
        mesh.texels.push_back({0.5f, 0});
        mesh.texels.push_back({0.5f, 1});
    }
    for (int i = 0; i < segments; i++) {
        const unsigned a = 2 * i, b = a + 1, c = a + 2, d = a + 3;
        mesh.faces.push_back({{a, b, d}, i == 0 ? material : ""});
        mesh.faces.push_back({{a, d, c}, ""});
    }
    return mesh;
}

}  // namespace scenes::kit
