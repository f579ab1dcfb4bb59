// The service tunnel (8 s): a flight down a winding tunnel of bolted panels
// and rusted bands, orange lamps along the ceiling, flare rings and spinning
// steel gates to pass through, and a furnace glow at the far end.
#include <cmath>

#include "kit/kit.h"
#include "scenes.h"

namespace scenes {

using namespace kit;

namespace {

constexpr float kRadius = 50;       // at the lips of the bands
constexpr float kInnerRadius = 35;  // where each band is narrowest
constexpr float kLength = 1800;
constexpr float kStartS = 0.03f;  // the camera's stretch of the tunnel
constexpr float kEndS = 0.74f;
constexpr float kLookAheadS = 0.05f;

Vec3 Centre(float s)
{
    const float a = 2 * kPi * s;
    return {110 * std::sin(a * 1.5f), s * kLength, 40 * std::sin(a * 2.0f + 0.6f)};
}

// The camera rides a little above the axis and eases in and out of its run.
float CameraS(float t)
{
    return Lerp(kStartS, kEndS, 0.15f * t + 0.85f * EaseInOut(t));
}

void AddGates(Scene &scene)
{
    const float gates[] = {0.18f, 0.36f, 0.54f, 0.72f};
    for (int g = 0; g < 4; g++) {
        const float s = gates[g];
        Motion mount;
        mount.position = {{0, Centre(s)}};
        mount.rotation = {TurnOnto(0, {0, 0, 1}, Tangent(Centre, s))};
        const int base = scene.AddDummy(mount);
        const std::string id = std::to_string(g);
        auto ring =
            scenekit::Torus("Gate" + id, {0, 0, 0}, kInnerRadius - 5, 2.5f, 20, 5, "GateSteel");
        for (int k = 0; k < 4; k++) {
            auto tooth = scenekit::Box("t", {0, 0, 0}, {7, 4, 4}, "GateSteel");
            tooth.Transform(scenekit::Rotation({0, 0, 1}, 90.0f * k + 45) *
                            scenekit::Translation({kInnerRadius - 9, 0, 0}));
            ring.Append(tooth);
        }
        ring.SetMaterial("GateSteel");
        scene.AddObject(ring, Motion::Spin({0, 0, 0}, {0, 0, 1}, 0, kSlot8, g % 2 ? 270 : -270),
                        base);
    }
}

// Glows: ceiling lamps, flare rings round the wall, the furnace at the end.
void AddGlows(Scene &scene)
{
    for (int i = 0; i < 22; i++) {
        const float s = 0.02f + i * 0.04f;
        const TubeFrame frame = FrameAt(Centre, s);
        auto lamp = GlowCard("zLamp" + std::to_string(i), {0, 0, 0}, 26, -frame.along, {0, 0, 1},
                             "LampGlow");
        lamp.Transform(scenekit::Translation(Centre(s) + frame.up * (kInnerRadius - 4)));
        scene.AddObject(lamp);
    }
    for (int i = 0; i < 5; i++) {
        const float s = 0.13f + i * 0.15f;
        auto ring = GlowCard("zRing" + std::to_string(i), {0, 0, 0}, 1.8f * kInnerRadius, {0, 0, 1},
                             {0, 1, 0}, "RingGlow");
        Motion place;
        place.position = {{0, Centre(s)}};
        // Each ring flashes on the beat it is passed in.
        place.rotation = {TurnOnto(0, {0, 0, 1}, Tangent(Centre, s))};
        place.scale = SampleScale(kSlot8, kBeat,
                                  [i](float t) { return 0.85f + 0.15f * ((int(t * 16) + i) % 2); });
        scene.AddObject(ring, place);
    }
    auto furnace =
        GlowCard("zFurnace", {0, 0, 0}, 3 * kRadius, -Tangent(Centre, 0.97f), {0, 0, 1}, "Furnace");
    furnace.Transform(scenekit::Translation(Centre(0.97f)));
    scene.AddObject(furnace);
}

}  // namespace

Scene BuildServiceTunnel()
{
    Scene scene;
    scene.AddMaterial(Material::Textured("Panels", "tunnel_panel.png"));
    scene.AddMaterial(Material::Textured("Rust", "rust.png"));
    scene.AddMaterial(Material::Textured("Hull", "tech_panel.png"));
    scene.AddMaterial(Material::Reflective("GateSteel", "fire_env.png"));
    scene.AddMaterial(Material::Glow("LampGlow", "glow_orange.png"));
    scene.AddMaterial(Material::Glow("RingGlow", "flare_ring.png"));
    scene.AddMaterial(Material::Glow("Furnace", "glow_orange.png"));

    // Runs of panelled bands broken by a rusted one and a hull-plated one.
    scene.AddObject(RibbedTube("Tunnel", Centre, kRadius, kInnerRadius, 14, 60, 2, 0, [](int band) {
        const int k = band % 6;
        return std::string(k < 4 ? "Panels" : k < 5 ? "Rust" : "Hull");
    }));
    AddGates(scene);
    AddGlows(scene);

    AddShowCamera(
        scene, kSlot8, 2,
        [](float t) {
            return Centre(CameraS(t)) + Vec3{0, 0, 6};
        },
        [](float t) {
            return Centre(CameraS(t) + kLookAheadS) + Vec3{0, 0, 4};
        },
        60);
    scene.SetFrames(kSlot8);
    return scene;
}

}  // namespace scenes
