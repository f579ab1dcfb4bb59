// The scene kit: keys and paths, turns, the random generator, and the shapes
// the scenes are built from.
#include <gtest/gtest.h>

#include <cmath>

#include "kit/kit.h"

namespace {

using namespace scenes::kit;

float Distance(Vec3 a, Vec3 b)
{
    return scenekit::Length(a - b);
}

// Signed volume enclosed by a mesh's faces: > 0 when they face outwards.
double Volume(const Mesh &m)
{
    double v = 0;
    for (const auto &f : m.faces) {
        const Vec3 a = m.points[f.points[0]], b = m.points[f.points[1]], c = m.points[f.points[2]];
        v += scenekit::Dot(a, scenekit::Cross(b, c)) / 6.0;
    }
    return v;
}

Vec3 FaceNormal(const Mesh &m, const scenekit::Face &f)
{
    const Vec3 a = m.points[f.points[0]], b = m.points[f.points[1]], c = m.points[f.points[2]];
    return scenekit::Normalize(scenekit::Cross(b - a, c - a));
}

TEST(KitKeys, SampledKeysRunFromZeroToTheLastFrameThroughThePath)
{
    const auto keys = SamplePath(10, 4, [](float t) { return Vec3{t, 2 * t, 0}; });
    ASSERT_EQ(keys.size(), 4u);
    const int frames[] = {0, 4, 8, 10};
    for (size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(keys[i].frame, frames[i]);
        EXPECT_FLOAT_EQ(keys[i].value.y, 2 * frames[i] / 10.0f);
    }
    const auto byFrame = SampleFrames(6, 3, [](float f) { return Vec3{f, 0, 0}; });
    ASSERT_EQ(byFrame.size(), 3u);
    EXPECT_FLOAT_EQ(byFrame.back().value.x, 6);
    const auto angles = SampleAngle(8, 4, {0, 0, 1}, [](float t) { return 360 * t; });
    ASSERT_EQ(angles.size(), 3u);
    EXPECT_FLOAT_EQ(angles[1].angleDeg, 180);
    EXPECT_EQ(SampleScale(0, 5, [](float) { return 2.0f; }).size(), 1u)
        << "a still scene keeps a key";

    // A flash is hidden from frame 0 (a track answers its first key before it).
    const auto flash = Flash(12, 14, 20, 1.5f);
    ASSERT_EQ(flash.size(), 4u);
    EXPECT_EQ(flash[0].frame, 0);
    EXPECT_EQ(flash[1].frame, 12);
    EXPECT_EQ(flash[2].frame, 14);
    EXPECT_EQ(flash[3].frame, 20);
    for (int i : {0, 1, 3}) EXPECT_EQ(flash[i].value, (Vec3{kHidden, kHidden, kHidden})) << i;
    EXPECT_EQ(flash[2].value, (Vec3{1.5f, 1.5f, 1.5f}));
}

TEST(KitKeys, EasingAndBeatPulsesStayInRangeAndHitTheirEnds)
{
    for (auto ease : {EaseIn, EaseOut, EaseInOut}) {
        EXPECT_FLOAT_EQ(ease(0), 0);
        EXPECT_FLOAT_EQ(ease(1), 1);
        EXPECT_FLOAT_EQ(ease(-3), 0);
        EXPECT_FLOAT_EQ(ease(7), 1);
    }
    EXPECT_FLOAT_EQ(BeatPulse(0), 1);
    EXPECT_FLOAT_EQ(BeatPulse(kBeat * 3), 1);
    EXPECT_GT(BeatPulse(1), BeatPulse(3));
    EXPECT_NEAR(BeatPulse(kBar - 0.01f, kBar), 0, 1e-3);
    EXPECT_GE(BeatPulse(-2), 0);
}

TEST(KitPaths, PathsAndCirclesPassTheirPoints)
{
    const std::vector<Vec3> points = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 5}};
    const PathFn spline = Spline(points);
    for (size_t i = 0; i < points.size(); ++i)
        EXPECT_LT(Distance(spline(float(i) / (points.size() - 1)), points[i]), 1e-4f)
            << "point " << i;
    EXPECT_LT(Distance(spline(-1), points.front()), 1e-4f);
    EXPECT_LT(Distance(spline(2), points.back()), 1e-4f);
    EXPECT_LT(Distance(Dolly({0, 0, 0}, {4, 0, 0}, EaseInOut)(0.5f), {2, 0, 0}), 1e-5f);

    EXPECT_LT(Distance(OnCircle({1, 2, 3}, 10, 90, 4), {1, 12, 7}), 1e-4f)
        << "counter-clockwise from +X";
    const auto ring = Ring(4, {0, 0, 5}, 10, 45);
    ASSERT_EQ(ring.size(), 4u);
    EXPECT_LT(Distance(ring[0], {7.0711f, 7.0711f, 5}), 1e-3f);
    EXPECT_LT(Distance(ring[2], {-7.0711f, -7.0711f, 5}), 1e-3f);
}

