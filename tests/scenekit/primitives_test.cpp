// Primitives are closed where promised, wound so that the normals lib3ds
// computes on load face the visible side, and carry usable texels.
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <tuple>

#include "primitives.h"
#include "support.h"

using namespace scenekit;
using namespace scenekit_test;

namespace {

const Vec3 kCenter{3, -2, 5};

using Spot = std::tuple<long, long, long>;
Spot Quantize(Vec3 p)
{
    return {std::lround(p.x * 1e4f), std::lround(p.y * 1e4f), std::lround(p.z * 1e4f)};
}

// Directed edges by position (seams repeat points with other texels).
std::map<std::pair<Spot, Spot>, int> DirectedEdges(const Mesh &m)
{
    std::map<std::pair<Spot, Spot>, int> edges;
    for (const Face &f : m.faces)
        for (int k = 0; k < 3; ++k)
            ++edges[{Quantize(m.points[f.points[k]]), Quantize(m.points[f.points[(k + 1) % 3]])}];
    return edges;
}

// Edges that no face runs along in the opposite direction; -1 when some
// edge is used twice in one direction (inconsistent winding or overlap).
int OpenEdges(const Mesh &m)
{
    const auto edges = DirectedEdges(m);
    int open = 0;
    for (const auto &[edge, count] : edges) {
        if (count != 1) return -1;
        if (!edges.count({edge.second, edge.first})) ++open;
    }
    return open;
}

double SignedVolume(const Mesh &m)
{
    double volume = 0;
    for (const Face &f : m.faces) {
        const Vec3 a = m.points[f.points[0]] - kCenter, b = m.points[f.points[1]] - kCenter,
                   c = m.points[f.points[2]] - kCenter;
        volume += Dot(a, Cross(b, c)) / 6.0;
    }
    return volume;
}

float SmallestArea(const Mesh &m)
{
    float smallest = INFINITY;
    for (const Face &f : m.faces) {
        const Vec3 a = m.points[f.points[0]], b = m.points[f.points[1]], c = m.points[f.points[2]];
        smallest = std::min(smallest, Length(Cross(b - a, c - a)) / 2);
    }
    return smallest;
}

struct Solid {
    Mesh mesh;
    double volume;  // of the ideal shape; 0: only its sign is checked
    // Point of the shape's core nearest to p, from which the outside lies
    // along the normal.
    std::function<Vec3(Vec3)> core;
};

std::vector<Solid> Solids()
{
    const float pi = static_cast<float>(M_PI);
    auto centre = [](Vec3) { return kCenter; };
    auto ring = [](Vec3 p) {
        const Vec3 d = p - kCenter;
        return kCenter + Normalize(Vec3{d.x, d.y, 0}) * 6.0f;
    };
    return {
        {Box("Box", kCenter, {2, 4, 6}, "M"), 48, centre},
        {Sphere("Sphere", kCenter, 5, 48, 24, "M"), 4.0 / 3 * pi * 125, centre},
        {Torus("Torus", kCenter, 6, 2, 48, 24, "M"), 2 * pi * pi * 6 * 4, ring},
        {TorusKnot("Knot", kCenter, 2, 3, 8, 1.2f, 128, 12, "M"), 0, nullptr},
        {Cylinder("Cylinder", kCenter, 3, 7, 48, "M"), pi * 9 * 7, centre},
        {Cone("Cone", kCenter, 3, 7, 48, "M"), pi * 9 * 7 / 3, centre},
        {Capsule("Capsule", kCenter, 2, 5, 48, 12, "M"), pi * 4 * 5 + 4.0 / 3 * pi * 8, centre},
        {Sphere("Tiny", kCenter, 1, 0, 0, "M"), 0, centre},
    };
}

}  // namespace

TEST(Primitives, SolidsAreClosedConsistentlyWoundAndEnclosePositiveVolume)
{
    for (const Solid &s : Solids()) {
        SCOPED_TRACE(s.mesh.name);
        ASSERT_FALSE(s.mesh.faces.empty());
        EXPECT_EQ(OpenEdges(s.mesh), 0);
        EXPECT_GT(SmallestArea(s.mesh), 0.0f);
        const double volume = SignedVolume(s.mesh);
        EXPECT_GT(volume, 0.0);
        if (s.volume > 0) {
            EXPECT_NEAR(volume, s.volume, s.volume * 0.02);
        }
        ASSERT_EQ(s.mesh.texels.size(), s.mesh.points.size());
        for (const auto &t : s.mesh.texels) {
            EXPECT_TRUE(t[0] >= 0 && t[0] <= 1 && t[1] >= 0 && t[1] <= 1) << t[0] << ", " << t[1];
        }
        for (const Face &f : s.mesh.faces) EXPECT_EQ(f.material, "M");
    }
}

