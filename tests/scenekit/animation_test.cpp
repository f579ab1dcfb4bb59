// Keys written by scenekit evaluate, after loading, to the intended node
// matrices and camera values at and between keys.
#include <cmath>

#include "primitives.h"
#include "support.h"

using namespace scenekit;
using namespace scenekit_test;

namespace {

// A scene with the default camera and one object node "Thing" moving as given.
Loaded SaveThing(const ScratchDir &dir, const Motion &motion)
{
    Scene scene;
    AddDefaultCamera(scene);
    scene.AddMaterial(Material::Plain("White", {1, 1, 1}));
    scene.AddObject(Box("Thing", {}, {1, 1, 1}, "White"), motion);
    return SaveAndLoad(scene, dir);
}

Lib3dsNode *EvalNode(Lib3dsFile *file, const char *name, float frame)
{
    lib3ds_file_eval(file, frame);
    return lib3ds_file_node_by_name(file, name, LIB3DS_OBJECT_NODE);
}

// Angle in degrees of the turn between two rotation matrices.
float AngleBetween(const Matrix &a, const Matrix &b)
{
    float trace = 0;  // of a^T b
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r) trace += a[c][r] * b[c][r];
    return std::acos(std::max(-1.0f, std::min(1.0f, (trace - 1) / 2))) * 180 / M_PI;
}

}  // namespace

TEST(Animation, PositionsMoveLinearlyBetweenUnevenKeys)
{
    ScratchDir dir;
    Loaded file =
        SaveThing(dir, Motion::Path({{0, {0, 0, 0}}, {10, {10, 0, 0}}, {40, {10, 30, 6}}}));
    ASSERT_TRUE(file);
    struct Expect {
        float frame;
        Vec3 at;
    };
    for (const Expect &e : {Expect{0, {0, 0, 0}}, Expect{5, {5, 0, 0}}, Expect{10, {10, 0, 0}},
                            Expect{25, {10, 15, 3}}, Expect{32.5f, {10, 22.5f, 4.5f}},
                            Expect{40, {10, 30, 6}}, Expect{55, {10, 30, 6}}}) {
        Lib3dsNode *node = EvalNode(file.get(), "Thing", e.frame);
        ASSERT_NE(node, nullptr);
        EXPECT_TRUE(MatrixNear(Translation(e.at), FromLib(node->matrix), 1e-4f))
            << "frame " << e.frame;
    }
}

TEST(Animation, TracksHoldTheFirstKeyBeforeIt)
{
    ScratchDir dir;
    Loaded file = SaveThing(dir, Motion::Path({{10, {1, 2, 3}}, {20, {5, 2, 3}}}));
    ASSERT_TRUE(file);
    for (float frame : {0.0f, 4.0f, 10.0f}) {
        Lib3dsNode *node = EvalNode(file.get(), "Thing", frame);
        EXPECT_TRUE(MatrixNear(Translation({1, 2, 3}), FromLib(node->matrix), 1e-5f))
            << "frame " << frame;
    }
}

TEST(Animation, SmoothPassesThroughKeysAndCurvesBetween)
{
    ScratchDir dir;
    Motion motion = Motion::Path({{0, {0, 0, 0}}, {10, {10, 0, 0}}, {20, {10, 10, 0}}});
    motion.rotation = {{0, {0, 0, 1}, 0}, {10, {0, 0, 1}, 200}, {20, {1, 0, 0}, 45}};
    motion.interpolation = Interpolation::Smooth;
    Loaded file = SaveThing(dir, motion);
    ASSERT_TRUE(file);
    EXPECT_TRUE(MatrixNear(Translation({10, 0, 0}) * Rotation({0, 0, 1}, 200),
                           FromLib(EvalNode(file.get(), "Thing", 10)->matrix), 1e-4f));
    EXPECT_TRUE(MatrixNear(Translation({10, 10, 0}) * Rotation({1, 0, 0}, 45),
                           FromLib(EvalNode(file.get(), "Thing", 20)->matrix), 1e-4f));
    // A spline bulges off the straight corner path.
    Lib3dsNode *node = EvalNode(file.get(), "Thing", 15);
    EXPECT_GT(node->matrix[3][0], 10.01f);
}

TEST(Animation, RotationAboutOneAxisFollowsAbsoluteAnglesPastHalfATurn)
{
    ScratchDir dir;
    Motion motion = Motion::Still({1, 2, 3});
    motion.rotation = {
        {0, {0, 0, 1}, 0}, {10, {0, 0, 1}, 90}, {20, {0, 0, 1}, 300}, {30, {0, 0, 1}, 400}};
    Loaded file = SaveThing(dir, motion);
    ASSERT_TRUE(file);
    struct Expect {
        float frame, angle;
    };
    for (const Expect &e : {Expect{0, 0}, Expect{5, 45}, Expect{10, 90}, Expect{15, 195},
                            Expect{20, 300}, Expect{25, 350}, Expect{30, 400}, Expect{35, 400}}) {
        const Matrix expected = Translation({1, 2, 3}) * Rotation({0, 0, 1}, e.angle);
        EXPECT_TRUE(
            MatrixNear(expected, FromLib(EvalNode(file.get(), "Thing", e.frame)->matrix), 1e-4f))
            << "frame " << e.frame;
    }
}

