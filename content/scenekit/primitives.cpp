#include "primitives.h"

#include <algorithm>
#include <cmath>

namespace scenekit {
namespace {

constexpr float kTwoPi = 6.28318530717958647692f;
constexpr float kHalfPi = 1.57079632679489661923f;

bool SamePosition(Vec3 a, Vec3 b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

// Collects points and faces of one primitive, all faces naming one material.
class Builder {
public:
    Builder(const std::string &name, const std::string &material) : material_(material)
    {
        mesh_.name = name;
    }

    unsigned Point(Vec3 p, float u, float v)
    {
        mesh_.points.push_back(p);
        mesh_.texels.push_back({u, v});
        return static_cast<unsigned>(mesh_.points.size() - 1);
    }

    // Counter-clockwise a, b, c; a triangle that has collapsed (two corners
    // at one place, as at a pole) is left out.
    void Triangle(unsigned a, unsigned b, unsigned c)
    {
        const auto &p = mesh_.points;
        if (SamePosition(p[a], p[b]) || SamePosition(p[b], p[c]) || SamePosition(p[a], p[c]))
            return;
        mesh_.faces.push_back({{a, b, c}, material_});
    }

    // Counter-clockwise a, b, c, d.
    void Quad(unsigned a, unsigned b, unsigned c, unsigned d)
    {
        Triangle(a, b, c);
        Triangle(a, c, d);
    }

    // A (columns+1) x (rows+1) lattice made by `at(i, j, &u, &v)`, whose
    // faces are counter-clockwise seen from where d/di x d/dj points, or from
    // the other side when `flip`.
    template <class At> void Lattice(int columns, int rows, bool flip, At at)
    {
        const unsigned base = static_cast<unsigned>(mesh_.points.size());
        for (int j = 0; j <= rows; ++j)
            for (int i = 0; i <= columns; ++i) {
                float u, v;
                const Vec3 p = at(i, j, &u, &v);
                Point(p, u, v);
            }
        auto index = [&](int i, int j) {
            return base + static_cast<unsigned>(j * (columns + 1) + i);
        };
        for (int j = 0; j < rows; ++j)
            for (int i = 0; i < columns; ++i) {
                if (flip)
                    Quad(index(i, j), index(i, j + 1), index(i + 1, j + 1), index(i + 1, j));
                else
                    Quad(index(i, j), index(i + 1, j), index(i + 1, j + 1), index(i, j + 1));
            }
    }

    Mesh Take() { return std::move(mesh_); }

private:
    Mesh mesh_;
    std::string material_;
};

Vec3 Scaled(Vec3 a, Vec3 b)
{
    return {a.x * b.x, a.y * b.y, a.z * b.z};
}

void AddBox(Builder &b, Vec3 center, Vec3 size)
{
    const Vec3 half = size * 0.5f;
    // (outward normal, right, up) with right x up = normal: the corners
    // below run counter-clockwise seen from outside.
    static const Vec3 sides[6][3] = {
        {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},  {{-1, 0, 0}, {0, -1, 0}, {0, 0, 1}},
        {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {1, 0, 0}, {0, -1, 0}},
    };
    for (const auto &side : sides) {
        const Vec3 n = side[0], r = side[1], t = side[2];
        auto corner = [&](float su, float sv, float u, float v) {
            return b.Point(center + Scaled(half, n + r * su + t * sv), u, v);
        };
        const unsigned p0 = corner(-1, -1, 0, 0);
        const unsigned p1 = corner(1, -1, 1, 0);
        const unsigned p2 = corner(1, 1, 1, 1);
        const unsigned p3 = corner(-1, 1, 0, 1);
        b.Quad(p0, p1, p2, p3);
    }
}

// The circle point of column i of `segments`; the last column repeats the
// first exactly, so that seams close without a crack.
Vec3 Around(int i, int segments, float radius)
{
    const float a = kTwoPi * static_cast<float>(i % segments) / static_cast<float>(segments);
    return {radius * std::cos(a), radius * std::sin(a), 0};
}

struct ProfilePoint {
    float radius;  // exactly 0 on the axis
    float z;
    float v;
};

// Surface of revolution about Z of a profile listed from bottom to top;
// faces outward, or inward when `inside`.
void AddLathe(Builder &b, Vec3 center, const std::vector<ProfilePoint> &profile, int segments,
              bool inside)
{
    const int rows = static_cast<int>(profile.size()) - 1;
    b.Lattice(segments, rows, inside, [&](int i, int j, float *u, float *v) {
        const ProfilePoint &pp = profile[j];
        *u = static_cast<float>(i) / static_cast<float>(segments);
        *v = pp.v;
        // On the axis every column is one point: give it the middle of its
        // column's span of u.
        if (pp.radius == 0 && i < segments)
            *u = (static_cast<float>(i) + 0.5f) / static_cast<float>(segments);
        return center + Around(i, segments, pp.radius) + Vec3{0, 0, pp.z};
    });
}

// Disc at height z facing +Z (`up`) or -Z, mapped as seen from its front.
void AddDisc(Builder &b, Vec3 center, float radius, float z, int segments, bool up)
{
    const unsigned middle = b.Point(center + Vec3{0, 0, z}, 0.5f, 0.5f);
    std::vector<unsigned> ring;
    for (int i = 0; i < segments; ++i) {
        const Vec3 p = Around(i, segments, radius);
        const float u = 0.5f + 0.5f * p.x / radius;
        const float v = 0.5f + (up ? 0.5f : -0.5f) * p.y / radius;
        ring.push_back(b.Point(center + p + Vec3{0, 0, z}, u, v));
    }
    for (int i = 0; i < segments; ++i) {
        const unsigned a = ring[i], c = ring[(i + 1) % segments];
        if (up)
            b.Triangle(middle, a, c);
        else
            b.Triangle(middle, c, a);
    }
}

// Profile rows of a half sphere above (north) or below height zBase, listed
// from bottom to top like every profile.
void AppendHemisphere(std::vector<ProfilePoint> &profile, float radius, float zBase, int rings,
                      bool north, float vFrom, float vTo)
{
    for (int k = 0; k <= rings; ++k) {
        const int step = north ? k : rings - k;  // 0 at the equator
        const float theta = kHalfPi * static_cast<float>(step) / static_cast<float>(rings);
        const float r = step == rings ? 0.0f : radius * std::cos(theta);
        const float z = zBase + (north ? 1.0f : -1.0f) * radius * std::sin(theta);
        const float t = static_cast<float>(k) / static_cast<float>(rings);
        profile.push_back({r, z, vFrom + (vTo - vFrom) * t});
    }
}

}  // namespace

Mesh Box(const std::string &name, Vec3 center, Vec3 size, const std::string &material)
{
    Builder b(name, material);
    AddBox(b, center, size);
    return b.Take();
}

Mesh Sphere(const std::string &name, Vec3 center, float radius, int segments, int rings,
            const std::string &material)
{
    segments = std::max(segments, 3);
    rings = std::max(rings, 2);
    std::vector<ProfilePoint> profile;
    for (int k = 0; k <= rings; ++k) {
        const float theta =
            -kHalfPi + kHalfPi * 2 * static_cast<float>(k) / static_cast<float>(rings);
        const bool pole = k == 0 || k == rings;
        profile.push_back({pole ? 0.0f : radius * std::cos(theta),
                           k == 0       ? -radius
                           : k == rings ? radius
                                        : radius * std::sin(theta),
                           static_cast<float>(k) / static_cast<float>(rings)});
    }
    Builder b(name, material);
    AddLathe(b, center, profile, segments, false);
    return b.Take();
}

Mesh Torus(const std::string &name, Vec3 center, float majorRadius, float minorRadius, int segments,
           int sides, const std::string &material)
{
    segments = std::max(segments, 3);
    sides = std::max(sides, 3);
    Builder b(name, material);
    b.Lattice(segments, sides, false, [&](int i, int j, float *u, float *v) {
        *u = static_cast<float>(i) / static_cast<float>(segments);
        *v = static_cast<float>(j) / static_cast<float>(sides);
        const Vec3 tube = Around(j, sides, minorRadius);  // x: away from the axis, y: up
        const Vec3 ring = Around(i, segments, 1.0f);
        return center + ring * (majorRadius + tube.x) + Vec3{0, 0, tube.y};
    });
    return b.Take();
}

Mesh TorusKnot(const std::string &name, Vec3 center, int p, int q, float radius, float tubeRadius,
               int segments, int sides, const std::string &material)
{
    segments = std::max(segments, 3);
    sides = std::max(sides, 3);
    auto curve = [&](float t) {
        const float r = radius * (1 + 0.5f * std::cos(q * t));
        return Vec3{r * std::cos(p * t), r * std::sin(p * t), radius * 0.5f * std::sin(q * t)};
    };
    Builder b(name, material);
    b.Lattice(segments, sides, true, [&](int i, int j, float *u, float *v) {
        *u = static_cast<float>(i) / static_cast<float>(segments);
        *v = static_cast<float>(j) / static_cast<float>(sides);
        const float t = kTwoPi * static_cast<float>(i % segments) / static_cast<float>(segments);
        const Vec3 here = curve(t);
        const Vec3 tangent = Normalize(curve(t + 1e-3f) - curve(t - 1e-3f));
        // Frame (normal, binormal, tangent), right-handed, with the normal
        // leaning away from the knot's centre.
        const Vec3 binormal = Normalize(Cross(tangent, here));
        const Vec3 normal = Cross(binormal, tangent);
        const Vec3 ring = Around(j, sides, tubeRadius);
        return center + here + normal * ring.x + binormal * ring.y;
    });
    return b.Take();
}

Mesh Cylinder(const std::string &name, Vec3 center, float radius, float height, int segments,
              const std::string &material)
{
    segments = std::max(segments, 3);
    const float h = height * 0.5f;
    Builder b(name, material);
    AddLathe(b, center, {{radius, -h, 0}, {radius, h, 1}}, segments, false);
    AddDisc(b, center, radius, h, segments, true);
    AddDisc(b, center, radius, -h, segments, false);
    return b.Take();
}

Mesh Cone(const std::string &name, Vec3 center, float radius, float height, int segments,
          const std::string &material)
{
    segments = std::max(segments, 3);
    const float h = height * 0.5f;
    Builder b(name, material);
    AddLathe(b, center, {{radius, -h, 0}, {0, h, 1}}, segments, false);
    AddDisc(b, center, radius, -h, segments, false);
    return b.Take();
}

Mesh Capsule(const std::string &name, Vec3 center, float radius, float height, int segments,
             int rings, const std::string &material)
{
    segments = std::max(segments, 3);
    rings = std::max(rings, 1);
    const float h = height * 0.5f;
    const float total = height + 2 * radius;
    const float vLow = radius / total, vHigh = (radius + height) / total;
    std::vector<ProfilePoint> profile;
    AppendHemisphere(profile, radius, -h, rings, false, 0, vLow);
    AppendHemisphere(profile, radius, h, rings, true, vHigh, 1);
    Builder b(name, material);
    AddLathe(b, center, profile, segments, false);
    return b.Take();
}

Mesh Tube(const std::string &name, Vec3 center, float radius, float length, int segments,
          int lengthSegments, float vRepeat, const std::string &material)
{
    segments = std::max(segments, 3);
    lengthSegments = std::max(lengthSegments, 1);
    std::vector<ProfilePoint> profile;
    for (int k = 0; k <= lengthSegments; ++k) {
        const float t = static_cast<float>(k) / static_cast<float>(lengthSegments);
        profile.push_back({radius, length * (t - 0.5f), vRepeat * t});
    }
    Builder b(name, material);
    AddLathe(b, center, profile, segments, true);
    return b.Take();
}

Mesh Grid(const std::string &name, Vec3 center, float sizeX, float sizeY, int divX, int divY,
          float repeat, const std::string &material)
{
    divX = std::max(divX, 1);
    divY = std::max(divY, 1);
    Builder b(name, material);
    b.Lattice(divX, divY, false, [&](int i, int j, float *u, float *v) {
        const float s = static_cast<float>(i) / static_cast<float>(divX);
        const float t = static_cast<float>(j) / static_cast<float>(divY);
        *u = s * repeat;
        *v = t * repeat;
        return center + Vec3{sizeX * (s - 0.5f), sizeY * (t - 0.5f), 0};
    });
    return b.Take();
}

// ---- Block letters -------------------------------------------------------------

namespace {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kAdvance = kGlyphWidth + 1;

struct Glyph {
    char c;
    const char *rows[kGlyphHeight];  // top row first, '#' lit
};

const Glyph kFont[] = {
    {'A', {" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'B', {"#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "}},
    {'C', {" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "}},
    {'D', {"#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "}},
    {'E', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"}},
    {'F', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "}},
    {'G', {" ### ", "#   #", "#    ", "# ###", "#   #", "#   #", " ####"}},
    {'H', {"#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'I', {" ### ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'J', {"  ###", "   # ", "   # ", "   # ", "   # ", "#  # ", " ##  "}},
    {'K', {"#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"}},
    {'L', {"#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"}},
    {'M', {"#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"}},
    {'N', {"#   #", "#   #", "##  #", "# # #", "#  ##", "#   #", "#   #"}},
    {'O', {" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'P', {"#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "}},
    {'Q', {" ### ", "#   #", "#   #", "#   #", "# # #", "#  # ", " ## #"}},
    {'R', {"#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"}},
    {'S', {" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "}},
    {'T', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'U', {"#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'V', {"#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "}},
    {'W', {"#   #", "#   #", "#   #", "# # #", "# # #", "# # #", " # # "}},
    {'X', {"#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #"}},
    {'Y', {"#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'Z', {"#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"}},
    {'0', {" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "}},
    {'1', {"  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'2', {" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"}},
    {'3', {"#####", "   # ", "  #  ", "   # ", "    #", "#   #", " ### "}},
    {'4', {"   # ", "  ## ", " # # ", "#  # ", "#####", "   # ", "   # "}},
    {'5', {"#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "}},
    {'6', {"  ## ", " #   ", "#    ", "#### ", "#   #", "#   #", " ### "}},
    {'7', {"#####", "    #", "   # ", "  #  ", " #   ", " #   ", " #   "}},
    {'8', {" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "}},
    {'9', {" ### ", "#   #", "#   #", " ####", "    #", "   # ", " ##  "}},
    {'.', {"     ", "     ", "     ", "     ", "     ", " ##  ", " ##  "}},
    {',', {"     ", "     ", "     ", "     ", " ##  ", "  #  ", " #   "}},
    {'!', {"  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "     ", "  #  "}},
    {'?', {" ### ", "#   #", "    #", "   # ", "  #  ", "     ", "  #  "}},
    {'-', {"     ", "     ", "     ", "#####", "     ", "     ", "     "}},
    {':', {"     ", " ##  ", " ##  ", "     ", " ##  ", " ##  ", "     "}},
    {'\'', {"  #  ", "  #  ", " #   ", "     ", "     ", "     ", "     "}},
};

const Glyph *FindGlyph(char c)
{
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    for (const Glyph &g : kFont)
        if (g.c == c) return &g;
    return nullptr;
}

}  // namespace

float BlockTextWidth(const std::string &text, float pixel)
{
    if (text.empty()) return 0;
    return static_cast<float>(text.size() * kAdvance - 1) * pixel;
}

Mesh BlockText(const std::string &name, const std::string &text, Vec3 origin, float pixel,
               float depth, const std::string &material)
{
    Builder b(name, material);
    for (size_t n = 0; n < text.size(); ++n) {
        const Glyph *glyph = FindGlyph(text[n]);
        if (!glyph) continue;
        const float left = origin.x + static_cast<float>(n * kAdvance) * pixel;
        for (int row = 0; row < kGlyphHeight; ++row) {
            const char *bits = glyph->rows[row];
            const float z = origin.z + (static_cast<float>(kGlyphHeight - 1 - row) + 0.5f) * pixel;
            // One box per run of lit pixels keeps the face count down.
            for (int col = 0; col < kGlyphWidth;) {
                if (bits[col] != '#') {
                    ++col;
                    continue;
                }
                int end = col;
                while (end < kGlyphWidth && bits[end] == '#') ++end;
                const float run = static_cast<float>(end - col);
                const Vec3 centre{left + (static_cast<float>(col) + run * 0.5f) * pixel,
                                  origin.y + depth * 0.5f, z};
                AddBox(b, centre, {run * pixel, depth, pixel});
                col = end;
            }
        }
    }
    return b.Take();
}

}  // namespace scenekit