TEST(Primitives, NormalsComputedOnLoadPointOutward)
{
    ScratchDir dir;
    Scene scene;
    AddDefaultCamera(scene);
    scene.AddMaterial(Material::Plain("M", {1, 1, 1}));
    const std::vector<Solid> solids = Solids();
    for (const Solid &s : solids) scene.AddObject(s.mesh);
    Loaded file = SaveAndLoad(scene, dir);
    ASSERT_TRUE(file);
    for (const Solid &s : solids) {
        if (!s.core) continue;
        SCOPED_TRACE(s.mesh.name);
        Lib3dsMesh *m = lib3ds_file_mesh_by_name(file.get(), s.mesh.name.c_str());
        ASSERT_NE(m, nullptr);
        ASSERT_EQ(m->faces, s.mesh.faces.size());
        int inward = 0;
        for (unsigned i = 0; i < m->faces; ++i) {
            Vec3 centroid;
            for (int k = 0; k < 3; ++k) {
                const float *p = m->pointL[m->faceL[i].points[k]].pos;
                centroid = centroid + Vec3{p[0], p[1], p[2]} * (1.0f / 3);
            }
            const float *n = m->faceL[i].normal;
            EXPECT_NEAR(Length({n[0], n[1], n[2]}), 1.0f, 1e-4f);
            if (Dot({n[0], n[1], n[2]}, centroid - s.core(centroid)) <= 0) ++inward;
        }
        EXPECT_EQ(inward, 0);
    }
}

TEST(Primitives, TubeIsOpenAtBothEndsAndFacesItsAxis)
{
    const int segments = 24;
    const Mesh tube = Tube("Tunnel", kCenter, 4, 30, segments, 5, 3, "M");
    EXPECT_EQ(OpenEdges(tube), 2 * segments);
    EXPECT_GT(SmallestArea(tube), 0.0f);
    float maxV = 0;
    for (const auto &t : tube.texels) maxV = std::max(maxV, t[1]);
    EXPECT_FLOAT_EQ(maxV, 3);
    for (const Face &f : tube.faces) {
        const Vec3 a = tube.points[f.points[0]], b = tube.points[f.points[1]],
                   c = tube.points[f.points[2]];
        const Vec3 normal = Cross(b - a, c - a);
        const Vec3 centroid = (a + b + c) * (1.0f / 3);
        const Vec3 outward{centroid.x - kCenter.x, centroid.y - kCenter.y, 0};
        EXPECT_LT(Dot(normal, outward), 0);
        EXPECT_LE(std::fabs(centroid.z - kCenter.z), 15.0f);
    }
}

TEST(Primitives, GridFacesUpCoversItsSizeAndRepeatsTheImage)
{
    const Mesh grid = Grid("Floor", kCenter, 20, 10, 4, 2, 5, "M");
    EXPECT_EQ(grid.faces.size(), 16u);
    EXPECT_EQ(OpenEdges(grid), 2 * (4 + 2));
    float minX = INFINITY, maxX = -INFINITY, minY = INFINITY, maxY = -INFINITY, maxU = 0;
    for (const Vec3 &p : grid.points) {
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
        EXPECT_EQ(p.z, kCenter.z);
    }
    for (const auto &t : grid.texels) maxU = std::max({maxU, t[0], t[1]});
    EXPECT_FLOAT_EQ(minX, kCenter.x - 10);
    EXPECT_FLOAT_EQ(maxX, kCenter.x + 10);
    EXPECT_FLOAT_EQ(minY, kCenter.y - 5);
    EXPECT_FLOAT_EQ(maxY, kCenter.y + 5);
    EXPECT_FLOAT_EQ(maxU, 5);
    for (const Face &f : grid.faces) {
        const Vec3 a = grid.points[f.points[0]], b = grid.points[f.points[1]],
                   c = grid.points[f.points[2]];
        EXPECT_GT(Cross(b - a, c - a).z, 0);
    }
}

