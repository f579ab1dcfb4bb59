// The opening (8 s): a chrome planet inside a golden gyroscope, moons
// on a tilted orbit and a field of stars in a nebula. The camera sweeps in
// from deep space; the rings tick a quarter turn on every bar.
#include <cmath>

#include "kit/kit.h"
#include "scenes.h"

namespace scenes {

using namespace kit;

namespace {

// Angle after `t` of the slot for a ring that turns `perBarDeg` on each bar,
// easing into and out of each turn during the first half of the bar.
float TickAngle(float t, int frames, float perBarDeg)
{
    const float frame = t * frames;
    const int bar = static_cast<int>(frame / kBar);
    const float inBar = (frame - bar * kBar) / (kBar / 2.0f);
    return perBarDeg * (bar + EaseInOut(inBar));
}

}  // namespace

Scene BuildOpening()
{
    const int frames = kSlot8;
    Scene scene;
    scene.AddMaterial(Material::Textured("Nebula", "nebula.jpg"));
    const Material chrome =
        AddReflective(scene, Material::Reflective("Sunset chrome", "sunset_env.png"));
    const Material gold = AddReflective(scene, Material::Reflective("Gold", "gold_env.png"));
    const Material moonChrome =
        AddReflective(scene, Material::Reflective("Moon chrome", "chrome_env.png"));
    scene.AddMaterial(Material::Glow("Star", "particle.png"));
    scene.AddMaterial(Material::Glow("Rim", "flare_ring.png"));
    scene.AddMaterial(Material::Glow("Glint", "sparkle.png"));
    scene.AddMaterial(Material::Glow("Haze", "glow_magenta.png"));

    // The sky: a nebula sphere tiled a few times so its stars stay small.
    Mesh sky = SkySphere("Backdrop", {0, 0, 0}, 4000, 24, 12, "Nebula");
    RepeatTexels(sky, 4, 2);
    scene.AddObject(sky);

    const PathFn camera = [](float t) {
        const float e = EaseInOut(t);
        const float radius = Lerp(620, 240, EaseInOut(t));
        return OnCircle({0, 0, 0}, radius, Lerp(-150, -60, e), Lerp(300, 50, e));
    };
    const PathFn target = [](float t) { return Vec3{0, 0, Lerp(40, 0, EaseOut(t))}; };
    AddShowCamera(scene, frames, 2, camera, target, 45);

    // The planet: chrome without texels, breathing on each bar.
    Mesh planet = scenekit::Sphere("Planet", {0, 0, 0}, 40, 32, 16, "Sunset chrome");
    ClearTexels(planet);
    ShareSphereMapping(planet, chrome);
    Motion planetMotion = Motion::Spin({0, 0, 0}, {0, 0, 1}, 0, frames, 90);
    planetMotion.scale =
        SampleScale(frames, 1, [&](float t) { return 1 + 0.07f * BeatPulse(t * frames, kBar); });
    scene.AddObject(planet, planetMotion);

    // The gyroscope: three rings, each carried by the one outside it.
    Mesh outer = scenekit::Torus("Ring outer", {0, 0, 0}, 92, 2.4f, 48, 8, "Gold");
    outer.Transform(Rotation({1, 0, 0}, 90));  // stands in the XZ plane
    ShareSphereMapping(outer, gold);
    Motion outerMotion;
    outerMotion.rotation =
        SampleAngle(frames, 1, {0, 0, 1}, [&](float t) { return TickAngle(t, frames, 90); });
    const int outerNode = scene.AddObject(outer, outerMotion);

    Mesh middle = scenekit::Torus("Ring middle", {0, 0, 0}, 80, 2.4f, 48, 8, "Gold");
    ShareSphereMapping(middle, gold);
    Motion middleMotion;
    middleMotion.rotation =
        SampleAngle(frames, 1, {1, 0, 0}, [&](float t) { return 30 - TickAngle(t, frames, 90); });
    const int middleNode = scene.AddObject(middle, middleMotion, outerNode);

    Mesh inner = scenekit::Torus("Ring inner", {0, 0, 0}, 68, 2.4f, 48, 8, "Gold");
    inner.Transform(Rotation({0, 1, 0}, 90));  // stands in the YZ plane
    ShareSphereMapping(inner, gold);
    Motion innerMotion;
    innerMotion.rotation =
        SampleAngle(frames, 1, {0, 1, 0}, [&](float t) { return TickAngle(t, frames, 180); });
    scene.AddObject(inner, innerMotion, middleNode);

    // Moons on a tilted orbit: a fixed tilt carries a spinning carrier.
    Motion tilt;
    tilt.rotation = {{0, {1, 0.3f, 0}, 24}};
    const int tiltNode = scene.AddDummy(tilt);
    const int orbitNode =
        scene.AddDummy(Motion::Spin({0, 0, 0}, {0, 0, 1}, 0, frames, 160), tiltNode);
    int i = 0;
    for (const Vec3 &p : Ring(6, {0, 0, 0}, 150, 15)) {
        Mesh moon = scenekit::Sphere("Moon " + std::to_string(i), {0, 0, 0}, 7 + 2.0f * (i % 3), 12,
                                     6, "Moon chrome");
        ShareSphereMapping(moon, moonChrome);
        Motion m = Motion::Still(p);
        m.rotation = {{0, {0, 0, 1}, 0}, {frames, {0, 0, 1}, 240.0f + 40 * i}};
        scene.AddObject(moon, m, orbitNode);
        ++i;
    }

    // Stars: one mesh of crossed glows, slowly turning.
    Rng rng(2);
    Mesh stars;
    stars.name = "stars";
    for (int n = 0; n < 60; ++n) {
        const float a = rng.Range(0, 360), b = rng.Range(-60, 60), r = rng.Range(220, 1200);
        const float rad = b * kPi / 180;
        Vec3 p = OnCircle({0, 0, 0}, r * std::cos(rad), a, r * std::sin(rad));
        stars.Append(Sprite("stars", p, rng.Range(5, 16), n == 0 ? "Star" : ""));
    }
    scene.AddObject(stars, Motion::Spin({0, 0, 0}, {0, 0, 1}, 0, frames, -20));

    // A haze behind the planet. It breaks the glow order on purpose: named
    // upper-case, it draws after the sky and before the planet and rings,
    // which cover it, so that it glows behind them instead of veiling them.
    Motion haze;
    haze.rotation = FaceCamera(frames, 2, camera, Fixed({0, 0, 0}));
    // It shrinks as the camera closes in, so that it stays a halo.
    haze.scale = SampleScale(frames, 1, [&](float t) {
        return Lerp(1, 0.5f, EaseInOut(t)) * (1 + 0.15f * BeatPulse(t * frames, kBar));
    });
    scene.AddObject(GlowCard("Haze", {0, 0, 0}, 400, {0, -1, 0}, {0, 0, 1}, "Haze"), haze);

    // A rim of light around the planet, always facing the camera.
    Motion rim;
    rim.rotation = FaceCamera(frames, 2, camera, Fixed({0, 0, 0}));
    scene.AddObject(GlowBand("rim", {0, 0, 0}, 150, {0, -1, 0}, {0, 0, 1}, kFlareRingInner,
                             kFlareRingOuter, 32, "Rim"),
                    rim);

    // Glints riding on the outer ring, flashing on the beats. Hung under the
    // ring, they draw before it, and it covers them where it crosses them.
    for (int k = 0; k < 2; ++k) {
        Motion glint = Motion::Still({k == 0 ? 92.0f : -92.0f, 0, 0});
        glint.scale = SampleScale(
            frames, 1, [&](float t) { return 0.2f + BeatPulse(t * frames + k * 2.5f, kBeat * 2); });
        scene.AddObject(Sprite("sglint " + std::to_string(k), {0, 0, 0}, 40, "Glint"), glint,
                        outerNode);
    }

    scene.SetFrames(frames);
    return scene;
}

}  // namespace scenes
