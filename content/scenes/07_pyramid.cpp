// The pyramid (8 s): triangles. A chrome Sierpinski pyramid hovers over an
// endless neon grid, ringed by neon-lit pyramids that jump on the beat and a
// swarm of spinning triangular shards. The camera skims in low over the grid,
// passes under the swarm and rises into an orbit of the pyramid.
// Palette: magenta and cyan neon on black.
#include <cmath>

#include "kit/kit.h"
#include "scenes.h"

namespace scenes {

using namespace kit;

Scene BuildPyramid()
{
    const int frames = kSlot8;
    Scene scene;
    scene.AddMaterial(Material::Textured("Neon grid", "grid.png"));
    scene.AddMaterial(Material::Textured("Hex", "hexgrid.png"));
    scene.AddMaterial(Material::Reflective("Neon chrome", "neon_env.png"));
    scene.AddMaterial(Material::Textured("Carbon", "carbon.png"));
    scene.AddMaterial(Material::Glow("Hot", "glow_magenta.png"));
    scene.AddMaterial(Material::Glow("Cold", "glow_blue.png"));

    scene.AddObject(Floor("Grid", {0, 0, 0}, 6000, 16, 30, "Neon grid"));
    Mesh dome = SkySphere("Dome", {0, 0, 0}, 3000, 24, 12, "Neon grid");
    RepeatTexels(dome, 24, 12);
    scene.AddObject(dome);

    // The pyramid: level 3, 64 tetrahedra, turning a third each bar.
    const float edge = 220;
    Mesh pyramid = Sierpinski("Pyramid", {0, 0, 0}, edge, 3, "Neon chrome");
    Motion pyramidMotion = Motion::Still({0, 0, 150});
    pyramidMotion.rotation = SampleAngle(frames, 1, {0, 0, 1}, [&](float t) {
        const float bars = t * frames / kBar;
        const int whole = static_cast<int>(bars);
        return 120 * (whole + EaseInOut((bars - whole) * 1.5f));
    });
    pyramidMotion.position = SampleFrames(frames, 1, [](float f) {
        return Vec3{0, 0, 150 + 10 * std::sin(f * kPi / kBar)};
    });
    const int pyramidNode = scene.AddObject(pyramid, pyramidMotion);

    // A ring of pyramids on the grid, hopping in turn on the beats.
    int i = 0;
    for (const Vec3 &p : Ring(12, {0, 0, 0}, 330, 15)) {
        Mesh cone = scenekit::Cone("Cone " + std::to_string(i), {0, 0, 40}, 40, 80, 3, "Hex");
        Motion m = Motion::Still(p);
        m.rotation = {{0, {0, 0, 1}, 30.0f * i}};
        const int phase = i % 4;
        m.position = SampleFrames(frames, 1, [&](float f) {
            const float hop = BeatPulse(f - phase * kBeat, kBar);
            return p + Vec3{0, 0, 60 * hop * (1 - hop) * 4};
        });
        scene.AddObject(cone, m);
        ++i;
    }

    // Shards: thin triangular slabs spinning on a tilted carrier.
    Motion tilt;
    tilt.rotation = {{0, {1, 1, 0}, 15}};
    tilt.position = {{0, {0, 0, 150}}};
    const int tiltNode = scene.AddDummy(tilt);
    const int swarm = scene.AddDummy(Motion::Spin({0, 0, 0}, {0, 0, 1}, 0, frames, -100), tiltNode);
    Rng rng(13);
    for (int k = 0; k < 24; ++k) {
        Mesh shard = scenekit::Cylinder("Shard " + std::to_string(k), {0, 0, 0}, rng.Range(14, 26),
                                        4, 3, k % 3 == 0 ? "Neon chrome" : "Carbon");
        if (k % 3 == 0) ClearTexels(shard);
        const Vec3 at = OnCircle({0, 0, 0}, rng.Range(200, 260), 15.0f * k, rng.Range(-40, 40));
        Motion m = Motion::Still(at);
        const Vec3 axis =
            scenekit::Normalize(rng.InBox({-1, -1, -1}, {1, 1, 1}) + Vec3{0.01f, 0, 0});
        m.rotation = {{0, axis, 0}, {frames, axis, 720.0f * (k % 2 ? 1 : -1)}};
        scene.AddObject(shard, m, swarm);
    }

    // Lights on the pyramid's corners, flashing on alternate beats. Hung
    // under the pyramid, they draw before it, and it covers them where it
    // lies across them.
    const auto corners = TetrahedronCorners(edge);
    for (int k = 0; k < 4; ++k) {
        Motion m = Motion::Still(corners[k]);
        m.scale = SampleScale(frames, 1, [&](float t) {
            return 0.4f + BeatPulse(t * frames + k * kBeat, 2 * kBeat);
        });
        scene.AddObject(Sprite("spark " + std::to_string(k), {0, 0, 0}, 70, k % 2 ? "Hot" : "Cold"),
                        m, pyramidNode);
    }

    const PathFn camera = Spline({{-760, -600, 420},
                                  {-540, -440, 300},
                                  {-320, -340, 220},
                                  {0, -360, 210},
                                  {260, -200, 300},
                                  {300, 120, 360}});
    const PathFn target =
        Spline({{0, 0, 120}, {0, 0, 150}, {0, 0, 170}, {0, 0, 160}, {0, 0, 150}, {0, 0, 140}});
    AddShowCamera(scene, frames, 2, camera, target, 55);

    scene.SetFrames(frames);
    return scene;
}

}  // namespace scenes
