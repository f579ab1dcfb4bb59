// The neon tunnel (8 s): a corkscrew dive down a twisting hexagonal neon tunnel.
// Magenta and cyan rings flash on the beat as the camera shoots through
// them, sparks stream past, chrome hoops spin, and the tunnel ends in a
// white-out.
#include <cmath>

#include "kit/kit.h"
#include "scenes.h"

namespace scenes {

using namespace kit;

namespace {

constexpr float kRadius = 60;
constexpr float kInnerRadius = 42;
constexpr float kLength = 2000;
constexpr int kBands = 48;

Vec3 Centre(float s)
{
    const float a = 2 * kPi * s * 1.25f;
    return {90 * std::sin(a), s * kLength, 55 * std::sin(a + kPi / 2) - 55};
}

// Slow start, then the dive: the camera covers most of the tunnel in the last bars.
float CameraS(float t)
{
    return Lerp(0.02f, 0.86f, 0.25f * t + 0.75f * EaseIn(t));
}

// Neon rings, one every third band, flashing on alternate beats.
void AddRings(Scene &scene)
{
    for (int i = 0; i < 15; i++) {
        const float s = (3.0f * i + 2) / kBands;
        const bool magenta = i % 2 == 0;
        auto ring = NeonRing("zNeon" + std::to_string(i), kInnerRadius - 6, 7, 24,
                             magenta ? "NeonMagenta" : "NeonBlue");
        Motion place;
        place.position = {{0, Centre(s)}};
        place.rotation = {TurnOnto(0, {0, 0, 1}, Tangent(Centre, s))};
        place.scale = SampleScale(kSlot8, 1, [magenta](float t) {
            const float frame = t * kSlot8 + (magenta ? 0 : kBeat);
            return 0.9f + 0.18f * BeatPulse(frame, 2 * kBeat);
        });
        scene.AddObject(ring, place);
    }
}

// Chrome hoops with spokes, turning inside the tunnel between the rings.
void AddHoops(Scene &scene)
{
    for (int i = 0; i < 5; i++) {
        const float s = (9.0f * i + 6.5f) / kBands;
        Motion mount;
        mount.position = {{0, Centre(s)}};
        mount.rotation = {TurnOnto(0, {0, 0, 1}, Tangent(Centre, s))};
        const int base = scene.AddDummy(mount);
        auto hoop = scenekit::Torus("Hoop" + std::to_string(i), {0, 0, 0}, kInnerRadius - 4, 2, 24,
                                    5, "Chrome");
        for (int k = 0; k < 6; k++) {
            auto spike = scenekit::Cone("s", {0, 0, 0}, 2.5f, 12, 6, "Chrome");
            spike.Transform(scenekit::Rotation({0, 0, 1}, 60.0f * k) *
                            scenekit::Translation({kInnerRadius - 10, 0, 0}) *
                            scenekit::Rotation({0, 1, 0}, -90));
            hoop.Append(spike);
        }
        hoop.SetMaterial("Chrome");
        ClearTexels(hoop);  // chrome takes generated coordinates
        scene.AddObject(hoop, Motion::Spin({0, 0, 0}, {0, 0, 1}, 0, kSlot8, i % 2 ? 360 : -360),
                        base);
    }
}

// Sparks racing towards the camera along the tunnel, each on its own line.
void AddSparks(Scene &scene)
{
    Rng rng(72);
    for (int i = 0; i < 14; i++) {
        const float offset = rng.Range(0, 1);
        const float angle = rng.Range(0, 360);
        const float r = rng.Range(12, kInnerRadius - 10);
        auto spark = Card("zSpark" + std::to_string(i), {0, 0, 0}, 16, 16, {0, 0, 1}, {0, 1, 0},
                          i % 3 ? "Spark" : "SparkHot");
        Motion fly;
        fly.position = SamplePath(kSlot8, 4, [=](float t) {
            // Each spark loops down the tunnel ahead of the camera, twice per slot.
            const float phase = std::fmod(offset + 2 * t, 1.0f);
            const float s = std::fmin(CameraS(t) + 0.25f * (1 - phase), 0.99f);
            const TubeFrame frame = FrameAt(Centre, s);
            const float a = angle * kPi / 180;
            return Centre(s) + frame.side * (r * std::cos(a)) + frame.up * (r * std::sin(a));
        });
        fly.rotation = {TurnOnto(0, {0, 0, 1}, {0, 1, 0})};
        scene.AddObject(spark, fly);
    }
}

}  // namespace

Scene BuildNeonTunnel()
{
    Scene scene;
    scene.AddMaterial(Material::Textured("NeonWall", "grid.png"));
    scene.AddMaterial(Material::Textured("HexWall", "hexgrid.png"));
    scene.AddMaterial(Material::Reflective("Chrome", "neon_env.png"));
    scene.AddMaterial(Material::Glow("NeonMagenta", "glow_magenta.png"));
    scene.AddMaterial(Material::Glow("NeonBlue", "beam.png"));
    scene.AddMaterial(Material::Glow("Spark", "glow_blue.png"));
    scene.AddMaterial(Material::Glow("SparkHot", "glow_magenta.png"));
    scene.AddMaterial(Material::Glow("WhiteOut", "glow_white.png"));

    scene.AddObject(
        RibbedTube("Tunnel", Centre, kRadius, kInnerRadius, 6, kBands, 3, 10,
                   [](int band) { return std::string(band % 4 == 3 ? "HexWall" : "NeonWall"); }));
    AddRings(scene);
    AddHoops(scene);
    AddSparks(scene);
    // The exit: a light that swells over the last bar until it fills the view.
    auto exit =
        Card("zzExit", {0, 0, 0}, 4 * kRadius, 4 * kRadius, {0, 0, 1}, {0, 1, 0}, "WhiteOut");
    Motion glare;
    glare.position = {{0, Centre(0.97f)}};
    glare.rotation = {TurnOnto(0, {0, 0, 1}, -Tangent(Centre, 0.97f))};
    glare.scale = SampleScale(
        kSlot8, 4, [](float t) { return 0.4f + 2.6f * EaseIn(Clamp01((t - 0.6f) / 0.4f)); });
    scene.AddObject(exit, glare);

    AddShowCamera(
        scene, kSlot8, 2, [](float t) { return Centre(CameraS(t)); },
        [](float t) { return Centre(CameraS(t) + 0.06f); }, 65);
    scene.SetFrames(kSlot8);
    return scene;
}

}  // namespace scenes
