// The climax (16 s). A molten knot beats at the heart of a
// three-ring gyroscope over a lava platform; satellites and sparks circle
// it, light pillars fire on the last bars, and the camera swoops in from
// deep space, circles, dives close to the core and cranes away for the
// wide shot. Fire, gold and violet.
#include <cmath>

#include "kit/kit.h"
#include "scenes.h"

namespace scenes {

using namespace kit;

namespace {

const Vec3 kCore{0, 0, 160};
constexpr float kOrbit = 270;  // radius of the satellites' ring

// The knot beats on every beat, harder on the first of each bar.
void AddCore(Scene &scene)
{
    Mesh knot = scenekit::TorusKnot("Knot", {0, 0, 0}, 2, 3, 38, 11, 72, 7, "Molten");
    ClearTexels(knot);  // sphere-mapped only
    Motion beat = Motion::Spin(kCore, {0.3f, 0.2f, 1}, 0, kSlot16, 720);
    beat.scale = SampleScale(kSlot16, 1, [](float t) {
        const float frame = t * kSlot16;
        const float accent = std::fmod(frame, float(kBar)) < kBeat ? 0.22f : 0.12f;
        return 1 + accent * BeatPulse(frame);
    });
    scene.AddObject(knot, beat);
}

// Three rings, each turning inside the last about a different axis.
void AddGyroscope(Scene &scene)
{
    const int outer = scene.AddDummy(Motion::Spin(kCore, {0, 0, 1}, 0, kSlot16, 360));
    scene.AddObject(scenekit::Torus("RingOuter", {0, 0, 0}, 118, 5, 36, 6, "GoldRing"),
                    Motion::Still({0, 0, 0}), outer);
    const int middle = scene.AddDummy(Motion::Spin({0, 0, 0}, {1, 0, 0}, 0, kSlot16, 540), outer);
    scene.AddObject(scenekit::Torus("RingMiddle", {0, 0, 0}, 98, 4, 32, 6, "ChromeRing"),
                    Motion::Still({0, 0, 0}), middle);
    const int inner = scene.AddDummy(Motion::Spin({0, 0, 0}, {0, 1, 0}, 0, kSlot16, -720), middle);
    scene.AddObject(scenekit::Torus("RingInner", {0, 0, 0}, 80, 3.5f, 28, 6, "GoldRing"),
                    Motion::Still({0, 0, 0}), inner);
}

// Lava platform with a ring of dark pylons and their fire-lit caps.
void AddPlatform(Scene &scene)
{
    scene.AddObject(scenekit::Cylinder("Platform", {0, 0, -8}, 420, 16, 40, "Lava"));
    Mesh pylons;
    pylons.name = "Pylons";
    for (const Vec3 &at : Ring(8, {0, 0, 0}, 380, 22.5f)) {
        pylons.Append(scenekit::Box("p", at + Vec3{0, 0, 60}, {26, 26, 120}, "Carbon"));
        pylons.Append(scenekit::Cone("c", at + Vec3{0, 0, 140}, 16, 40, 8, "Carbon"));
    }
    pylons.SetMaterial("Carbon");
    scene.AddObject(pylons);
}

// Satellites: capsules and plated cubes tumbling round the core on a
// tilted ring that turns twice in the slot.
void AddSatellites(Scene &scene)
{
    Motion tilt;
    tilt.position = {{0, kCore}};
    tilt.rotation = {{0, {1, 0, 0}, 14}};
    const int plane = scene.AddDummy(tilt);
    const int ring = scene.AddDummy(Motion::Spin({0, 0, 0}, {0, 0, 1}, 0, kSlot16, -720), plane);
    const auto spots = Ring(8, {0, 0, 0}, kOrbit, 0);
    for (size_t i = 0; i < spots.size(); i++) {
        const std::string name = "Sat" + std::to_string(i);
        Mesh body = i % 2 ? scenekit::Box(name, {0, 0, 0}, {26, 26, 26}, "Plates")
                          : scenekit::Capsule(name, {0, 0, 0}, 10, 22, 8, 2, "Plates");
        scene.AddObject(body, Motion::Spin(spots[i], {1, 1, 0.5f}, 0, kSlot16, i % 2 ? 720 : -720),
                        ring);
    }
}

// Glows, all under one late-named heat glow lying on the lava so they draw
// after the opaque scene: the core's halo, sparks spiralling up from the
// platform, and four light pillars that fire in bars 5 to 8.
void AddGlows(Scene &scene)
{
    const int heat =
        scene.AddObject(GlowCard("zHeat", {0, 0, 0}, 520, {0, 0, 1}, {0, 1, 0}, "HaloGlow"),
                        Motion::Still({0, 0, 2}));
    Mesh halo = UprightGlow("zHalo", {0, 0, 0}, 150, "HaloGlow");
    Motion throb = Motion::Still(kCore - Vec3{0, 0, 2});
    throb.scale =
        SampleScale(kSlot16, 1, [](float t) { return 0.7f + 0.6f * BeatPulse(t * kSlot16); });
    scene.AddObject(halo, throb, heat);

    // From bar 3 on, a shock ring races out over the lava on every bar;
    // two rings take turns, each hidden (shrunk to nothing) between its bars.
    for (int r = 0; r < 2; r++) {
        Motion wave = Motion::Still({0, 0, 4});
        const Vec3 tiny{kHidden, kHidden, kHidden};
        wave.scale = {{0, tiny}};
        for (int bar = 2 + r; bar < 8; bar += 2) {
            const int at = bar * kBar;
            wave.scale.push_back({at, {0.2f, 0.2f, 0.2f}});
            wave.scale.push_back({at + 14, {4.2f, 4.2f, 4.2f}});
            wave.scale.push_back({at + 15, tiny});
        }
        scene.AddObject(NeonRing("zShock" + std::to_string(r), 100, 14, 32, "Shock"), wave, heat);
    }

    const int swirl = scene.AddDummy(Motion::Spin({0, 0, -2}, {0, 0, 1}, 0, kSlot16, 540), heat);
    Rng rng(96);
    for (int i = 0; i < 24; i++) {
        const float angle = rng.Range(0, 360), radius = rng.Range(150, 330),
                    phase = rng.Range(0, 1);
        Motion rise;
        rise.position = SamplePath(kSlot16, 4, [=](float t) {
            // Four rises per slot, each from the lava to well above the core.
            const float h = std::fmod(phase + 4 * t, 1.0f);
            return OnCircle({0, 0, 0}, radius * (1 - 0.4f * h), angle + 90 * h, 10 + 380 * h);
        });
        const float size = i % 3 ? 26 : 40;
        scene.AddObject(Card("zSpark" + std::to_string(10 + i), {0, 0, 0}, size, size,
                             {0, -1, 0.3f}, {0, 0, 1}, i % 3 ? "Spark" : "HaloGlow"),
                        rise, swirl);
    }
    for (int k = 0; k < 4; k++) {
        const Vec3 at = OnCircle({0, 0, 0}, 380, 22.5f + 90 * k);
        Mesh pillar = Card("zPillar" + std::to_string(k), {0, 0, 0}, 100, 100, {at.x, at.y, 0},
                           {0, 0, 1}, "Beam");
        pillar.Append(Card("q", {0, 0, 0}, 100, 100, {-at.y, at.x, 0}, {0, 0, 1}, "Beam"));
        // The beam image is a horizontal streak: stand it up, narrow it, stretch it on cue.
        for (auto &p : pillar.points) p = {p.x * 0.5f, p.y * 0.5f, p.z};
        for (auto &t : pillar.texels) t = {t[1], t[0]};
        Motion fire;
        fire.position = {{0, at + Vec3{0, 0, 160}}};
        const int on = 4 * kBar + k * kBeat;
        fire.scale = {{0, {1, 1, kHidden}},
                      {on, {1, 1, kHidden}},
                      {on + 4, {1.3f, 1.3f, 7}},
                      {on + 10, {1, 1, 6}},
                      {kSlot16, {1, 1, 6}}};
        scene.AddObject(pillar, fire, swirl);
    }
}

}  // namespace

Scene BuildClimax()
{
    Scene scene;
    scene.AddMaterial(Material::Textured("Nebula", "nebula.jpg"));
    scene.AddMaterial(Material::Textured("Lava", "lava.png"));
    scene.AddMaterial(Material::Textured("Carbon", "carbon.png"));
    scene.AddMaterial(Material::Textured("Plates", "tech_panel.png"));
    scene.AddMaterial(Material::Reflective("Molten", "fire_env.png"));
    scene.AddMaterial(Material::Reflective("GoldRing", "gold_env.png"));
    scene.AddMaterial(Material::Reflective("ChromeRing", "chrome_env.png"));
    scene.AddMaterial(Material::Glow("HaloGlow", "glow_orange.png"));
    scene.AddMaterial(Material::Glow("Spark", "particle.png"));
    scene.AddMaterial(Material::Glow("Beam", "beam.png"));
    scene.AddMaterial(Material::Glow("Shock", "glow_orange.png"));

    Mesh sky = SkySphere("Sky", {0, 0, 0}, 5000, 24, 12, "Nebula");
    RepeatTexels(sky, 3, 1.5f);
    scene.AddObject(sky, Motion::Spin({0, 0, 0}, {0, 0, 1}, 0, kSlot16, -20));
    AddPlatform(scene);
    AddCore(scene);
    AddGyroscope(scene);
    AddSatellites(scene);
    AddGlows(scene);

    // Swoop in (bars 1-2), circle (3-4), dive close over the rings (5-6),
    // crane away to the wide shot (7-8).
    const PathFn eye = Spline({{300, -1900, 900},
                               {-200, -900, 420},
                               {-560, -240, 230},
                               {-420, 380, 200},
                               {120, 560, 260},
                               {300, 140, 330},
                               {150, -200, 300},
                               {-300, -520, 520},
                               {-450, -950, 760}});
    const PathFn look = Spline({{0, 0, 120},
                                {0, 0, 150},
                                {0, 0, 160},
                                {0, 0, 160},
                                {0, 0, 160},
                                {0, 0, 160},
                                {0, 0, 160},
                                {0, 0, 140},
                                {0, 0, 120}});
    AddShowCamera(scene, kSlot16, 2, eye, look, 55);

    scene.SetFrames(kSlot16);
    return scene;
}

}  // namespace scenes
