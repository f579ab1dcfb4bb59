// The end (8 s), the closing. The letters of PLOP drop onto a marble plinth
// one per beat and "THE END" rises beneath them, while the camera arcs down
// from above to face the title; glints run over the letters as the music
// fades. Sunset chrome on white marble under an open sky.
#include <cmath>

#include "kit/kit.h"
#include "scenes.h"

namespace scenes {

using namespace kit;

namespace {

const char *const kTitle = "PLOP";
const char *const kSubtitle = "THE END";
constexpr float kTitlePixel = 16, kTitleBase = 80;
constexpr float kSubPixel = 7, kSubBase = 12;

// One object per letter; letter n lands on beat n + 1 with a small bounce.
void AddTitle(Scene &scene)
{
    const float width = scenekit::BlockTextWidth(kTitle, kTitlePixel);
    const float advance =
        scenekit::BlockTextWidth("AA", kTitlePixel) - scenekit::BlockTextWidth("A", kTitlePixel);
    for (int n = 0; kTitle[n]; n++) {
        const Vec3 origin{-width / 2 + n * advance, 0, kTitleBase};
        const std::string name = std::string("Title") + char('A' + n);
        Mesh letter =
            scenekit::BlockText(name, std::string(1, kTitle[n]), origin, kTitlePixel, 18, "Gold");
        ClearTexels(letter);
        // Leaning back, the faces mirror the bright upper half of the room.
        letter.Transform(scenekit::Translation({0, 0, kTitleBase}) *
                         scenekit::Rotation({1, 0, 0}, -22) *
                         scenekit::Translation({0, 0, -kTitleBase}));
        const int land = (n + 1) * kBeat;
        Motion drop;
        drop.position = {
            {0, {0, 0, 500}}, {land, {0, 0, 0}}, {land + 2, {0, 0, 14}}, {land + 4, {0, 0, 0}}};
        scene.AddObject(letter, drop);
    }
    const float subWidth = scenekit::BlockTextWidth(kSubtitle, kSubPixel);
    Mesh sub = scenekit::BlockText("Subtitle", kSubtitle, {-subWidth / 2, -6, kSubBase}, kSubPixel,
                                   8, "Marble");
    Motion rise;
    rise.position = {{0, {0, 0, -70}}, {kBar + kBeat, {0, 0, -70}}, {2 * kBar, {0, 0, 0}}};
    scene.AddObject(sub, rise);
}

// A low sun in the sky off to the left of the title (clear of it: glows
// draw over everything), and glints that run over the letters on the beats
// of the last two bars, hung under the sun so they draw last.
void AddGlints(Scene &scene)
{
    const Vec3 sunAt{-1100, 2200, 60};
    Mesh sun = Card("zSun", {0, 0, 0}, 900, 900, {0.45f, -1, 0}, {0, 0, 1}, "Sun");
    const int sunNode = scene.AddObject(sun, Motion::Still(sunAt));
    const float width = scenekit::BlockTextWidth(kTitle, kTitlePixel);
    Rng rng(112);
    for (int i = 0; i < 8; i++) {
        const Vec3 at{rng.Range(-width / 2, width / 2), -30,
                      kTitleBase + rng.Range(10, 7 * kTitlePixel)};
        const int beat = 2 * kBar + i * kBeat;
        Motion twinkle;
        twinkle.position = {{0, at - sunAt}};
        twinkle.scale = Flash(beat, beat + 2, beat + 7);
        scene.AddObject(
            Card("zGlint" + std::to_string(i), {0, 0, 0}, 90, 90, {0, -1, 0}, {0, 0, 1}, "Glint"),
            twinkle, sunNode);
    }
}

// Sky and sea all round, painted from strips of the sunset reflection map:
// its lower half (the sky, stored upside down) above the horizon, its upper
// half (the sea) below it, sampled left of the sun and mirrored round.
Mesh SunsetDome()
{
    Mesh dome = SkySphere("ZDome", {0, 0, 0}, 3000, 24, 12, "Dusk");
    for (auto &t : dome.texels) {
        const float x = 60 + 35 * (1 - std::cos(2 * kPi * 2 * t[0])) / 2;  // pixel column
        const float up = t[1] - 0.5f;  // -0.5 nadir .. 0.5 zenith
        const float y = up >= 0 ? 134 + up * 2 * (226 - 134) : 124 + up * 2 * (124 - 30);
        t = {x / 256, 1 - y / 256};
    }
    return dome;
}

}  // namespace

Scene BuildEnd()
{
    Scene scene;
    scene.AddMaterial(Material::Textured("Dusk", "sunset_env.png"));
    scene.AddMaterial(Material::Textured("Marble", "marble.png"));
    scene.AddMaterial(Material::Textured("GreenMarble", "marble_green.jpg"));
    scene.AddMaterial(Material::Reflective("Gold", "gold_env.png"));
    scene.AddMaterial(Material::Glow("Sun", "glow_orange.png"));
    scene.AddMaterial(Material::Glow("Glint", "sparkle.png"));

    scene.AddObject(SunsetDome(), Motion::Spin({0, 0, 0}, {0, 0, 1}, 0, kSlot8, 8));
    Mesh plinth = scenekit::Box("Plinth", {0, 20, kTitleBase - 8}, {440, 70, 16}, "GreenMarble");
    plinth.Append(scenekit::Box("Step", {0, 20, -6}, {480, 110, 28}, "GreenMarble"));
    plinth.Append(scenekit::Box("Post", {0, 30, 33}, {400, 30, 70}, "GreenMarble"));
    scene.AddObject(plinth);
    AddTitle(scene);
    AddGlints(scene);

    AddShowCamera(
        scene, kSlot8, 2,
        [](float t) {
            const float e = EaseInOut(Clamp01(t / 0.75f));
            const Vec3 arc =
                OnCircle({0, 0, 0}, Lerp(330, 540, e), Lerp(-40, -90, e), Lerp(330, 240, e));
            return arc + Vec3{0, 50 * EaseInOut(Clamp01((t - 0.75f) / 0.25f)), 0};
        },
        [](float t) {
            return Lerp(Vec3{0, 0, 60}, Vec3{0, 0, 105}, EaseInOut(Clamp01(t / 0.75f)));
        },
        45);
    scene.SetFrames(kSlot8);
    return scene;
}

}  // namespace scenes