Vec3 Turned(const RotationKey &k, Vec3 v)
{
    return scenekit::TransformPoint(scenekit::Rotation(k.axis, k.angleDeg), v);
}

TEST(KitTurns, TurnsCarryTheirDirectionOntoTheTarget)
{
    const Vec3 froms[] = {{0, 0, 1}, {0, -1, 0}};
    const Vec3 targets[] = {{1, 2, 3}, {0, 1, 0},  {-4, 0, 0},
                            {0, 0, 2}, {0, 0, -1}, {0, 1, 0.0000001f}};
    for (Vec3 from : froms)
        for (Vec3 to : targets) {
            const RotationKey k = TurnOnto(7, from, to);
            EXPECT_EQ(k.frame, 7);
            EXPECT_GT(scenekit::Length(k.axis), 0.5f) << "an axis the file can hold";
            EXPECT_LT(Distance(Turned(k, from), scenekit::Normalize(to)), 1e-4f)
                << "from (" << from.x << "," << from.y << "," << from.z << ") to (" << to.x << ","
                << to.y << "," << to.z << ")";
        }

    const PathFn camera = [](float t) { return OnCircle({0, 0, 0}, 100, -90 + 360 * t, 30); };
    const PathFn at = Fixed({5, 5, 0});
    const auto keys = FaceCamera(40, 1, camera, at);
    ASSERT_EQ(keys.size(), 41u);
    for (const auto &k : keys) {
        const float t = k.frame / 40.0f;
        EXPECT_LT(Distance(Turned(k, {0, -1, 0}), scenekit::Normalize(camera(t) - at(t))), 1e-4f)
            << "frame " << k.frame;
    }
}

TEST(KitRandom, NumbersRepeatForASeedAndStayInRange)
{
    Rng a(42), b(42), c(43);
    bool differs = false;
    for (int i = 0; i < 1000; ++i) {
        const std::uint32_t x = a.Next();
        EXPECT_EQ(x, b.Next());
        differs |= x != c.Next();
        const float u = a.Uniform();
        b.Uniform();
        EXPECT_GE(u, 0);
        EXPECT_LT(u, 1);
        const int n = a.Int(7);
        b.Int(7);
        EXPECT_GE(n, 0);
        EXPECT_LT(n, 7);
    }
    EXPECT_TRUE(differs);
    EXPECT_EQ(Rng(0).Next(), Rng(0).Next()) << "seed 0 must not stall the generator";
    EXPECT_NE(Rng(0).Next(), 0u);
}

