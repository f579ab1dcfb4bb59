// The reactor (8 s). Inside a tall round hall of hull plates, a column of
// steel rings turns about a blue core of light, each ring against its
// neighbours, with arcs of energy leaping between them on the beat. The
// camera spirals up around the column from the floor to the roof.
// Palette: steel grey and blue light, orange hazard accents.
#include <cmath>

#include "kit/kit.h"
#include "scenes.h"

namespace scenes {

using namespace kit;

Scene BuildReactor()
{
    const int frames = kSlot8;
    const float hallRadius = 420, hallHeight = 1100;
    Scene scene;
    scene.AddMaterial(Material::Textured("Hull", "tech_panel.png"));
    scene.AddMaterial(Material::Textured("Deck", "concrete.jpg"));
    scene.AddMaterial(Material::Textured("Steel", "brushed_metal.png"));
    scene.AddMaterial(Material::Textured("Carbon", "carbon.png"));
    scene.AddMaterial(Material::Reflective("Chrome", "chrome_env.png"));
    scene.AddMaterial(Material::Textured("Hot", "lava.png"));
    scene.AddMaterial(Material::Glow("Core", "glow_blue.png"));
    scene.AddMaterial(Material::Glow("Arc", "beam.png"));
    scene.AddMaterial(Material::Glow("Spark", "particle.png"));

    // The hall: a tube seen from inside, closed by a deck and a roof.
    scene.AddObject(
        scenekit::Tube("ZHall", {0, 0, hallHeight / 2}, hallRadius, hallHeight, 24, 6, 5, "Hull"));
    scene.AddObject(Floor("ZDeck", {0, 0, 0}, 2 * hallRadius + 40, 6, 6, "Deck"));
    Mesh roof = Floor("ZRoof", {0, 0, hallHeight}, 2 * hallRadius + 40, 6, 6, "Hull");
    FlipFaces(roof);
    scene.AddObject(roof);

    // The column: rings stacked up the core, turning alternately.
    const int rings = 9;
    const float spacing = 110;
    for (int k = 0; k < rings; ++k) {
        const float z = 90 + k * spacing;
        Mesh ring;
        const std::string name = "Ring " + std::to_string(k);
        if (k % 3 == 1) {
            ring = scenekit::Torus(name, {0, 0, 0}, 95, 14, 32, 8, "Chrome");
            ClearTexels(ring);
        } else {
            ring =
                scenekit::Cylinder(name, {0, 0, 0}, 110, 26, 24, k % 3 == 0 ? "Steel" : "Carbon");
            // A cylinder with a hole reads as a ring: the middle is the core.
            Mesh inner = scenekit::Cylinder(name, {0, 0, 0}, 60, 30, 24, "Hot");
            ring.Append(inner);
        }
        Motion m = Motion::Still({0, 0, z});
        const float dir = k % 2 ? 1.0f : -1.0f;
        // Each ring jolts forward on the beat and coasts.
        m.rotation = SampleAngle(frames, 1, {0, 0, 1}, [&](float t) {
            const float f = t * frames;
            const int beat = static_cast<int>(f / kBeat);
            return dir * (beat * 30 + 30 * EaseOut((f - beat * kBeat) / kBeat));
        });
        scene.AddObject(ring, m);
    }

    // The core: glows stacked up the axis, carrying the arcs, flaring on bars.
    // Two upright crossed cards each: the column is seen from the side.
    Mesh core;
    core.name = "core";
    for (int k = 0; k < 9; ++k) {
        const Vec3 at{0, 0, 80.0f + k * spacing};
        core.Append(UprightGlow("core", at, 130, k == 0 ? "Core" : ""));
    }
    Motion coreMotion;
    coreMotion.scale = SampleScale(frames, 1, [&](float t) {
        const float s = 0.85f + 0.35f * BeatPulse(t * frames, kBar);
        return s;
    });
    const int coreNode = scene.AddObject(core, coreMotion);

    // Arcs: streaks leaping out between the rings, one set per beat.
    const int arcs = scene.AddDummy(Motion::Spin({0, 0, 0}, {0, 0, 1}, 0, frames, 200), coreNode);
    for (int k = 0; k < 16; ++k) {
        const float z = 145 + (k % 8) * spacing;
        const float deg = 137.5f * k;
        const Vec3 dir{std::cos(deg * kPi / 180), std::sin(deg * kPi / 180), 0};
        const Vec3 mid = dir * 150 + Vec3{0, 0, z};
        Mesh arc =
            Card("arc " + std::to_string(k), mid, 280, 50, {0, 0, 1}, {-dir.y, dir.x, 0}, "Arc");
        for (auto &t : arc.texels) t = {t[1], 1 - t[0]};
        Motion m;
        m.scale = SampleScale(frames, 1, [&](float t) {
            return 0.05f + BeatPulse(t * frames - (k % 4) * 1.2f, kBeat);
        });
        scene.AddObject(arc, m, arcs);
    }

    Rng rng(17);
    Mesh sparks;
    sparks.name = "sparks";
    for (int k = 0; k < 50; ++k) {
        const Vec3 p =
            OnCircle({0, 0, 0}, rng.Range(140, 330), rng.Range(0, 360), rng.Range(20, 1050));
        sparks.Append(Sprite("sparks", p, rng.Range(6, 14), k == 0 ? "Spark" : ""));
    }
    Motion sparkMotion = Motion::Spin({0, 0, 0}, {0, 0, 1}, 0, frames, 90);
    scene.AddObject(sparks, sparkMotion);

    // Up the hall in a spiral, always looking at the column a little above.
    const PathFn camera = [&](float t) {
        const float e = EaseInOut(t);
        return OnCircle({0, 0, 0}, Lerp(330, 260, e), Lerp(-100, 170, e), Lerp(60, 980, e));
    };
    const PathFn target = [&](float t) {
        const float e = EaseInOut(t);
        return Vec3{0, 0, Lerp(320, 1000, e)};
    };
    AddShowCamera(scene, frames, 2, camera, target, 60);

    scene.SetFrames(frames);
    return scene;
}

}  // namespace scenes
