// The circuit city (8 s). Chips and towers grow out of a green board in a
// wave from the centre, one ring per beat, while pulses of light run along
// the traces; the camera skims low over the board and climbs to look down
// on the whole city. Palette: board green, steel, cyan light.
#include <cmath>

#include "kit/kit.h"
#include "scenes.h"

namespace scenes {

using namespace kit;

Scene BuildCircuitCity()
{
    const int frames = kSlot8;
    Scene scene;
    scene.AddMaterial(Material::Textured("Board", "circuit.png"));
    scene.AddMaterial(Material::Textured("Hex sky", "hexgrid.png"));
    scene.AddMaterial(Material::Textured("Panel", "tech_panel.png"));
    scene.AddMaterial(Material::Textured("Carbon", "carbon.png"));
    scene.AddMaterial(Material::Textured("Steel", "brushed_metal.png"));
    scene.AddMaterial(Material::Reflective("Chrome", "ice_env.jpg"));
    scene.AddMaterial(Material::Textured("Hex", "hexgrid.png"));
    scene.AddMaterial(Material::Glow("Pulse", "glow_blue.png"));
    scene.AddMaterial(Material::Glow("Spark", "particle.png"));

    scene.AddObject(Floor("ZBoard", {0, 0, 0}, 3000, 12, 30, "Board"));
    Mesh sky = SkySphere("ZDome", {0, 0, 0}, 2500, 24, 12, "Hex sky");
    RepeatTexels(sky, 24, 12);
    scene.AddObject(sky);

    // The city: a 7 x 7 lot of chips, taller towards the middle, each rising
    // on the beat of its ring (distance from the centre).
    Rng rng(3);
    const char *skins[] = {"Panel", "Carbon", "Steel", "Hex"};
    int n = 0;
    for (int j = -3; j <= 3; ++j)
        for (int i = -3; i <= 3; ++i) {
            const int ring = std::max(std::abs(i), std::abs(j));
            const float cell = 80;
            const Vec3 at{i * cell + rng.Range(-5, 5), j * cell + rng.Range(-5, 5), 0};
            const float w = rng.Range(22, 40), d = rng.Range(22, 40);
            const float h = (4 - ring) * 22 + rng.Range(10, 40);
            const std::string name = "Chip " + std::to_string(n);
            Mesh chip;
            if (n % 7 == 3) {
                chip = scenekit::Cylinder(name, {0, 0, h / 2}, w * 0.45f, h * 1.3f, 16, "Chrome");
                chip.Transform(scenekit::Translation({0, 0, h * 0.15f}));
                ClearTexels(chip);
            } else {
                chip = scenekit::Box(name, {0, 0, h / 2}, {w, d, h}, skins[rng.Int(4)]);
            }
            Motion m = Motion::Still(at);
            const int rise = 4 + ring * kBeat;  // the middle rises first
            m.scale = {{0, {1, 1, 0.02f}},
                       {rise, {1, 1, 0.02f}},
                       {rise + 3, {1, 1, 1.15f}},
                       {rise + 5, {1, 1, 1}},
                       {frames, {1, 1, 1}}};
            scene.AddObject(chip, m);
            ++n;
        }

    // Pulses racing along the traces between the lots, a new one every beat.
    Mesh pulse = Sprite("pulse", {0, 0, 0}, 26, "Pulse");
    for (int k = 0; k < 12; ++k) {
        const bool alongX = k % 2 == 0;
        const float lane = (rng.Int(6) - 2.5f) * 70;
        const float from = -450, to = 450;
        const int start = (k * kBeat) % frames;
        auto at = [&](float s) {
            const float v = Lerp(from, to, s) * (k % 4 < 2 ? 1 : -1);
            return alongX ? Vec3{v, lane, 6} : Vec3{lane, v, 6};
        };
        std::vector<scenekit::Vec3Key> keys{{0, at(0)}};
        if (start > 0) keys.push_back({start, at(0)});
        keys.push_back({start + 20, at(1)});
        if (start + 20 < frames) keys.push_back({frames, at(1)});
        Motion m = Motion::Path(keys);
        pulse.name = "pulse " + std::to_string(k);
        scene.AddObject(pulse, m);
    }

    // Sparks above the towers.
    Mesh sparks;
    sparks.name = "sparks";
    for (int k = 0; k < 40; ++k)
        sparks.Append(Sprite("sparks", rng.InBox({-300, -300, 60}, {300, 300, 220}),
                             rng.Range(4, 9), k == 0 ? "Spark" : ""));
    scene.AddObject(sparks, Motion::Spin({0, 0, 0}, {0, 0, 1}, 0, frames, 40));

    // In along the avenue between the middle rows, then up and out.
    const PathFn camera = Spline({{-560, -400, 300},
                                  {-470, 40, 80},
                                  {-330, 40, 60},
                                  {-170, 40, 60},
                                  {-60, -60, 240},
                                  {120, -300, 330},
                                  {220, -460, 440}});
    const PathFn target = Spline({{-150, 0, 0},
                                  {0, 40, 40},
                                  {150, 40, 50},
                                  {200, 40, 40},
                                  {80, 40, 30},
                                  {0, 0, 0},
                                  {0, 0, 0}});
    AddShowCamera(scene, frames, 2, camera, target, 55);

    scene.SetFrames(frames);
    return scene;
}

}  // namespace scenes