TEST(KitShapes, BackdropsFaceInwardsAndSolidsOutwards)
{
    const Mesh sky = SkySphere("Sky", {0, 0, 0}, 100, 16, 8, "M");
    const Mesh room = Room("Room", {0, 0, 0}, {10, 20, 30}, "M");
    const Mesh ball = scenekit::Sphere("Ball", {0, 0, 0}, 100, 16, 8, "M");
    EXPECT_LT(Volume(sky), 0);
    EXPECT_NEAR(Volume(room), -6000, 1);
    EXPECT_NEAR(Volume(sky), -Volume(ball), 1e-3 * Volume(ball));
    // The sky's image reads left to right from inside: u falls as the angle grows.
    EXPECT_LT(sky.texels[1][0], sky.texels[0][0]);
    Mesh twice = ball;
    FlipFaces(twice);
    FlipFaces(twice);
    EXPECT_EQ(Volume(twice), Volume(ball));
    EXPECT_FALSE(Floor("F", {0, 0, 0}, 10, 2, 1, "M").faces.empty());
}

TEST(KitShapes, TetrahedraAreRegularAndSierpinskiKeepsHalfTheVolumeAtEachLevel)
{
    const auto corners = TetrahedronCorners(8);
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j)
            EXPECT_NEAR(Distance(corners[i], corners[j]), 8, 1e-4) << i << "-" << j;
    EXPECT_NEAR(corners[0].x, 0, 1e-5) << "the first corner on +Y";
    EXPECT_GT(corners[0].y, 0);
    const Mesh whole = Tetrahedron("T", {0, 0, 0}, 8, "M");
    EXPECT_EQ(whole.faces.size(), 4u);
    const double v0 = Volume(whole);
    EXPECT_NEAR(v0, 8 * 8 * 8 / (6 * std::sqrt(2.0)), 1e-3);
    for (int level = 1; level <= 3; ++level) {
        const Mesh m = Sierpinski("S", {0, 0, 0}, 8, level, "M");
        EXPECT_EQ(m.faces.size(), 4u << (2 * level));
        EXPECT_NEAR(Volume(m), v0 / (1 << level), 1e-3 * v0) << "level " << level;
        EXPECT_EQ(m.faces[0].material, "M");
        EXPECT_EQ(m.faces[1].material, "");
    }
}

TEST(KitShapes, CardsAndGlowsAreCentredUprightAndFaceTheirNormal)
{
    const Mesh card = Card("C", {1, 2, 3}, 4, 2, {0, -1, 0}, {0, 0, 1}, "M");
    ASSERT_EQ(card.points.size(), 4u);
    // Texel v = 1 is the top of the image: the upper edge along +Z.
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(card.texels[i][1] == 1, card.points[i].z > 3) << i;
    for (const auto &f : card.faces) EXPECT_LT(Distance(FaceNormal(card, f), {0, -1, 0}), 1e-5f);

    // A glow card on a slanted normal: every point in the card's plane, its
    // texel where the square card's image would put it, inside the image.
    const Vec3 normal = scenekit::Normalize({1, -2, 0.5f}), centre{5, 0, -2};
    const Mesh glow = GlowCard("G", centre, 10, normal, {0, 0, 1}, "M");
    ASSERT_EQ(glow.points.size(), 13u);
    ASSERT_EQ(glow.faces.size(), 12u);
    const Mesh square = Card("S", centre, 10, 10, normal, {0, 0, 1}, "M");
    const Vec3 right = (square.points[1] - square.points[0]) * 0.1f,
               top = (square.points[3] - square.points[0]) * 0.1f;
    for (size_t i = 0; i < glow.points.size(); ++i) {
        const auto t = glow.texels[i];
        const Vec3 expected = centre + right * ((t[0] - 0.5f) * 10) + top * ((t[1] - 0.5f) * 10);
        EXPECT_LT(Distance(glow.points[i], expected), 1e-4f) << i;
        EXPECT_GE(t[0], -0.02f);
        EXPECT_LE(t[0], 1.02f);
    }
    for (const auto &f : glow.faces) EXPECT_LT(Distance(FaceNormal(glow, f), normal), 1e-4f);
    EXPECT_EQ(glow.faces[0].material, "M");

    // Part of a card: each corner where the whole card shows its texel.
    const Mesh part =
        CardPart("P", centre, 10, 4, normal, {0, 0, 1}, "M", 0.25f, 1, 0.125f, 0.875f);
    const Mesh whole = Card("W", centre, 10, 4, normal, {0, 0, 1}, "M");
    const Vec3 along = whole.points[1] - whole.points[0], up = whole.points[3] - whole.points[0];
    for (size_t i = 0; i < part.points.size(); ++i) {
        const auto t = part.texels[i];
        EXPECT_LT(Distance(part.points[i], whole.points[0] + along * t[0] + up * t[1]), 1e-4f) << i;
    }
    EXPECT_FLOAT_EQ(part.texels[0][0], 0.25f);
    EXPECT_FLOAT_EQ(part.texels[2][1], 0.875f);
    for (const auto &f : part.faces) EXPECT_LT(Distance(FaceNormal(part, f), normal), 1e-4f);

    const Mesh sprite = Sprite("S", {0, 0, 0}, 2, "M");
    EXPECT_EQ(sprite.faces.size(), 6u);
    for (const Vec3 &p : sprite.points) EXPECT_LE(scenekit::Length(p), std::sqrt(2.0f) + 1e-5f);

    const Mesh neon = NeonRing("N", 20, 4, 16, "M");
    for (const Vec3 &p : neon.points) {
        const float r = scenekit::Length(p);
        EXPECT_TRUE(std::fabs(r - 18) < 1e-3f || std::fabs(r - 22) < 1e-3f) << r;
    }
    for (const auto &t : neon.texels) EXPECT_EQ(t[0], 0.5f) << "on the glow's middle column";
    for (const auto &f : neon.faces) EXPECT_LT(Distance(FaceNormal(neon, f), {0, 0, 1}), 1e-5f);
}

