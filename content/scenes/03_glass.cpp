// Glass and light (4 s). A faceted ice crystal turns inside a glass
// bubble, glass prisms circle it and beams of light sweep out from its core,
// all under water-blue caustics. The camera swings half around it, closing in.
// Palette: aqua, white light, magenta sparks.
#include <cmath>

#include "kit/kit.h"
#include "scenes.h"

namespace scenes {

using namespace kit;

namespace {

// Sphere-mapped and additive: glass that shows the world it reflects.
Material Glass(const std::string &name, const std::string &envmap)
{
    Material m = Material::Reflective(name, envmap);
    m.transparency = 0.6f;
    return m;
}

}  // namespace

Scene BuildGlass()
{
    const int frames = kSlot4;
    Scene scene;
    scene.AddMaterial(Material::Textured("Caustics", "caustics.png"));
    const Material ice = AddReflective(scene, Material::Reflective("Ice", "ice_env.jpg"));
    const Material glass = AddReflective(scene, Glass("Glass", "neon_env.png"));
    const Material prismGlass =
        AddReflective(scene, Material::Reflective("Prism", "sunset_env.png"));
    scene.AddMaterial(Material::Glow("Core", "glow_blue.png"));
    scene.AddMaterial(Material::Glow("Beam", "beam.png"));
    scene.AddMaterial(Material::Glow("Spark", "glow_magenta.png"));

    Mesh sky = SkySphere("ZBackdrop", {0, 0, 0}, 700, 24, 12, "Caustics");
    RepeatTexels(sky, 6, 3);
    scene.AddObject(sky, Motion::Spin({0, 0, 0}, {0, 0, 1}, 0, frames, 12));

    // The crystal: a low sphere reads as a cut gem; no texels, it reflects.
    Mesh crystal = scenekit::Sphere("Crystal", {0, 0, 0}, 42, 6, 4, "Ice");
    crystal.Transform(scenekit::Scaling({1, 1, 1.5f}));
    ClearTexels(crystal);
    ShareSphereMapping(crystal, ice);
    Motion crystalMotion = Motion::Spin({0, 0, 0}, {0, 0, 1}, 0, frames, 120);
    crystalMotion.scale = SampleScale(
        frames, 1, [&](float t) { return 1 + 0.08f * BeatPulse(t * frames, kBeat * 2); });
    scene.AddObject(crystal, crystalMotion);

    // The core light carries the prisms and the beams, so that the beams are
    // drawn after the backdrop.
    const int core = scene.AddObject(Sprite("core", {0, 0, 0}, 70, "Core"));

    const int prisms = scene.AddDummy(Motion::Spin({0, 0, 0}, {0, 0, 1}, 0, frames, -90), core);
    int i = 0;
    for (const Vec3 &p : Ring(8, {0, 0, 0}, 130, 0)) {
        Mesh prism =
            scenekit::Cylinder("Prism " + std::to_string(i), {0, 0, 0}, 12, 60, 3, "Prism");
        ClearTexels(prism);
        ShareSphereMapping(prism, prismGlass);
        Motion m = Motion::Still(p + Vec3{0, 0, (i % 2 ? 25.0f : -25.0f)});
        const Vec3 axis{std::cos(i * 0.8f), std::sin(i * 0.8f), 0.5f};
        m.rotation = {{0, axis, 0}, {frames, axis, 300.0f + 30 * i}};
        scene.AddObject(prism, m, prisms);
        ++i;
    }

    const int beams = scene.AddDummy(Motion::Spin({0, 0, 0}, {0.2f, 0, 1}, 0, frames, 60), core);
    for (int k = 0; k < 6; ++k) {
        const float deg = 60.0f * k;
        const Vec3 dir{std::cos(deg * kPi / 180), std::sin(deg * kPi / 180), 0};
        const Vec3 side{-dir.y, dir.x, 0};
        const Vec3 mid = dir * 230;
        // Both cards leave out the image's black eighths at its top and bottom.
        Mesh beam = CardPart("beam " + std::to_string(k), mid, 420, 46, {0, 0, 1}, side, "Beam",
                             0.125f, 0.875f, 0, 1);
        // The card's width must run along the beam: turn its picture a quarter.
        for (auto &t : beam.texels) t = {t[1], 1 - t[0]};
        beam.Append(CardPart("", mid, 420, 46, side, {0, 0, 1}, "", 0, 1, 0.125f, 0.875f));
        Motion m;
        // Beams flare up on every beat, staggered around the ring.
        m.scale = SampleScale(frames, 1, [&](float t) {
            return 0.3f + 0.9f * BeatPulse(t * frames + k * 0.8f, kBeat);
        });
        scene.AddObject(beam, m, beams);
    }

    // The bubble of glass around the crystal.
    Mesh shell = scenekit::Sphere("shell", {0, 0, 0}, 78, 20, 10, "Glass");
    ClearTexels(shell);
    ShareSphereMapping(shell, glass);
    scene.AddObject(shell, Motion::Spin({0, 0, 0}, {1, 0, 0}, 0, frames, 40));

    Rng rng(5);
    Mesh sparks;
    sparks.name = "sparks";
    for (int k = 0; k < 36; ++k) {
        const float a = rng.Range(0, 360), r = rng.Range(170, 320);
        sparks.Append(Sprite("sparks", OnCircle({0, 0, 0}, r, a, rng.Range(-120, 120)),
                             rng.Range(8, 20), k == 0 ? "Spark" : ""));
    }
    scene.AddObject(sparks, Motion::Spin({0, 0, 0}, {0, 0, 1}, 0, frames, 45));

    const PathFn camera = [](float t) {
        const float e = EaseInOut(t);
        return OnCircle({0, 0, 0}, Lerp(360, 240, e), Lerp(-120, 10, e), Lerp(140, 40, e));
    };
    AddShowCamera(scene, frames, 1, camera, Fixed({0, 0, 0}), 50);

    scene.SetFrames(frames);
    return scene;
}

}  // namespace scenes