TEST(Animation, SpinTurnsAtConstantSpeedForSeveralTurns)
{
    ScratchDir dir;
    Loaded file = SaveThing(dir, Motion::Spin({}, {0, 1, 0}, 10, 90, 720));
    ASSERT_TRUE(file);
    for (float frame : {0.0f, 10.0f, 20.0f, 30.0f, 45.0f, 50.0f, 70.0f, 85.0f, 90.0f}) {
        const float angle = frame <= 10 ? 0 : 720 * (frame - 10) / 80;
        EXPECT_TRUE(MatrixNear(Rotation({0, 1, 0}, angle),
                               FromLib(EvalNode(file.get(), "Thing", frame)->matrix), 1e-4f))
            << "frame " << frame << ", expected angle " << angle;
    }
}

TEST(Animation, RotationsAboutDifferentAxesReachEachKeyTheShortestWay)
{
    ScratchDir dir;
    Motion motion;
    const std::vector<RotationKey> keys = {
        {0, {0, 0, 1}, 30}, {10, {1, 0, 0}, 60}, {20, {1, 1, 1}, 100}, {30, {0, -1, 0}, -170}};
    motion.rotation = keys;
    Loaded file = SaveThing(dir, motion);
    ASSERT_TRUE(file);
    for (const RotationKey &k : keys)
        EXPECT_TRUE(MatrixNear(Rotation(k.axis, k.angleDeg),
                               FromLib(EvalNode(file.get(), "Thing", k.frame)->matrix), 1e-4f))
            << "key at frame " << k.frame;
    // Halfway between two keys the node is half the (shortest) turn away from each.
    for (size_t i = 1; i < keys.size(); ++i) {
        const Matrix from = Rotation(keys[i - 1].axis, keys[i - 1].angleDeg);
        const Matrix to = Rotation(keys[i].axis, keys[i].angleDeg);
        const float whole = AngleBetween(from, to);
        ASSERT_LE(whole, 180.0f);
        const Matrix middle = FromLib(
            EvalNode(file.get(), "Thing", (keys[i - 1].frame + keys[i].frame) / 2.0f)->matrix);
        EXPECT_NEAR(AngleBetween(from, middle), whole / 2, 0.05f)
            << "after frame " << keys[i - 1].frame;
        EXPECT_NEAR(AngleBetween(middle, to), whole / 2, 0.05f) << "before frame " << keys[i].frame;
    }
}

TEST(Animation, ScaleKeysScaleTheNodeLinearly)
{
    ScratchDir dir;
    Motion motion = Motion::Still({0, 0, 0});
    motion.rotation = {{0, {0, 0, 1}, 90}};
    motion.scale = {{0, {1, 1, 1}}, {20, {3, 5, 1}}};
    Loaded file = SaveThing(dir, motion);
    ASSERT_TRUE(file);
    const Matrix expected = Rotation({0, 0, 1}, 90) * Scaling({2, 3, 1});
    EXPECT_TRUE(MatrixNear(expected, FromLib(EvalNode(file.get(), "Thing", 10)->matrix), 1e-4f));
}

TEST(Animation, ChildMatrixIsParentTimesOwn)
{
    ScratchDir dir;
    Scene scene;
    AddDefaultCamera(scene);
    scene.AddMaterial(Material::Plain("White", {1, 1, 1}));
    Motion parentMotion = Motion::Spin({10, 0, 0}, {0, 0, 1}, 0, 20, 180);
    parentMotion.scale = {{0, {2, 2, 2}}};
    const int parent = scene.AddDummy(parentMotion);
    Motion childMotion = Motion::Path({{0, {5, 0, 0}}, {20, {5, 0, 10}}});
    childMotion.rotation = {{0, {1, 0, 0}, 0}, {20, {1, 0, 0}, 90}};
    const int child = scene.AddObject(Box("Moon", {}, {1, 1, 1}, "White"), childMotion, parent);
    scene.AddObject(Box("Speck", {}, {1, 1, 1}, "White"), Motion::Still({1, 0, 0}), child);
    Loaded file = SaveAndLoad(scene, dir);
    ASSERT_TRUE(file);
    lib3ds_file_eval(file.get(), 10);
    Lib3dsNode *moon = lib3ds_file_node_by_name(file.get(), "Moon", LIB3DS_OBJECT_NODE);
    Lib3dsNode *speck = lib3ds_file_node_by_name(file.get(), "Speck", LIB3DS_OBJECT_NODE);
    ASSERT_NE(moon, nullptr);
    ASSERT_NE(speck, nullptr);
    ASSERT_NE(moon->parent, nullptr);
    EXPECT_STREQ(moon->parent->name, kDummyName);
    EXPECT_EQ(speck->parent, moon);
    const Matrix parentWorld =
        Translation({10, 0, 0}) * Rotation({0, 0, 1}, 90) * Scaling({2, 2, 2});
    const Matrix moonWorld = parentWorld * Translation({5, 0, 5}) * Rotation({1, 0, 0}, 45);
    EXPECT_TRUE(MatrixNear(moonWorld, FromLib(moon->matrix), 1e-4f));
    EXPECT_TRUE(MatrixNear(moonWorld * Translation({1, 0, 0}), FromLib(speck->matrix), 1e-4f));
}