TEST(Primitives, AppendShiftsIndicesAndGivesUntexturedPointsZeroTexels)
{
    Mesh plain;
    plain.name = "Plain";
    plain.points = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    plain.faces = {{{0, 1, 2}, "A"}};
    const Mesh box = Box("Box", {5, 5, 5}, {1, 1, 1}, "B");
    Mesh merged = plain;
    merged.Append(box);
    ASSERT_EQ(merged.points.size(), 3 + box.points.size());
    ASSERT_EQ(merged.texels.size(), merged.points.size());
    ASSERT_EQ(merged.faces.size(), 1 + box.faces.size());
    EXPECT_EQ(merged.texels[0], (std::array<float, 2>{0, 0}));
    EXPECT_EQ(merged.texels[3], box.texels[0]);
    for (size_t i = 0; i < box.faces.size(); ++i) {
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(merged.faces[1 + i].points[k], box.faces[i].points[k] + 3);
        EXPECT_EQ(merged.faces[1 + i].material, "B");
    }
    merged.SetMaterial("C");
    for (const Face &f : merged.faces) EXPECT_EQ(f.material, "C");
    merged.Transform(Translation({0, 0, 10}));
    EXPECT_FLOAT_EQ(merged.points[3].z, box.points[0].z + 10);
}

namespace {

struct Bounds {
    Vec3 low{INFINITY, INFINITY, INFINITY}, high{-INFINITY, -INFINITY, -INFINITY};
};

Bounds BoundsOf(const Mesh &m)
{
    Bounds b;
    for (const Vec3 &p : m.points) {
        b.low = {std::min(b.low.x, p.x), std::min(b.low.y, p.y), std::min(b.low.z, p.z)};
        b.high = {std::max(b.high.x, p.x), std::max(b.high.y, p.y), std::max(b.high.z, p.z)};
    }
    return b;
}

}  // namespace

TEST(Primitives, BlockTextStandsUprightFromItsOriginAndAdvancesPerLetter)
{
    const Vec3 origin{10, -1, 2};
    const float px = 0.5f, depth = 2;
    const Bounds h = BoundsOf(BlockText("T", "H", origin, px, depth, "M"));
    EXPECT_FLOAT_EQ(h.low.x, 10);
    EXPECT_FLOAT_EQ(h.high.x, 10 + 5 * px);
    EXPECT_FLOAT_EQ(h.low.z, 2);
    EXPECT_FLOAT_EQ(h.high.z, 2 + 7 * px);
    EXPECT_FLOAT_EQ(h.low.y, -1);
    EXPECT_FLOAT_EQ(h.high.y, -1 + depth);

    EXPECT_EQ(BlockText("T", "h", origin, px, depth, "M").points,
              BlockText("T", "H", origin, px, depth, "M").points);
    const Bounds unknownBetween = BoundsOf(BlockText("T", "H~H", origin, px, depth, "M"));
    EXPECT_FLOAT_EQ(unknownBetween.high.x, 10 + (12 + 5) * px);
    EXPECT_FLOAT_EQ(BlockTextWidth("H~H", px), 17 * px);
    EXPECT_TRUE(BlockText("T", "", origin, px, depth, "M").points.empty());
    EXPECT_TRUE(BlockText("T", "   ", origin, px, depth, "M").faces.empty());

    // The dash is one bar of five pixels: one closed box, seen from outside.
    const Mesh dash = BlockText("T", "-", {0, 0, 0}, px, depth, "M");
    EXPECT_EQ(dash.faces.size(), 12u);
    EXPECT_EQ(OpenEdges(dash), 0);
    double volume = 0;
    for (const Face &f : dash.faces)
        volume += Dot(dash.points[f.points[0]],
                      Cross(dash.points[f.points[1]], dash.points[f.points[2]])) /
                  6.0;
    EXPECT_NEAR(volume, 5 * px * px * depth, 1e-5);
    const Bounds d = BoundsOf(dash);
    EXPECT_FLOAT_EQ(d.low.z, 3 * px);
    EXPECT_FLOAT_EQ(d.high.z, 4 * px);
}