// Whether texel point (u, v) lies inside one of the mesh's faces, by texels.
bool CoversTexel(const Mesh &m, float u, float v)
{
    for (const auto &f : m.faces) {
        const auto a = m.texels[f.points[0]], b = m.texels[f.points[1]], c = m.texels[f.points[2]];
        auto side = [&](std::array<float, 2> p, std::array<float, 2> q) {
            return (q[0] - p[0]) * (v - p[1]) - (q[1] - p[1]) * (u - p[0]);
        };
        if (side(a, b) >= 0 && side(b, c) >= 0 && side(c, a) >= 0) return true;
    }
    return false;
}

TEST(KitShapes, GlowBandsCoverTheirRingOfTheImageAndNothingElse)
{
    const Vec3 normal = scenekit::Normalize({-1, 2, 1}), centre{3, -1, 4};
    const Mesh square = Card("S", centre, 8, 8, normal, {0, 0, 1}, "M");
    const Vec3 right = (square.points[1] - square.points[0]) * 0.125f,
               top = (square.points[3] - square.points[0]) * 0.125f;
    const float corner = 1 / std::cos(kPi / 24);  // how far past a circle a 24-gon's corners reach
    for (float inner : {0.0f, 0.6f}) {
        const Mesh band = GlowBand("B", centre, 8, normal, {0, 0, 1}, inner, 0.85f, 24, "M");
        EXPECT_EQ(band.faces.size(), inner > 0 ? 48u : 24u);
        EXPECT_EQ(band.faces[0].material, "M");
        for (size_t i = 0; i < band.points.size(); ++i) {
            const auto t = band.texels[i];
            const Vec3 expected = centre + right * ((t[0] - 0.5f) * 8) + top * ((t[1] - 0.5f) * 8);
            EXPECT_LT(Distance(band.points[i], expected), 1e-4f)
                << "texel off the square card's image at " << i;
        }
        // Faces seen from the normal's side: counter-clockwise in the image.
        for (const auto &f : band.faces) EXPECT_LT(Distance(FaceNormal(band, f), normal), 1e-4f);
        int covered = 0, ring = 0;
        for (float u = 0.0025f; u < 1; u += 0.005f) {
            for (float v = 0.0025f; v < 1; v += 0.005f) {
                const float r = 2 * std::hypot(u - 0.5f, v - 0.5f);  // in half edges
                const bool in = CoversTexel(band, u, v);
                covered += in;
                if (r >= inner && r <= 0.85f) {
                    ++ring;
                    EXPECT_TRUE(in)
                        << "ring texel left out at " << u << ", " << v << " (" << inner << ")";
                }
                if (r < inner / corner - 1e-3f || r > 0.85f * corner + 1e-3f) {
                    EXPECT_FALSE(in)
                        << "texel beyond the ring at " << u << ", " << v << " (" << inner << ")";
                }
            }
        }
        EXPECT_LT(covered, ring * 1.03) << "a band hardly larger than its ring";
    }
}

