// Tori and knots (4 s). A golden trefoil knot turns at the heart of
// a ring of plasma-skinned tori that roll around it, with two smaller fiery
// knots orbiting, over a field of cracked lava. The camera dives in fast on a
// quarter orbit. Palette: gold, rainbow plasma, lava orange on black.
#include <cmath>

#include "kit/kit.h"
#include "scenes.h"

namespace scenes {

using namespace kit;

Scene BuildKnots()
{
    const int frames = kSlot4;
    Scene scene;
    scene.AddMaterial(Material::Textured("Lava", "lava.png"));
    scene.AddMaterial(Material::Reflective("Gold", "gold_env.png"));
    scene.AddMaterial(Material::Reflective("Fire", "sunset_env.png"));
    scene.AddMaterial(Material::Textured("Plasma", "plasma.png"));
    scene.AddMaterial(Material::Glow("Ember", "glow_orange.png"));

    Mesh sky = SkySphere("ZBackdrop", {0, 0, 0}, 1500, 24, 12, "Lava");
    RepeatTexels(sky, 10, 5);
    scene.AddObject(sky);

    // The trefoil, upright, a full turn and a half in four seconds.
    Mesh knot = scenekit::TorusKnot("Knot", {0, 0, 0}, 2, 3, 46, 11, 120, 7, "Gold");
    ClearTexels(knot);
    Motion knotMotion;
    knotMotion.rotation = SampleAngle(frames, 2, {0.3f, 1, 0.2f}, [](float t) { return 540 * t; });
    knotMotion.scale =
        SampleScale(frames, 1, [&](float t) { return 1 + 0.06f * BeatPulse(t * frames, kBeat); });
    scene.AddObject(knot, knotMotion);

    // The ring of tori: a carrier turns the ring, each torus rolls on its own.
    const int ring = scene.AddDummy(Motion::Spin({0, 0, 0}, {0, 0, 1}, 0, frames, 90));
    int i = 0;
    for (const Vec3 &p : Ring(8, {0, 0, 0}, 140, 0)) {
        Mesh torus =
            scenekit::Torus("Torus " + std::to_string(i), {0, 0, 0}, 20, 6, 20, 7, "Plasma");
        RepeatTexels(torus, 2, 1);
        // Stands facing the centre, and rolls about the radial axis.
        const Vec3 radial = scenekit::Normalize(p);
        Motion m = Motion::Still(p);
        const float tilt = (i % 2 ? 1.0f : -1.0f) * 20;
        m.rotation = SampleAngle(frames, 4, radial,
                                 [&](float t) { return tilt + 360 * t * (i % 2 ? 1 : -1); });
        torus.Transform(Rotation({-p.y, p.x, 0}, 90));
        scene.AddObject(torus, m, ring);
        ++i;
    }

    // Two small knots on a tilted orbit, and embers swirling with them.
    Motion tilt;
    tilt.rotation = {{0, {1, 0, 0}, 35}};
    const int tiltNode = scene.AddDummy(tilt);
    const int orbit = scene.AddDummy(Motion::Spin({0, 0, 0}, {0, 0, 1}, 0, frames, -200), tiltNode);
    for (int k = 0; k < 2; ++k) {
        Mesh small = scenekit::TorusKnot("Small knot " + std::to_string(k), {0, 0, 0}, 3, 2, 18,
                                         4.5f, 60, 5, "Fire");
        ClearTexels(small);
        Motion m = Motion::Spin({k == 0 ? 205.0f : -205.0f, 0, 0}, {0, 1, 0}, 0, frames, 360);
        scene.AddObject(small, m, orbit);
    }

    Rng rng(7);
    Mesh embers;
    embers.name = "embers";
    for (int k = 0; k < 36; ++k) {
        const float a = rng.Range(0, 360), r = rng.Range(60, 260);
        embers.Append(Sprite("embers", OnCircle({0, 0, 0}, r, a, rng.Range(-90, 90)),
                             rng.Range(5, 14), k == 0 ? "Ember" : ""));
    }
    Motion emberMotion = Motion::Spin({0, 0, 0}, {0, 0, 1}, 0, frames, -70);
    emberMotion.position = {{0, {0, 0, -20}}, {frames, {0, 0, 30}}};
    scene.AddObject(embers, emberMotion);

    const PathFn camera = [](float t) {
        const float e = EaseOut(t);
        return OnCircle({0, 0, 0}, Lerp(470, 260, e), Lerp(-60, -150, EaseInOut(t)),
                        Lerp(260, 70, e));
    };
    const PathFn target = Dolly({0, 0, 30}, {0, 0, 0}, EaseOut);
    AddShowCamera(scene, frames, 1, camera, target, 52);

    scene.SetFrames(frames);
    return scene;
}

}  // namespace scenes
