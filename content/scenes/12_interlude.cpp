// The interlude (8 s). Gold pixels spiral in out of the nebula and
// lock into the words "PART II" on the beat, the camera swoops down in front
// of them, a light streak sweeps the letters and a halo of sparks turns
// behind them.
#include <cmath>

#include "kit/kit.h"
#include "scenes.h"

namespace scenes {

using namespace kit;

namespace {

const char *const kWords = "PART II";
constexpr float kPixel = 10;
constexpr int kLocked = 2 * kBar;  // every pixel is home by the end of bar 2
const Vec3 kLogoCentre{0, 0, 35};

// Whether (x, z) lies inside the triangle's projection on the XZ plane.
bool InsideXZ(Vec3 p, Vec3 a, Vec3 b, Vec3 c)
{
    auto edge = [&](Vec3 u, Vec3 v) {
        return (v.x - u.x) * (p.z - u.z) - (v.z - u.z) * (p.x - u.x);
    };
    const float e0 = edge(a, b), e1 = edge(b, c), e2 = edge(c, a);
    return (e0 >= 0 && e1 >= 0 && e2 >= 0) || (e0 <= 0 && e1 <= 0 && e2 <= 0);
}

// Centres of the lit pixels of `text` laid out as scenekit::BlockText lays it
// out (origin at the left end of the baseline, reading along +X, upright
// along +Z), each at origin.y; reading order, column by column per letter.
std::vector<Vec3> TextPixels(const std::string &text, Vec3 origin, float pixel)
{
    // The font is private to scenekit: probe a unit-sized copy's front faces.
    const Mesh probe = scenekit::BlockText("probe", text, {0, 0, 0}, 1, 1, "m");
    const int advance = int(std::lround(scenekit::BlockTextWidth("A", 1))) + 1;
    std::vector<Vec3> pixels;
    for (size_t n = 0; n < text.size(); n++) {
        for (int col = 0; col < advance; col++) {
            for (int row = 0; row < 7; row++) {
                const Vec3 cell{float(n * advance + col) + 0.5f, 0, row + 0.5f};
                bool lit = false;
                for (const auto &f : probe.faces) {
                    const Vec3 a = probe.points[f.points[0]], b = probe.points[f.points[1]],
                               c = probe.points[f.points[2]];
                    if (a.y == 0 && b.y == 0 && c.y == 0 && InsideXZ(cell, a, b, c)) {
                        lit = true;
                        break;
                    }
                }
                if (lit) pixels.push_back(origin + Vec3{cell.x * pixel, 0, cell.z * pixel});
            }
        }
    }
    return pixels;
}

// Pixels arrive column by column from the left; each flies a spiral from
// deep behind the words and turns over on its way.
void AddPixels(Scene &scene, const std::vector<Vec3> &pixels, const Material &gold)
{
    const float left = pixels.front().x, right = pixels.back().x;
    Rng rng(80);
    for (size_t i = 0; i < pixels.size(); i++) {
        const Vec3 home = pixels[i];
        const float across = (home.x - left) / (right - left);
        const int arrive = int(Lerp(12, kLocked, across)) + rng.Int(3);
        const float startDeg = rng.Range(0, 360);
        const float depth = rng.Range(500, 900);
        auto cube =
            scenekit::Box("Px" + std::to_string(100 + i), home, {kPixel, kPixel, kPixel}, "Gold");
        // The pixels draw one after another in the order of their names: the
        // first turns sphere mapping on, the last off.
        ShareSphereMapping(cube, gold, i == 0, i + 1 == pixels.size());
        Motion flight;
        flight.pivot = home;
        flight.position = SampleFrames(arrive, 2, [=](float frame) {
            const float t = EaseOut(frame / arrive);
            const float swirl = startDeg + 540 * (1 - t);
            const Vec3 far = OnCircle({0, 0, 0}, 260 * (1 - t), swirl);
            return home + Vec3{far.x, depth * (1 - t), far.y};
        });
        flight.position.push_back({kSlot8, home});
        const Vec3 axis = Normalize(rng.InBox({-1, -1, -1}, {1, 1, 1}) + Vec3{0, 0, 0.01f});
        flight.rotation = {RotationKey{0, axis, 420}, RotationKey{arrive, axis, 0}};
        // After the lock, a wave of swells runs left to right on every bar.
        for (int bar = 2; bar < 4; bar++) {
            const int at = bar * kBar + int(across * 8);
            if (flight.scale.empty()) flight.scale.push_back({0, {1, 1, 1}});
            flight.scale.push_back({at, {1, 1, 1}});
            flight.scale.push_back({at + 2, {1.35f, 1.35f, 1.35f}});
            flight.scale.push_back({at + 5, {1, 1, 1}});
        }
        scene.AddObject(cube, flight);
    }
}

// A halo ring behind the words with sparks turning round it.
void AddHalo(Scene &scene)
{
    auto halo = GlowBand("zHalo", {0, 0, 0}, 500, {0, -1, 0}, {0, 0, 1}, kFlareRingInner,
                         kFlareRingOuter, 48, "Halo");
    Motion breathe;
    breathe.position = {{0, kLogoCentre + Vec3{0, 40, 0}}};
    breathe.scale = SampleScale(kSlot8, 1, [](float t) {
        const float frame = t * kSlot8;
        return (0.3f + 0.7f * EaseOut(frame / kLocked)) * (1 + 0.08f * BeatPulse(frame, kBar));
    });
    const int haloNode = scene.AddObject(halo, breathe);
    // The dummy hangs under the halo so the sparks draw after the opaque scene.
    const int turn = scene.AddDummy(Motion::Spin({0, 0, 0}, {0, 1, 0}, 0, kSlot8, -120), haloNode);
    const auto spots = Ring(20, {0, 0, 0}, 300, 0);
    for (size_t i = 0; i < spots.size(); i++) {
        const float size = i % 2 ? 45 : 70;
        // Named by colour, the sparks of one image draw one after another:
        // the player binds each image once instead of at every spark.
        const std::string colour = i % 2 ? "SparkBlue" : "Spark";
        auto spark = GlowCard("z" + colour + std::to_string(10 + i), {0, 0, 0}, size, {0, -1, 0},
                              {0, 0, 1}, colour);
        // Ring() lies in XY; the halo stands in XZ.
        scene.AddObject(spark, Motion::Still({spots[i].x, 0, spots[i].y}), turn);
    }
}

// A light streak across the letters once they have locked, and glints.
void AddFlares(Scene &scene, const std::vector<Vec3> &pixels)
{
    auto streak = Card("zStreak", {0, 0, 0}, 120, 120, {0, -1, 0}, {0, 0, 1}, "Streak");
    streak.Transform(scenekit::Scaling({2.5f, 1, 0.6f}));
    const float y = -15;
    scene.AddObject(streak, Motion::Path({{0, {-700, y, 35}},
                                          {kLocked, {-700, y, 35}},
                                          {kLocked + 14, {700, y, 35}},
                                          {kSlot8, {700, y, 35}}}));
    Rng rng(81);
    for (int i = 0; i < 6; i++) {
        const Vec3 at = pixels[rng.Int(int(pixels.size()))] + Vec3{0, -8, 0};
        auto glint =
            GlowCard("zGlint" + std::to_string(i), {0, 0, 0}, 70, {0, -1, 0}, {0, 0, 1}, "Glint");
        const int beat = kLocked + kBeat * (1 + i * 1);
        Motion twinkle;
        twinkle.position = {{0, at}};
        twinkle.scale = Flash(beat, beat + 2, beat + 6);
        scene.AddObject(glint, twinkle);
    }
}

}  // namespace

Scene BuildInterlude()
{
    Scene scene;
    scene.AddMaterial(Material::Textured("Nebula", "nebula.jpg"));
    const Material gold = AddReflective(scene, Material::Reflective("Gold", "gold_env.png"));
    scene.AddMaterial(Material::Glow("Halo", "flare_ring.png"));
    scene.AddMaterial(Material::Glow("Spark", "glow_orange.png"));
    scene.AddMaterial(Material::Glow("SparkBlue", "glow_blue.png"));
    scene.AddMaterial(Material::Glow("Glint", "sparkle.png"));
    scene.AddMaterial(Material::Glow("Streak", "beam.png"));

    auto sky = SkySphere("Sky", {0, 0, 0}, 3000, 24, 12, "Nebula");
    RepeatTexels(sky, 3, 1.5f);
    scene.AddObject(sky, Motion::Spin({0, 0, 0}, {0, 0, 1}, 0, kSlot8, 12));

    const float width = scenekit::BlockTextWidth(kWords, kPixel);
    const auto pixels = TextPixels(kWords, {-width / 2, 0, 0}, kPixel);
    AddPixels(scene, pixels, gold);
    AddHalo(scene);
    AddFlares(scene, pixels);

    AddShowCamera(
        scene, kSlot8, 2,
        [](float t) {
            const float e = EaseInOut(Clamp01(t * 1.6f));
            const Vec3 swoop =
                OnCircle({0, 0, 0}, Lerp(950, 560, e), Lerp(-140, -90, e), Lerp(320, 25, e));
            return swoop + Vec3{0, 60 * t, 0};  // a last slow push in
        },
        [](float t) {
            return Lerp(Vec3{0, 0, 120}, kLogoCentre, EaseInOut(Clamp01(t * 1.6f)));
        },
        45);
    scene.SetFrames(kSlot8);
    return scene;
}

}  // namespace scenes