// The player leaves sphere mapping on after a reflective face until the mesh
// ends and binds each image once: the twin must show the same image drawn the
// same way, and the last face must turn the mapping off again.
TEST(KitShapes, SharedSphereMappingStartsAndEndsOnTheReflectiveMaterial)
{
    scenekit::Material glass = scenekit::Material::Reflective("Glass", "env.png");
    glass.transparency = 0.6f;
    const scenekit::Material twin = SphereMapTwin(glass);
    EXPECT_NE(twin.name, glass.name);
    EXPECT_EQ(twin.texture, "env.png");
    EXPECT_EQ(twin.reflection, "")
        << "a reflective twin would turn the mapping on at every face again";
    EXPECT_EQ(twin.transparency, glass.transparency) << "drawn additively like the original";

    // A mesh alone opens and closes the mapping; in a run of meshes the first
    // opens it, the last closes it.
    for (int run : {0, 1, 2, 3}) {
        const bool opens = run == 0 || run == 1, closes = run == 0 || run == 3;
        Mesh ball = scenekit::Sphere("Ball", {0, 0, 0}, 5, 8, 4, "Glass");
        ShareSphereMapping(ball, glass, opens, closes);
        // Each face's material as the player takes it: "" keeps the one before.
        std::string current;
        for (size_t i = 0; i < ball.faces.size(); ++i) {
            if (!ball.faces[i].material.empty()) current = ball.faces[i].material;
            const bool reflects = (i == 0 && opens) || (i + 1 == ball.faces.size() && closes);
            EXPECT_EQ(current, reflects ? glass.name : twin.name)
                << "face " << i << " in run " << run;
        }
    }
}

TEST(KitShapes, TunnelsAreSeenFromInside)
{
    const CurveFn bend = [](float s) { return Vec3{30 * std::sin(3 * s), 400 * s, 10 * s}; };
    for (float s : {0.1f, 0.5f, 0.9f}) {
        const TubeFrame f = FrameAt(bend, s);
        EXPECT_NEAR(scenekit::Length(f.along), 1, 1e-5);
        EXPECT_NEAR(scenekit::Dot(f.along, f.side), 0, 1e-5);
        EXPECT_NEAR(scenekit::Dot(f.along, f.up), 0, 1e-5);
        EXPECT_NEAR(f.side.z, 0, 1e-5) << "the cross-section stays level";
        EXPECT_GT(f.up.z, 0);
    }
    const CurveFn straight = [](float s) { return Vec3{0, 400 * s, 0}; };
    const Mesh tube = RibbedTube("T", straight, 20, 15, 8, 4, 3, 10,
                                 [](int band) { return band % 2 ? "A" : "B"; });
    EXPECT_EQ(tube.faces.size(), 4u * 2 * 8 * 2);
    for (const auto &f : tube.faces) {
        const Vec3 a = tube.points[f.points[0]];
        EXPECT_GT(scenekit::Dot(FaceNormal(tube, f), Vec3{0, a.y, 0} - a), 0)
            << "a face looks away from the axis";
    }
    EXPECT_EQ(tube.faces[0].material, "B");
    EXPECT_EQ(tube.faces[32].material, "A") << "the second band";
}

}  // namespace
