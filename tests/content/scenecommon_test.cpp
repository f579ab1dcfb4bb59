// The shared scene helpers: key sampling, paths, the random generator, and
// the shapes the scenes are built from.
#include <gtest/gtest.h>

#include <cmath>

#include "scenecommon.h"
#include "showlocal.h"

namespace {

using namespace scenecommon;
using scenekit::Mesh;

float Distance(Vec3 a, Vec3 b) { return scenekit::Length(a - b); }

// Signed volume enclosed by a mesh's faces: > 0 when they face outwards.
double Volume(const Mesh& m) {
    double v = 0;
    for (const auto& f : m.faces) {
        const Vec3 a = m.points[f.points[0]], b = m.points[f.points[1]], c = m.points[f.points[2]];
        v += scenekit::Dot(a, scenekit::Cross(b, c)) / 6.0;
    }
    return v;
}

TEST(SceneCommon, SampledKeysRunFromZeroToTheLastFrameThroughThePath) {
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
    EXPECT_EQ(SampleScale(0, 5, [](float) { return 2.0f; }).size(), 1u) << "a still scene keeps a key";
}

TEST(SceneCommon, PathsPassTheirPointsAndKeepTheirShape) {
    const std::vector<Vec3> points = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 5}};
    const PathFn spline = Spline(points);
    for (size_t i = 0; i < points.size(); ++i)
        EXPECT_LT(Distance(spline(float(i) / (points.size() - 1)), points[i]), 1e-4f) << "point " << i;
    EXPECT_LT(Distance(spline(-1), points.front()), 1e-4f);
    EXPECT_LT(Distance(spline(2), points.back()), 1e-4f);

    const PathFn orbit = Orbit({1, 2, 3}, 50, 10, 0, 180);
    for (float t : {0.0f, 0.3f, 1.0f}) {
        const Vec3 p = orbit(t);
        EXPECT_NEAR(std::hypot(p.x - 1, p.y - 2), 50, 1e-3) << t;
        EXPECT_FLOAT_EQ(p.z, 13);
    }
    EXPECT_LT(Distance(orbit(1), {-49, 2, 13}), 1e-3f);
    EXPECT_LT(Distance(Dolly({0, 0, 0}, {4, 0, 0}, EaseInOut)(0.5f), {2, 0, 0}), 1e-5f);
}

TEST(SceneCommon, EasingAndBeatPulsesStayInRangeAndHitTheirEnds) {
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

TEST(SceneCommon, RandomNumbersRepeatForASeedAndStayInRange) {
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

TEST(SceneCommon, BackdropsFaceInwardsAndSolidsOutwards) {
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

TEST(SceneCommon, SierpinskiKeepsHalfTheVolumeAtEachLevel) {
    const double whole = scenes1::Tetrahedron("T", {0, 0, 0}, 8, "M").faces.size();
    EXPECT_EQ(whole, 4);
    const double v0 = Volume(scenes1::Tetrahedron("T", {0, 0, 0}, 8, "M"));
    EXPECT_NEAR(v0, 8 * 8 * 8 / (6 * std::sqrt(2.0)), 1e-3);
    for (int level = 1; level <= 3; ++level) {
        const Mesh m = scenes1::Sierpinski("S", {0, 0, 0}, 8, level, "M");
        EXPECT_EQ(m.faces.size(), 4u << (2 * level));
        EXPECT_NEAR(Volume(m), v0 / (1 << level), 1e-3 * v0) << "level " << level;
        EXPECT_EQ(m.faces[0].material, "M");
        EXPECT_EQ(m.faces[1].material, "");
    }
}

TEST(SceneCommon, FacingKeysTurnACardTowardsTheCamera) {
    const PathFn camera = Orbit({0, 0, 0}, 100, 30, -90, 270);
    const PathFn at = Fixed({5, 5, 0});
    const auto keys = scenes1::FaceCamera(40, 1, camera, at);
    ASSERT_EQ(keys.size(), 41u);
    for (const auto& k : keys) {
        const float t = k.frame / 40.0f;
        const Vec3 normal = scenekit::TransformPoint(scenekit::Rotation(k.axis, k.angleDeg), {0, -1, 0});
        EXPECT_LT(Distance(normal, scenekit::Normalize(camera(t) - at(t))), 1e-4f) << "frame " << k.frame;
    }
}

TEST(SceneCommon, SpritesAndCardsAreCentredAndUpright) {
    const Mesh card = scenes1::Card("C", {1, 2, 3}, 4, 2, {0, -1, 0}, {0, 0, 1}, "M");
    ASSERT_EQ(card.points.size(), 4u);
    // Texel v = 1 is the top of the image: the upper edge along +Z.
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(card.texels[i][1] == 1, card.points[i].z > 3) << i;
    const Vec3 n = scenekit::Cross(card.points[1] - card.points[0], card.points[2] - card.points[0]);
    EXPECT_LT(n.y, 0) << "seen from -Y";
    const Mesh sprite = scenes1::Sprite("S", {0, 0, 0}, 2, "M");
    EXPECT_EQ(sprite.faces.size(), 6u);
    for (const Vec3& p : sprite.points) EXPECT_LE(scenekit::Length(p), std::sqrt(2.0f) + 1e-5f);
}

}  // namespace