TEST(Animation, PivotIsTheMeshPointPlacedAtTheNodePosition)
{
    ScratchDir dir;
    Motion motion = Motion::Spin({0, 0, 20}, {0, 0, 1}, 0, 10, 90);
    motion.pivot = {4, 0, 0};
    Loaded file = SaveThing(dir, motion);
    ASSERT_TRUE(file);
    Lib3dsNode *node = EvalNode(file.get(), "Thing", 10);
    EXPECT_TRUE(VecNear({4, 0, 0}, node->data.object.pivot, 0));
    // The player draws mesh point p at matrix x (p - pivot).
    const Matrix drawn = FromLib(node->matrix) * Translation({-4, 0, 0});
    const Vec3 pivotPoint = TransformPoint(drawn, {4, 0, 0});
    const Vec3 tip = TransformPoint(drawn, {5, 0, 0});
    EXPECT_NEAR(pivotPoint.x, 0, 1e-4f);
    EXPECT_NEAR(pivotPoint.z, 20, 1e-4f);
    EXPECT_NEAR(tip.y, 1, 1e-4f);  // a quarter turn about the pivot
}

TEST(Animation, CameraFovAndRollKeysInterpolateInDegrees)
{
    ScratchDir dir;
    Scene scene;
    scene.AddCamera({"Camera01", {0, -10, 0}, {0, 0, 0}, 45, 0});
    Node camera;
    camera.type = NodeType::Camera;
    camera.name = "Camera01";
    camera.motion.position = {{0, {0, -10, 0}}, {10, {0, -20, 0}}};
    camera.fov = {{0, 40}, {10, 60}};
    camera.roll = {{0, 0}, {10, 90}};
    scene.AddNode(camera);
    Node target;
    target.type = NodeType::Target;
    target.name = "Camera01";
    target.motion.position = {{0, {0, 0, 0}}, {10, {4, 0, 0}}};
    scene.AddNode(target);
    Loaded file = SaveAndLoad(scene, dir);
    ASSERT_TRUE(file);
    lib3ds_file_eval(file.get(), 2.5f);
    Lib3dsNode *c = lib3ds_file_node_by_name(file.get(), "Camera01", LIB3DS_CAMERA_NODE);
    Lib3dsNode *t = lib3ds_file_node_by_name(file.get(), "Camera01", LIB3DS_TARGET_NODE);
    ASSERT_NE(c, nullptr);
    ASSERT_NE(t, nullptr);
    EXPECT_NEAR(c->data.camera.fov, 45, 1e-4f);
    EXPECT_NEAR(c->data.camera.roll, 22.5f, 1e-4f);
    EXPECT_TRUE(VecNear({0, -12.5f, 0}, c->data.camera.pos, 1e-4f));
    EXPECT_TRUE(VecNear({1, 0, 0}, t->data.target.pos, 1e-4f));
}

TEST(Animation, UntouchedTracksRestAtTheirNeutralValues)
{
    ScratchDir dir;
    Loaded file = SaveThing(dir, Motion());
    ASSERT_TRUE(file);
    for (float frame : {0.0f, 7.0f})
        EXPECT_TRUE(
            MatrixNear(Identity(), FromLib(EvalNode(file.get(), "Thing", frame)->matrix), 0))
            << "frame " << frame;
}

TEST(Animation, CameraAndTargetNodesWithoutKeysRestAtTheCameraRecord)
{
    ScratchDir dir;
    Scene scene;
    scene.AddCamera({"Camera01", {1, 2, 3}, {4, 5, 6}, 33, 7});
    Node camera;
    camera.type = NodeType::Camera;
    camera.name = "Camera01";
    scene.AddNode(camera);
    Node target = camera;
    target.type = NodeType::Target;
    scene.AddNode(target);
    Loaded file = SaveAndLoad(scene, dir);
    ASSERT_TRUE(file);
    lib3ds_file_eval(file.get(), 3);
    Lib3dsNode *c = lib3ds_file_node_by_name(file.get(), "Camera01", LIB3DS_CAMERA_NODE);
    Lib3dsNode *t = lib3ds_file_node_by_name(file.get(), "Camera01", LIB3DS_TARGET_NODE);
    ASSERT_NE(c, nullptr);
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(VecNear({1, 2, 3}, c->data.camera.pos, 1e-5f));
    EXPECT_NEAR(c->data.camera.fov, 33, 1e-4f);
    EXPECT_NEAR(c->data.camera.roll, 7, 1e-4f);
    EXPECT_TRUE(VecNear({4, 5, 6}, t->data.target.pos, 1e-5f));
}
