// The capsules (8 s): a twisted ladder of pills builds up from the floor on
// the beat while a ring of small pills tumbles round it; the camera climbs
// a spiral from the base to above the top. Candy pink, mint and chrome in a
// caustic-lit pool.
#include <cmath>

#include "kit/kit.h"
#include "scenes.h"

namespace scenes {

using namespace kit;

namespace {

constexpr int kRungs = 16;
constexpr float kRungStep = 12.5f;  // height between rungs
constexpr float kTwistDeg = 22.5f;  // turn from one rung to the next

// Pops to full size at `frame`: overshoots a beat later, settles the beat after.
std::vector<Vec3Key> PopIn(int frame)
{
    auto s = [](float v) { return Vec3{v, v, v}; };
    if (frame <= 0) return {{0, s(1)}};
    std::vector<Vec3Key> keys{{0, s(kHidden)}, {frame, s(kHidden)}};
    keys.push_back({frame + 3, s(1.25f)});
    keys.push_back({frame + 6, s(1.0f)});
    return keys;
}

void AddLadder(Scene &scene)
{
    const int spin = scene.AddDummy(Motion::Spin({0, 0, 0}, {0, 0, 1}, 0, kSlot8, 240));
    for (int k = 0; k < kRungs; k++) {
        const Vec3 centre{0, 0, 10 + k * kRungStep};
        const float turn = k * kTwistDeg;
        auto rung = scenekit::Capsule("Rung" + std::to_string(k), {0, 0, 0}, 5, 40, 10, 2,
                                      k % 2 ? "PillChrome" : "PillCandy");
        rung.Transform(scenekit::Translation(centre) * scenekit::Rotation({0, 0, 1}, turn) *
                       scenekit::Rotation({0, 1, 0}, 90));
        Motion pop;
        pop.pivot = centre;
        pop.position = {{0, centre}};
        pop.scale = PopIn(k * 5 / 2 - 4);
        scene.AddObject(rung, pop, spin);
        // The two strands: a bead at each end of the rung.
        for (int end = 0; end < 2; end++) {
            const Vec3 bead = OnCircle(centre, 31, turn + end * 180);
            auto ball = scenekit::Sphere("Bead" + std::to_string(k) + (end ? "b" : "a"), bead, 6.5f,
                                         8, 4, "BeadGold");
            Motion beadPop;
            beadPop.pivot = bead;
            beadPop.position = {{0, bead}};
            beadPop.scale = PopIn(k * 5 / 2 - 3);
            scene.AddObject(ball, beadPop, spin);
        }
    }
}

// Small pills tumbling on a wider ring that turns the other way.
void AddSwarm(Scene &scene)
{
    const int ring = scene.AddDummy(Motion::Spin({0, 0, 95}, {0, 0, 1}, 0, kSlot8, -180));
    Rng rng(56);
    const auto spots = Ring(12, {0, 0, 0}, 75, 15);
    for (size_t i = 0; i < spots.size(); i++) {
        const Vec3 at = spots[i] + Vec3{0, 0, rng.Range(-70, 70)};
        auto pill = scenekit::Capsule("Pill" + std::to_string(i), {0, 0, 0}, 4, 10, 8, 2,
                                      i % 3 == 0 ? "PillChrome" : "PillCandy");
        const Vec3 axis = Normalize(rng.InBox({-1, -1, -1}, {1, 1, 1}) + Vec3{0, 0, 0.3f});
        Motion tumble = Motion::Spin(at, axis, 0, kSlot8, i % 2 ? 540 : -540);
        scene.AddObject(pill, tumble, ring);
    }
}

}  // namespace

Scene BuildCapsules()
{
    Scene scene;
    scene.AddMaterial(Material::Textured("PillCandy", "stripes.png"));
    scene.AddMaterial(Material::Reflective("PillChrome", "studio_env.png"));
    scene.AddMaterial(Material::Reflective("BeadGold", "gold_env.png"));
    scene.AddMaterial(Material::Textured("Pool", "caustics.png"));
    scene.AddMaterial(Material::Glow("Shine", "glow_white.png"));

    auto pool = SkySphere("ZPool", {0, 0, 100}, 420, 24, 12, "Pool");
    RepeatTexels(pool, 4, 2);
    scene.AddObject(pool);
    // A shallow bowl rather than a flat floor: its sides lean towards the
    // low camera, so the head light catches them.
    auto floor = Floor("PoolFloor", {0, 0, -5}, 800, 12, 12, "Pool");
    for (auto &p : floor.points) p.z += 160 * (p.x * p.x + p.y * p.y) / (400 * 400);
    scene.AddObject(floor);
    AddLadder(scene);
    AddSwarm(scene);
    // Light from above the top of the ladder, pulsing with the beat.
    auto shine = Card("zShine", {0, 0, 0}, 160, 160, {0, -1, 0.4f}, {0, 0, 1}, "Shine");
    Motion pulse;
    pulse.pivot = {0, 0, 0};
    pulse.position = {{0, {0, 0, 215}}};
    pulse.scale = SampleScale(kSlot8, 1, [](float t) {
        const float s = 0.6f + 0.6f * BeatPulse(t * kSlot8, kBeat);
        return s * EaseIn(Clamp01(t * 2));
    });
    scene.AddObject(shine, pulse);

    AddShowCamera(
        scene, kSlot8, 2,
        [](float t) {
            const float e = EaseInOut(t);
            return OnCircle({0, 0, 0}, Lerp(175, 140, e), Lerp(-70, 150, e), Lerp(48, 290, e));
        },
        [](float t) {
            return Vec3{0, 0, Lerp(60, 170, EaseInOut(t))};
        },
        50);
    scene.SetFrames(kSlot8);
    return scene;
}

}  // namespace scenes
