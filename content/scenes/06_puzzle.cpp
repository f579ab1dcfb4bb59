// The puzzle (8 s): pieces that assemble. Nine three-cube pieces of marble,
// green marble, checker and chrome fly in from all sides and lock into a cube
// on a marble plinth, one piece on each beat; the finished cube then
// turns a quarter on each half of the last bar. The camera circles and closes in.
// Palette: white and green marble, crimson checker and chrome; cobalt tiles, oak.
#include <cmath>

#include "kit/kit.h"
#include "scenes.h"

namespace scenes {

using namespace kit;

namespace {

struct Piece {
    int cells[3][3];  // (x, y, z) of the three cubelets in the 3x3x3 cube
    const char *material;
};

// Each layer of the cube is cut into two L pieces and a bar, turned from
// layer to layer.
const Piece kPieces[] = {
    {{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, "Marble"},
    {{{2, 0, 0}, {2, 1, 0}, {1, 1, 0}}, "Checker"},
    {{{0, 2, 0}, {1, 2, 0}, {2, 2, 0}}, "Green marble"},
    {{{0, 0, 1}, {0, 1, 1}, {0, 2, 1}}, "Chrome"},
    {{{1, 0, 1}, {2, 0, 1}, {2, 1, 1}}, "Marble"},
    {{{1, 1, 1}, {1, 2, 1}, {2, 2, 1}}, "Checker"},
    {{{2, 2, 2}, {1, 2, 2}, {2, 1, 2}}, "Green marble"},
    {{{0, 2, 2}, {0, 1, 2}, {1, 1, 2}}, "Marble"},
    {{{0, 0, 2}, {1, 0, 2}, {2, 0, 2}}, "Checker"},
};

}  // namespace

Scene BuildPuzzle()
{
    const int frames = kSlot8;
    const float cell = 30, gap = 1.5f;
    Scene scene;
    scene.AddMaterial(Material::Textured("Marble", "marble.png"));
    scene.AddMaterial(Material::Textured("Green marble", "marble_green.jpg"));
    scene.AddMaterial(Material::Textured("Checker", "checker.png"));
    scene.AddMaterial(Material::Reflective("Chrome", "ice_env.jpg"));
    scene.AddMaterial(Material::Reflective("Studio", "studio_env.png"));
    scene.AddMaterial(Material::Textured("Tiles", "tiles.png"));
    scene.AddMaterial(Material::Textured("Oak", "wood.png"));
    scene.AddMaterial(Material::Glow("Flash", "sparkle.png"));

    // A hall of glazed tiles over an oak floor.
    Mesh room = Room("Room", {0, 0, 300}, {1400, 1400, 800}, "Tiles");  // its floor hides 100 below
    RepeatTexels(room, 8, 4.5f);
    scene.AddObject(room);
    scene.AddObject(Floor("Floor", {0, 0, 0}, 1400, 8, 7, "Oak"));

    Mesh plinth = scenekit::Cylinder("Plinth", {0, 0, 20}, 75, 40, 24, "Marble");
    scene.AddObject(plinth);
    Mesh ring = scenekit::Torus("Plinth ring", {0, 0, 40}, 75, 4, 32, 6, "Studio");
    ClearTexels(ring);
    scene.AddObject(ring);

    // The cube turns on its plinth: slowly while it is built, then a quarter
    // turn on each of the last two bars.
    const float half = 1.5f * cell;
    auto landing = [](int piece) { return (piece + 3) * kBeat; };  // one a beat from beat 3
    const int assembled = landing(8);
    Motion cubeMotion = Motion::Still({0, 0, 40 + half + 4});
    cubeMotion.rotation = SampleAngle(frames, 1, {0, 0, 1}, [&](float t) {
        const float f = t * frames;
        if (f < assembled + kBeat) return 40 * f / (assembled + kBeat);
        const float halves = (f - assembled - kBeat) / (kBar / 2);
        const int whole = static_cast<int>(halves);
        return 40 + 90 * (whole + EaseInOut((halves - whole) * 1.6f));
    });
    const int cube = scene.AddDummy(cubeMotion);

    Rng rng(11);
    for (int p = 0; p < 9; ++p) {
        const Piece &piece = kPieces[p];
        Mesh mesh;
        mesh.name = "Piece " + std::to_string(p);
        for (const auto &c : piece.cells) {
            const Vec3 at{(c[0] - 1) * cell, (c[1] - 1) * cell, (c[2] - 1) * cell};
            mesh.Append(scenekit::Box(mesh.name, at, {cell - gap, cell - gap, cell - gap},
                                      mesh.faces.empty() ? piece.material : ""));
        }
        if (std::string(piece.material) == "Chrome") ClearTexels(mesh);
        // From far out, spinning, to rest on its beat.
        const int land = landing(p);
        const int leave = std::max(0, land - 14);
        const float a = rng.Range(0, 360);
        const Vec3 from = OnCircle({0, 0, 0}, rng.Range(200, 280), a, rng.Range(40, 180));
        const Vec3 axis =
            scenekit::Normalize(rng.InBox({-1, -1, -1}, {1, 1, 1}) + Vec3{0, 0, 0.01f});
        const float turns = 180.0f * (1 + rng.Int(2));
        // Waiting pieces drift down and keep turning until they set off.
        Motion m;
        m.position = {{0, from + Vec3{0, 0, 0.8f * leave}}};
        m.rotation = {{0, axis, turns + 6.0f * leave}};
        if (leave > 0) {
            m.position.push_back({leave, from});
            m.rotation.push_back({leave, axis, turns});
        }
        for (int f = leave + 2; f < land; f += 2) {
            const float s = EaseOut(float(f - leave) / (land - leave));
            m.position.push_back({f, Lerp(from, Vec3{0, 0, 0}, s)});
            m.rotation.push_back({f, axis, turns * (1 - s)});
        }
        m.position.push_back({land, {0, 0, 0}});
        m.rotation.push_back({land, axis, 0});
        m.scale = {{0, {0.6f, 0.6f, 0.6f}}, {leave, {0.6f, 0.6f, 0.6f}}, {land, {1, 1, 1}}};
        if (leave == 0) m.scale.erase(m.scale.begin() + 1);
        scene.AddObject(mesh, m, cube);

        // A glint where the piece locks in.
        Motion flash =
            Motion::Still(OnCircle({0, 0, 0}, half + 6, 45.0f + 90 * p, 40 + cell * (p / 3) + 4));
        flash.scale = Flash(land - 1, land + 1, land + 6);
        scene.AddObject(Sprite("flash " + std::to_string(p), {0, 0, 0}, 70, "Flash"), flash);
    }

    const PathFn camera = [](float t) {
        const float e = EaseInOut(t);
        return OnCircle({0, 0, 0}, Lerp(420, 210, e), Lerp(-40, -160, e), Lerp(260, 150, e));
    };
    const PathFn target = Dolly({0, 0, 110}, {0, 0, 86}, EaseInOut);
    AddShowCamera(scene, frames, 2, camera, target, 48);

    scene.SetFrames(frames);
    return scene;
}

}  // namespace scenes
