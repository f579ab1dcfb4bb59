// The equaliser (8 s). A ten by ten field of blocks in a brick hall bounces
// like a graphic equaliser: a ripple runs out from the middle on every beat,
// a bigger one on every bar. Chrome cubes tumble above it while the camera
// cranes up from the floor to look down over the field.
// Palette: gold, glowing lava, green marble, rust and oak; brick and flagstones.
#include <cmath>

#include "kit/kit.h"
#include "scenes.h"

namespace scenes {

using namespace kit;

namespace {

// Height factor of a block `dist` from the middle at `frame`: every beat a
// ring of height runs outwards, bars send the strongest.
float Ripple(float dist, float frame)
{
    float h = 0.25f;
    for (int beat = -4; beat * kBeat <= frame; ++beat) {
        const float age = frame - beat * kBeat;
        const float front = age * 28;  // units per frame
        const float strength = (beat % 4 == 0) ? 2.2f : 1.1f;
        const float d = (dist - front) / 50;
        h += strength * std::exp(-d * d) * std::exp(-age / 14);
    }
    return h;
}

}  // namespace

Scene BuildEqualiser()
{
    const int frames = kSlot8;
    Scene scene;
    scene.AddMaterial(Material::Textured("Brick", "brick.png"));
    scene.AddMaterial(Material::Textured("Flagstones", "stone.png"));
    scene.AddMaterial(Material::Textured("Oak", "wood.png"));
    scene.AddMaterial(Material::Textured("Lava", "lava.png"));
    scene.AddMaterial(Material::Textured("Green marble", "marble_green.jpg"));
    scene.AddMaterial(Material::Textured("Rust", "rust.png"));
    scene.AddMaterial(Material::Reflective("Chrome", "gold_env.png"));

    Mesh hall = Room("Hall", {0, 0, 300}, {1600, 1600, 800}, "Brick");  // its floor hides 100 below
    RepeatTexels(hall, 10, 5);
    scene.AddObject(hall);
    scene.AddObject(Floor("Floor", {0, 0, 0}, 1600, 8, 8, "Flagstones"));

    // The field: blocks stand on their base (pivot at the floor) and scale up.
    const char *skins[] = {"Chrome", "Lava", "Green marble", "Rust", "Oak"};
    const float cell = 46;
    int n = 0;
    for (int j = 0; j < 10; ++j)
        for (int i = 0; i < 10; ++i) {
            const Vec3 at{(i - 4.5f) * cell, (j - 4.5f) * cell, 0};
            const float dist = scenekit::Length(at);
            const int ring = std::min(4, static_cast<int>(dist / 60));
            const std::string name = "Block " + std::to_string(n++);
            Mesh block = scenekit::Box(name, {0, 0, 50}, {40, 40, 100}, skins[ring]);
            if (ring == 0) ClearTexels(block);
            Motion m = Motion::Still(at);
            m.scale = SampleFrames(frames, 1, [&](float f) { return Vec3{1, 1, Ripple(dist, f)}; });
            scene.AddObject(block, m);
        }

    // Chrome cubes tumbling over the field, carried round by one dummy.
    const int carrier = scene.AddDummy(Motion::Spin({0, 0, 0}, {0, 0, 1}, 0, frames, 120));
    int k = 0;
    for (const Vec3 &p : Ring(4, {0, 0, 330}, 170, 45)) {
        Mesh cube = scenekit::Box("Cube " + std::to_string(k), {0, 0, 0}, {46, 46, 46}, "Chrome");
        ClearTexels(cube);
        Motion m = Motion::Still(p);
        const Vec3 axis{1, k % 2 ? 1.0f : -1.0f, 0.5f};
        m.rotation = SampleAngle(frames, 2, axis, [&](float t) {
            return 90 * std::floor(t * 16) + 90 * EaseOut(std::fmod(t * 16, 1.0f) * 2);
        });
        scene.AddObject(cube, m, carrier);
        ++k;
    }

    // A crane shot: low at the edge of the field, up to a high corner.
    const PathFn camera = [](float t) {
        const float e = EaseInOut(t);
        return OnCircle({0, 0, 0}, Lerp(560, 520, e), Lerp(-130, -60, e), Lerp(110, 560, e));
    };
    const PathFn target = Dolly({0, 0, 90}, {0, 0, 20}, EaseInOut);
    AddShowCamera(scene, frames, 2, camera, target, 55);

    scene.SetFrames(frames);
    return scene;
}

}  // namespace scenes
