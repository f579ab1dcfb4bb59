// The colonnade (8 s): a marble colonnade raises itself pair by pair on the beat
// as the camera walks down it towards a chrome pillar circled by a turning
// ring of green columns; the beams drop onto the rows and the camera rises
// to circle the pillar. White and green marble, flagstones, open sky.
#include <cmath>

#include "kit/kit.h"
#include "scenes.h"

namespace scenes {

using namespace kit;

namespace {

constexpr int kPairs = 7;
constexpr float kRowX = 75;
constexpr float kFirstY = -200, kStepY = 80;
constexpr float kShaft = 150;  // height of a column's shaft
const Vec3 kPillar{0, 520, 0};

// Base, shaft and capital, standing on z = 0 at `foot`.
Mesh Column(const std::string &name, Vec3 foot, float radius, float shaft, const std::string &stone,
            const std::string &base, const std::string &capital)
{
    Mesh column = scenekit::Box(name, foot + Vec3{0, 0, 5}, {radius * 3, radius * 3, 10}, base);
    column.Append(
        scenekit::Cylinder("s", foot + Vec3{0, 0, 10 + shaft / 2}, radius, shaft, 14, stone));
    column.Append(scenekit::Box("c", foot + Vec3{0, 0, 15 + shaft},
                                {radius * 3.2f, radius * 3.2f, 10}, capital));
    return column;
}

// A flash on a capital as its column lands on `frame`.
void AddLandingFlash(Scene &scene, const std::string &name, Vec3 at, int frame)
{
    Motion flash;
    flash.position = {{0, at}};
    flash.scale = Flash(frame, frame + 2, frame + 9, 1.3f);
    scene.AddObject(Card(name, {0, 0, 0}, 70, 70, {0, -1, 0.2f}, {0, 0, 1}, "Flash"), flash);
}

// Each pair rises out of the floor on its beat, overshooting a little.
void AddColonnade(Scene &scene)
{
    for (int k = 0; k < kPairs; k++) {
        const int beat = k * kBeat;
        for (int side = 0; side < 2; side++) {
            const Vec3 foot{side ? kRowX : -kRowX, kFirstY + k * kStepY, 0};
            const std::string name = "Column" + std::to_string(k) + (side ? "R" : "L");
            Motion rise;
            rise.pivot = foot;
            const float depth = -(kShaft + 30);
            if (k == 0)
                rise.position = {{0, foot}};
            else
                rise.position = {{0, foot + Vec3{0, 0, depth}},
                                 {beat, foot + Vec3{0, 0, depth}},
                                 {beat + 3, foot + Vec3{0, 0, 6}},
                                 {beat + 5, foot}};
            const bool green = (k + side) % 2 == 1;
            scene.AddObject(Column(name, foot, 10, kShaft, green ? "GreenMarble" : "Marble",
                                   "GreenMarble", green ? "Marble" : "GreenMarble"),
                            rise);
            AddLandingFlash(scene, "zFlash" + std::to_string(k) + (side ? "R" : "L"),
                            foot + Vec3{0, -8, kShaft + 26}, k == 0 ? 1 : beat + 3);
        }
    }
    // The beams drop onto the capitals once the last pair is up.
    for (int side = 0; side < 2; side++) {
        const float x = side ? kRowX : -kRowX;
        const float length = (kPairs - 1) * kStepY + 40;
        const Vec3 centre{x, kFirstY + (kPairs - 1) * kStepY / 2, kShaft + 28};
        Mesh beam = scenekit::Box(side ? "BeamR" : "BeamL", centre, {34, length, 16}, "Marble");
        Motion drop;
        drop.pivot = centre;
        const int at = kPairs * kBeat + 2;
        drop.position = {{0, centre + Vec3{0, 0, 400}},
                         {at, centre + Vec3{0, 0, 400}},
                         {at + 6, centre + Vec3{0, 0, -3}},
                         {at + 8, centre}};
        scene.AddObject(beam, drop);
    }
}

// The chrome pillar and the ring of green columns turning round it.
void AddMonument(Scene &scene)
{
    scene.AddObject(scenekit::Cylinder("Plinth", kPillar + Vec3{0, 0, 6}, 70, 12, 24, "Stone"));
    Mesh pillar = scenekit::Cylinder("Pillar", kPillar + Vec3{0, 0, 100}, 16, 180, 20, "Chrome");
    pillar.Append(scenekit::Sphere("Orb", kPillar + Vec3{0, 0, 215}, 26, 16, 10, "Chrome"));
    pillar.SetMaterial("Chrome");
    ClearTexels(pillar);  // sphere-mapped: no texture coordinates needed
    scene.AddObject(pillar);
    Motion throb = Motion::Still(kPillar + Vec3{0, 0, 215});
    throb.scale =
        SampleScale(kSlot8, 1, [](float t) { return 0.9f + 0.5f * BeatPulse(t * kSlot8); });
    // Three crossed cards: a glow from every side the camera takes.
    scene.AddObject(Sprite("zOrbGlow", {0, 0, 0}, 150, "OrbGlow"), throb);

    const int ring =
        scene.AddDummy(Motion::Spin(kPillar + Vec3{0, 0, 12}, {0, 0, 1}, 0, kSlot8, 90));
    const auto spots = Ring(8, {0, 0, 0}, 52, 22.5f);
    for (size_t i = 0; i < spots.size(); i++) {
        Motion bob;
        bob.pivot = {0, 0, 0};
        // Alternate columns bob up and down on the bar.
        const float phase = i % 2 ? 0 : 0.5f;
        bob.position = SamplePath(kSlot8, kBeat, [=](float t) {
            return spots[i] + Vec3{0, 0, 12 + 12 * std::sin(2 * kPi * (t * 4 + phase))};
        });
        scene.AddObject(
            Column("Ring" + std::to_string(i), {0, 0, 0}, 5, 60, "GreenMarble", "Marble", "Marble"),
            bob, ring);
    }
}

}  // namespace

Scene BuildColonnade()
{
    Scene scene;
    scene.AddMaterial(Material::Textured("Marble", "marble.png"));
    scene.AddMaterial(Material::Textured("GreenMarble", "marble_green.jpg"));
    scene.AddMaterial(Material::Textured("Stone", "stone.png"));
    scene.AddMaterial(Material::Textured("Floor", "checker.png"));
    scene.AddMaterial(Material::Textured("Sky", "sky.png"));
    scene.AddMaterial(Material::Reflective("Chrome", "gold_env.png"));
    scene.AddMaterial(Material::Glow("Flash", "sparkle.png"));
    scene.AddMaterial(Material::Glow("OrbGlow", "glow_orange.png"));

    // The sky image covers the upper half; below the horizon it keeps the horizon row.
    Mesh sky = SkySphere("Sky", {0, 150, 0}, 2500, 24, 12, "Sky");
    for (auto &t : sky.texels) t = {t[0] * 2, std::fmax(0.01f, (t[1] - 0.5f) * 2.2f)};
    scene.AddObject(sky);
    scene.AddObject(Floor("Floor", {0, 150, 0}, 1800, 8, 9, "Floor"));
    AddColonnade(scene);
    AddMonument(scene);

    // Down the aisle under the beams, out past the last pair, then a crane
    // round the pillar. The aisle is low, so the camera looks well down onto
    // the flagstones for the head light to catch them.
    const PathFn eye = Spline({{0, -440, 120},
                               {0, -200, 112},
                               {0, 80, 118},
                               {0, 290, 175},
                               {-230, 390, 260},
                               {-310, 620, 285},
                               {-150, 810, 285}});
    const PathFn look = Spline({{0, -120, 0},
                                {0, 150, 10},
                                {0, 420, 60},
                                {0, 520, 100},
                                {0, 520, 115},
                                {0, 520, 115},
                                {0, 520, 115}});
    AddShowCamera(
        scene, kSlot8, 2, [eye](float t) { return eye(EaseInOut(t)); },
        [look](float t) { return look(EaseInOut(t)); }, 55);
    scene.SetFrames(kSlot8);
    return scene;
}

}  // namespace scenes
