// The near and far ranges written with each camera hold everything the
// player draws through it, for readers that clip with them.
#include <lib3ds/camera.h>

#include <cmath>
#include <cstring>

#include "primitives.h"
#include "scenelimits.h"
#include "support.h"

using namespace scenekit;
using namespace scenekit_test;

namespace {

// A square of side `size` centred at the origin of its node, facing -Y.
Mesh Upright(const std::string &name, float size)
{
    Mesh quad = Grid(name, {0, 0, 0}, size, size, 1, 1, 1, "White");
    quad.Transform(Rotation({1, 0, 0}, 90));
    return quad;
}

Lib3dsCamera *CameraOf(Lib3dsFile *file, const char *name)
{
    for (Lib3dsCamera *c = file->cameras; c; c = c->next)
        if (std::strcmp(c->name, name) == 0) return c;
    return nullptr;
}

}  // namespace

// The nearest point is inside a face, at the moment the camera comes
// closest; the farthest is a corner of a face on a moving parent.
TEST(CameraRanges, HoldTheNearestAndFarthestFaceOverTheAnimation)
{
    ScratchDir dir;
    Scene scene;
    scene.AddMaterial(Material::Plain("White", {1, 1, 1}));
    scene.AddAnimatedCamera("Camera01", {{0, {0, -100, 0}}, {10, {0, -40, 0}}, {20, {0, -100, 0}}},
                            {{0, {0, 0, 0}}}, 45);
    scene.AddObject(Upright("Near", 200), Motion::Still({0, 0, 0}));
    const int carrier = scene.AddDummy(Motion::Path({{0, {0, 500, 0}}, {20, {0, 3000, 0}}}));
    scene.AddObject(Upright("Far", 200), Motion::Still({0, 0, 0}), carrier);
    Loaded file = SaveAndLoad(scene, dir);
    ASSERT_TRUE(file);
    const Lib3dsCamera *camera = CameraOf(file.get(), "Camera01");
    ASSERT_NE(camera, nullptr);

    const double nearest = 40;  // the middle of "Near" at frame 10
    const double farthest =
        std::sqrt(3100.0 * 3100 + 2 * 100 * 100);  // a corner of "Far" at frame 20
    EXPECT_LE(camera->near_range, nearest);
    EXPECT_GE(camera->near_range, nearest / 4) << "needlessly near";
    EXPECT_GE(camera->far_range, farthest);
    EXPECT_LE(camera->far_range, 2 * farthest) << "needlessly far";
}

TEST(CameraRanges, EachCameraIsMeasuredFromItsOwnNode)
{
    ScratchDir dir;
    Scene scene;
    scene.AddMaterial(Material::Plain("White", {1, 1, 1}));
    scene.AddAnimatedCamera("Camera01", {{0, {0, -100, 0}}}, {{0, {0, 0, 0}}}, 45);
    scene.AddAnimatedCamera("Camera02", {{0, {0, -100, 0}}, {10, {0, -1000, 0}}}, {{0, {0, 0, 0}}},
                            45);
    scene.AddObject(Upright("Square", 20), Motion::Still({0, 0, 0}));
    Loaded file = SaveAndLoad(scene, dir);
    ASSERT_TRUE(file);
    const Lib3dsCamera *still = CameraOf(file.get(), "Camera01");
    const Lib3dsCamera *leaving = CameraOf(file.get(), "Camera02");
    ASSERT_TRUE(still && leaving);
    EXPECT_GE(still->far_range, std::sqrt(100.0 * 100 + 2 * 10 * 10));
    EXPECT_LT(still->far_range, 1000);
    EXPECT_GE(leaving->far_range, std::sqrt(1000.0 * 1000 + 2 * 10 * 10));
    EXPECT_LE(leaving->near_range, 100);
}

// Nothing nearer than the player's near plane or beyond its far plane is
// drawn, so the ranges need not reach further; nor can they be empty.
TEST(CameraRanges, StayWithinThePlayersClipPlanes)
{
    struct Case {
        const char *what;
        Vec3 squareAt;  // none drawn when far beyond the planes' reach below
        bool withSquare;
        float near, far;  // expected; 0: only bounded by the planes
    };
    const float nearPlane = static_cast<float>(scenelimits::NearPlane);
    const float farPlane = static_cast<float>(scenelimits::FarPlane);
    const Case cases[] = {
        {"a face through the eye", {0, -100, 0}, true, nearPlane, 0},
        {"a face beyond the far plane", {0, 30000, 0}, true, 0, farPlane},
        {"no face at all", {}, false, nearPlane, farPlane},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        Scene scene;
        scene.AddMaterial(Material::Plain("White", {1, 1, 1}));
        AddDefaultCamera(scene);
        if (c.withSquare) scene.AddObject(Upright("Square", 20), Motion::Still(c.squareAt));
        Loaded file = SaveAndLoad(scene, dir);
        ASSERT_TRUE(file);
        const Lib3dsCamera *camera = file->cameras;
        ASSERT_NE(camera, nullptr);
        EXPECT_GE(camera->near_range, nearPlane);
        EXPECT_LE(camera->far_range, farPlane);
        EXPECT_LT(camera->near_range, camera->far_range);
        if (c.near > 0) {
            EXPECT_EQ(camera->near_range, c.near);
        }
        if (c.far > 0) {
            EXPECT_EQ(camera->far_range, c.far);
        }
    }
}
