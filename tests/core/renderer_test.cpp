// Drawing a scene offscreen: what lands where, lighting, texturing, additive
// transparency, sphere mapping, the node tree, display lists, the animation
// step after each picture, and the ways playing ends the process.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <lib3ds/mesh.h>
#include <math.h>

#include <string>
#include <vector>

#include "main.h"
#include "primitives.h"
#include "scenes.h"

namespace {

using coretest::Project;
using coretest::Rgb;
using coretest::SceneTest;
using coretest::Vec3;
using scenekit::Material;
using scenekit::Mesh;
using scenekit::Motion;
using scenekit::Scene;
using scenekit::operator*;
using showtest::Image;

const Rgb Black{0, 0, 0}, Red{255, 0, 0}, Green{0, 255, 0}, Blue{0, 0, 255}, White{255, 255, 255};

// A face turned towards the head light by cosine c: front ambient 0.2 times
// the default light-model ambient 0.2, plus front diffuse 0.8 times c.
Rgb Lit(Rgb texel, float c = 1)
{
    const float k = 0.2f * 0.2f + 0.8f * c;
    return {int(lroundf(texel.r * k)), int(lroundf(texel.g * k)), int(lroundf(texel.b * k))};
}

const Vec3 Eye{0, -100, 0};
const Vec3 Origin{0, 0, 0};

class RendererTest : public SceneTest {
protected:
    // Colour of the picture where a world point lands, seen from eye towards target.
    Rgb ColourAt(const Image &image, Vec3 point, Vec3 eye = Eye, Vec3 target = Origin,
                 float fov = 45)
    {
        const coretest::ScreenPoint p = Project(point, eye, target, fov, image.width, image.height);
        EXPECT_TRUE(p.x >= 0 && p.x < image.width && p.y >= 0 && p.y < image.height)
            << "(" << point.x << ", " << point.y << ", " << point.z << ") is off the picture";
        return image.At(int(p.x), int(p.y));
    }
    // A textured material whose own colours the renderer must not use.
    static Material Painted(const std::string &name, const std::string &image)
    {
        Material m = Material::Textured(name, image);
        m.ambient = {1, 0, 1};
        m.diffuse = {0.1f, 0.5f, 0.1f};
        m.specular = {1, 1, 1};
        m.shininess = 1;
        return m;
    }
    static Material Glow(const std::string &name, const std::string &image, float transparency)
    {
        Material m = Material::Glow(name, image);
        m.transparency = transparency;
        return m;
    }
};

#define EXPECT_COLOUR(expected, actual, tolerance)                                                 \
    EXPECT_LE(showtest::ColourDistance(expected, actual), tolerance)                               \
        << "expected " << (expected) << ", saw " << (actual)

struct CameraCase {
    const char *name;
    Vec3 eye;
    Vec3 target;
    float fov;
};
void PrintTo(const CameraCase &view, std::ostream *out)
{
    *out << view.name;
}

class CameraTest : public RendererTest, public ::testing::WithParamInterface<CameraCase> {};

TEST_P(CameraTest, SquaresLandWhereTheCameraSeesThem)
{
    const CameraCase view = GetParam();
    WriteSolidImage("red.png", Red);
    WriteSolidImage("green.png", Green);
    WriteSolidImage("blue.png", Blue);
    Scene scene;
    coretest::AddCamera(&scene, view.eye, view.target, view.fov);
    scene.AddMaterial(Painted("R", "red.png"));
    scene.AddMaterial(Painted("G", "green.png"));
    scene.AddMaterial(Painted("B", "blue.png"));
    scene.AddObject(coretest::FacingSquare("Centre", {0, 0, 0}, 20, "R"));
    scene.AddObject(coretest::FacingSquare("Left", {-35, 0, 0}, 10, "G"));
    scene.AddObject(coretest::FacingSquare("Top", {0, 0, 28}, 10, "B"));
    SaveScene(scene, "view.3ds");
    auto opened = Open("view.3ds");
    const Image picture = Draw(opened.get(), 0);

    // The head light shines along the line of sight.
    const Vec3 sight = scenekit::Normalize(view.eye - view.target);
    const float facing = scenekit::Dot(sight, {0, -1, 0});
    auto at = [&](Vec3 p) { return ColourAt(picture, p, view.eye, view.target, view.fov); };
    EXPECT_COLOUR(Lit(Red, facing), at({0, 0, 0}), 3);
    EXPECT_COLOUR(Lit(Green, facing), at({-35, 0, 0}), 3);
    EXPECT_COLOUR(Lit(Blue, facing), at({0, 0, 28}), 3);
    // Nothing where the mirrored squares would be.
    EXPECT_EQ(Black, at({35, 0, 0}));
    EXPECT_EQ(Black, at({0, 0, -28}));

    // Projection from the camera node's field of view, 4:3 whatever the
    // picture, near 0.1 and far 20000.
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    const float f = 1 / tanf(view.fov * float(M_PI) / 360);
    EXPECT_NEAR(f, projection[5], 1e-4);
    EXPECT_NEAR(f / 1.333f, projection[0], 1e-4);
    const double nearPlane = 0.1, farPlane = 20000;
    EXPECT_NEAR(-(farPlane + nearPlane) / (farPlane - nearPlane), projection[10], 2e-6);
    EXPECT_NEAR(-2 * farPlane * nearPlane / (farPlane - nearPlane), projection[14], 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Views, CameraTest,
                         ::testing::Values(CameraCase{"head_on", Eye, Origin, 45},
                                           CameraCase{"shifted", {10, -90, 5}, {10, 0, 5}, 60},
                                           CameraCase{"oblique", {50, -80, 20}, {0, 0, 0}, 50}),
                         [](const ::testing::TestParamInfo<CameraCase> &info) {
                             return info.param.name;
                         });

TEST_F(RendererTest, HeadLightFollowsTheCamera)
{
    WriteSolidImage("white.png", White);
    Scene scene;
    coretest::AddCamera(&scene, Eye, Origin);
    scene.AddMaterial(Painted("W", "white.png"));
    scene.AddObject(coretest::FacingSquare("Square", {0, 0, 0}, 30, "W"));
    SaveScene(scene, "light.3ds");
    auto opened = Open("light.3ds");
    const GLfloat elsewhere[4] = {1, 0, 0, 0};
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_POSITION, elsewhere);
    Draw(opened.get(), 0);
    // (0, -1, 0, 0) given under the -90 degree turn: (0, 0, 1, 0) in eye space.
    GLfloat position[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    EXPECT_NEAR(0, position[0], 1e-6);
    EXPECT_NEAR(0, position[1], 1e-6);
    EXPECT_NEAR(1, position[2], 1e-6);
    EXPECT_EQ(0, position[3]);
}

TEST_F(RendererTest, TexelsShowTheImageUpright)
{
    // Quadrants: red top left, green top right, blue bottom left, white bottom right.
    std::vector<Rgb> pixels;
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++)
            pixels.push_back(y < 4 ? (x < 4 ? Red : Green) : (x < 4 ? Blue : White));
    ASSERT_TRUE(
        showtest::WriteRgbPng(workDir_.DataPath("quads.png"), 8, 8, showtest::RgbFrom(pixels)));
    Scene scene;
    coretest::AddCamera(&scene, Eye, Origin);
    scene.AddMaterial(Painted("Q", "quads.png"));
    scene.AddObject(coretest::FacingSquare("Square", {0, 0, 0}, 40, "Q"));
    SaveScene(scene, "upright.3ds");
    auto opened = Open("upright.3ds");
    const Image picture = Draw(opened.get(), 0);
    EXPECT_COLOUR(Lit(Red), ColourAt(picture, {-12, 0, 12}), 3);
    EXPECT_COLOUR(Lit(Green), ColourAt(picture, {12, 0, 12}), 3);
    EXPECT_COLOUR(Lit(Blue), ColourAt(picture, {-12, 0, -12}), 3);
    EXPECT_COLOUR(Lit(White), ColourAt(picture, {12, 0, -12}), 3);
}

TEST_F(RendererTest, MeshWithoutTexelsGetsTheFixedCornerCoordinates)
{
    std::vector<Rgb> pixels;
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++)
            pixels.push_back(y < 4 ? (x < 4 ? Red : Green) : (x < 4 ? Blue : White));
    ASSERT_TRUE(
        showtest::WriteRgbPng(workDir_.DataPath("quads.png"), 8, 8, showtest::RgbFrom(pixels)));
    Mesh triangle;
    triangle.name = "Triangle";
    const Vec3 p0{-30, 0, -20}, p1{30, 0, -20}, p2{0, 0, 30};
    triangle.points = {p0, p1, p2};
    triangle.faces = {{{0, 1, 2}, "Q"}};
    Scene scene;
    coretest::AddCamera(&scene, Eye, Origin);
    scene.AddMaterial(Painted("Q", "quads.png"));
    scene.AddObject(triangle);
    SaveScene(scene, "fixed.3ds");
    auto opened = Open("fixed.3ds");
    const Image picture = Draw(opened.get(), 0);

    // (0, 0), (0, 1), (1, 1) at the three corners: the image's top left,
    // bottom left and bottom right; its top right never shows.
    auto near = [](Vec3 a, Vec3 b, Vec3 c) { return 0.7f * a + 0.15f * b + 0.15f * c; };
    EXPECT_COLOUR(Lit(Red), ColourAt(picture, near(p0, p1, p2)), 3);
    EXPECT_COLOUR(Lit(Blue), ColourAt(picture, near(p1, p2, p0)), 3);
    EXPECT_COLOUR(Lit(White), ColourAt(picture, near(p2, p0, p1)), 3);
}

TEST_F(RendererTest, FirstPictureShowsFrameZeroAndEachPlayEvaluatesAfterDrawing)
{
    WriteSolidImage("red.png", Red);
    Scene scene;
    coretest::AddCamera(&scene, Eye, Origin);
    scene.AddMaterial(Painted("R", "red.png"));
    scene.AddObject(coretest::FacingSquare("Mover", {0, 0, 0}, 20, "R"),
                    Motion::Path({{0, {0, 0, 0}}, {10, {100, 0, 0}}}));
    SaveScene(scene, "move.3ds");
    auto opened = Open("move.3ds");
    Lib3dsNode *mover = coretest::FindNode(opened->file, "Mover", LIB3DS_OBJECT_NODE);
    ASSERT_NE(nullptr, mover);

    Image picture = Draw(opened.get(), 250);
    EXPECT_COLOUR(Lit(Red), ColourAt(picture, {0, 0, 0}), 3) << "the first picture is frame 0";
    EXPECT_NEAR(25, mover->matrix[3][0], 1e-3) << "Play(250) evaluates frame 2.5";

    picture = Draw(opened.get(), 0);
    EXPECT_COLOUR(Lit(Red), ColourAt(picture, {25, 0, 0}), 3) << "this picture is frame 2.5";
    EXPECT_EQ(Black, ColourAt(picture, {0, 0, 0}));
    EXPECT_NEAR(0, mover->matrix[3][0], 1e-3);

    opened->Play(1);
    EXPECT_NEAR(0.1, mover->matrix[3][0], 1e-4);
    opened->Play(99999);
    EXPECT_NEAR(100, mover->matrix[3][0], 1e-3) << "past the last key the node stays there";
}

TEST_F(RendererTest, CameraFollowsItsKeys)
{
    WriteSolidImage("red.png", Red);
    Scene scene;
    scene.AddAnimatedCamera("Camera01", {{0, Eye}, {10, {40, -100, 0}}},
                            {{0, Origin}, {10, {40, 0, 0}}}, 45);
    scene.AddMaterial(Painted("R", "red.png"));
    scene.AddObject(coretest::FacingSquare("Square", {0, 0, 0}, 20, "R"));
    SaveScene(scene, "pan.3ds");
    auto opened = Open("pan.3ds");
    Draw(opened.get(), 1000);
    const Image picture = Draw(opened.get(), 0);
    const Vec3 eye{40, -100, 0}, target{40, 0, 0};
    EXPECT_COLOUR(Lit(Red), ColourAt(picture, {0, 0, 0}, eye, target), 3);
    EXPECT_EQ(Black, ColourAt(picture, {40, 0, 0}, eye, target));
}

TEST_F(RendererTest, PivotAndMeshMatrixPlaceTheMesh)
{
    WriteSolidImage("red.png", Red);
    WriteSolidImage("green.png", Green);
    Scene scene;
    coretest::AddCamera(&scene, Eye, Origin);
    scene.AddMaterial(Painted("R", "red.png"));
    scene.AddMaterial(Painted("G", "green.png"));
    // Points stored moved by the mesh's own matrix, as 3DS keeps them: the
    // renderer takes them back to the mesh frame, where the node is at 0.
    Mesh offset = coretest::FacingSquare("Offset", {30, 0, 0}, 20, "R");
    offset.matrix = scenekit::Translation({30, 0, 0});
    scene.AddObject(offset, Motion::Still({0, 0, 0}));
    // The pivot is the mesh point that sits at the node's position.
    Motion pivoted = Motion::Still({-20, 0, 20});
    pivoted.pivot = {10, 0, 0};
    scene.AddObject(coretest::FacingSquare("Pivoted", {0, 0, 0}, 10, "G"), pivoted);
    SaveScene(scene, "pivot.3ds");
    auto opened = Open("pivot.3ds");
    const Image picture = Draw(opened.get(), 0);
    EXPECT_COLOUR(Lit(Red), ColourAt(picture, {0, 0, 0}), 3);
    EXPECT_EQ(Black, ColourAt(picture, {30, 0, 0}));
    EXPECT_COLOUR(Lit(Green), ColourAt(picture, {-30, 0, 20}), 3);
    EXPECT_EQ(Black, ColourAt(picture, {-20, 0, 20}));
}

TEST_F(RendererTest, TransparencyAddsUnlitAndIgnoresDepthThenOpaqueFacesRestoreTheState)
{
    ASSERT_TRUE(showtest::WriteRgbPng(workDir_.DataPath("r.png"), 4, 4,
                                      showtest::SolidRgb(4, 4, {120, 0, 0})));
    ASSERT_TRUE(showtest::WriteRgbPng(workDir_.DataPath("g.png"), 4, 4,
                                      showtest::SolidRgb(4, 4, {0, 90, 0})));
    WriteSolidImage("blue.png", Blue);
    WriteSolidImage("green.png", Green);
    Scene scene;
    coretest::AddCamera(&scene, Eye, Origin);
    scene.AddMaterial(Glow("GlowR", "r.png", 0.5f));
    scene.AddMaterial(Glow("GlowG", "g.png", 0.1f));  // any amount is the same
    scene.AddMaterial(Painted("Wall", "blue.png"));
    scene.AddMaterial(Painted("Back", "green.png"));
    // Drawn in this order: a wall in front, two glows behind it, then an
    // opaque square partly behind the wall.
    scene.AddObject(coretest::FacingSquare("A_Wall", {25, -10, 0}, 30, "Wall"));
    scene.AddObject(coretest::FacingSquare("B_GlowR", {0, 0, 0}, 40, "GlowR"));
    scene.AddObject(coretest::FacingSquare("C_GlowG", {-20, 0, 10}, 30, "GlowG"));
    scene.AddObject(coretest::FacingSquare("D_Back", {35, 20, -20}, 30, "Back"));
    SaveScene(scene, "glow.3ds");
    auto opened = Open("glow.3ds");
    const Image picture = Draw(opened.get(), 0);

    EXPECT_COLOUR((Rgb{120, 0, 0}), ColourAt(picture, {5, 0, -10}), 2) << "glow alone, unlit";
    EXPECT_COLOUR((Rgb{120, 90, 0}), ColourAt(picture, {-10, 0, 5}), 2) << "two glows add";
    EXPECT_COLOUR((Rgb{0, 90, 0}), ColourAt(picture, {-30, 0, 20}), 2);
    EXPECT_COLOUR((Rgb{120, 0, Lit(Blue).b}), ColourAt(picture, {15, 0, 0}), 3)
        << "a glow behind an opaque wall still adds";
    EXPECT_COLOUR(Lit(Blue), ColourAt(picture, {30, 20, -10}), 3)
        << "an opaque square behind the wall, drawn after the glows, is hidden";
    EXPECT_COLOUR(Lit(Green), ColourAt(picture, {40, 20, -30}), 3)
        << "an opaque square after the glows is lit again";
    EXPECT_EQ(Black, ColourAt(picture, {-45, 0, -30}));

    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(0, opened->blending);

    // The lists replay the same state changes in every later picture.
    const Image again = Draw(opened.get(), 0);
    EXPECT_TRUE(again.rgb == picture.rgb) << "the second picture differs from the first";
}

TEST_F(RendererTest, EveryPictureStartsWithBlendingOffLightingCullingAndDepthOn)
{
    WriteSolidImage("red.png", Red);
    WriteSolidImage("green.png", Green);
    Scene scene;
    coretest::AddCamera(&scene, Eye, Origin);
    scene.AddMaterial(Painted("R", "red.png"));
    scene.AddMaterial(Painted("G", "green.png"));
    scene.AddMaterial(Glow("Glow", "green.png", 0.5f));
    // A near square over a far one (depth), a square facing away (culling),
    // all lit; the last node leaves blending on after its list.
    scene.AddObject(coretest::FacingSquare("A_Near", {0, -20, 0}, 20, "R"));
    scene.AddObject(coretest::FacingSquare("B_Far", {0, 20, 0}, 40, "G"));
    Mesh away = coretest::FacingSquare("C_Away", {0, 0, 0}, 20, "G");
    away.Transform(scenekit::Translation({-35, 0, 20}) * scenekit::Rotation({0, 0, 1}, 180));
    scene.AddObject(away);
    scene.AddObject(coretest::FacingSquare("D_Glow", {35, 0, -25}, 10, "Glow"));
    SaveScene(scene, "state.3ds");
    auto opened = Open("state.3ds");
    const Image first = Draw(opened.get(), 0);
    EXPECT_TRUE(glIsEnabled(GL_BLEND)) << "the last list left blending on";
    EXPECT_COLOUR(Lit(Red), ColourAt(first, {0, 0, 0}), 3);
    EXPECT_EQ(Black, ColourAt(first, {-35, 0, 20}));

    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    const Image second = Draw(opened.get(), 0);
    EXPECT_TRUE(second.rgb == first.rgb) << "a picture depends on the state left before it";
}

TEST_F(RendererTest, FacesOfOneMeshBindTheirOwnTextures)
{
    WriteSolidImage("red.png", Red);
    WriteSolidImage("green.png", Green);
    Scene scene;
    coretest::AddCamera(&scene, Eye, Origin);
    scene.AddMaterial(Painted("R", "red.png"));
    scene.AddMaterial(Painted("G", "green.png"));
    Mesh square = coretest::FacingSquare("Square", {0, 0, 0}, 40, "R");
    ASSERT_EQ(2u, square.faces.size());
    square.faces[1].material = "G";
    scene.AddObject(square);
    SaveScene(scene, "two.3ds");
    auto opened = Open("two.3ds");
    const Image picture = Draw(opened.get(), 0);
    for (int f = 0; f < 2; f++) {
        Vec3 centroid;
        for (unsigned p : square.faces[f].points)
            centroid = centroid + square.points[p] * (1.0f / 3);
        EXPECT_COLOUR(Lit(f == 0 ? Red : Green), ColourAt(picture, centroid), 3) << "face " << f;
    }
}

TEST_F(RendererTest, TransparentFacesAreDrawnFromBothSides)
{
    WriteSolidImage("red.png", Red);
    Scene scene;
    coretest::AddCamera(&scene, Eye, Origin);
    scene.AddMaterial(Glow("Glow", "red.png", 0.5f));
    scene.AddMaterial(Painted("Paint", "red.png"));
    // Both squares turned to face away from the camera.
    Mesh away = coretest::FacingSquare("Away", {0, 0, 0}, 20, "Glow");
    away.Transform(scenekit::Translation({-20, 0, 0}) * scenekit::Rotation({0, 0, 1}, 180));
    Mesh opaqueAway = coretest::FacingSquare("OpaqueAway", {0, 0, 0}, 20, "Paint");
    opaqueAway.Transform(scenekit::Translation({20, 0, 0}) * scenekit::Rotation({0, 0, 1}, 180));
    scene.AddObject(away);
    scene.AddObject(opaqueAway);
    SaveScene(scene, "sides.3ds");
    auto opened = Open("sides.3ds");
    const Image picture = Draw(opened.get(), 0);
    EXPECT_COLOUR(Red, ColourAt(picture, {-20, 0, 0}), 2) << "transparent back face";
    EXPECT_EQ(Black, ColourAt(picture, {20, 0, 0})) << "opaque back face is culled";
}

TEST_F(RendererTest, DummiesAndNodesWithoutMeshAreSkippedButTheirChildrenDrawn)
{
    WriteSolidImage("red.png", Red);
    WriteSolidImage("green.png", Green);
    WriteSolidImage("white.png", White);
    Scene scene;
    coretest::AddCamera(&scene, Eye, Origin);
    scene.AddMaterial(Painted("R", "red.png"));
    scene.AddMaterial(Painted("G", "green.png"));
    scene.AddMaterial(Painted("W", "white.png"));
    // A mesh of the dummy's name: it must never be drawn.
    scene.AddMesh(coretest::FacingSquare(scenekit::kDummyName, {0, 10, 0}, 300, "W"));
    const int dummy = scene.AddDummy(Motion::Still({-30, 0, 0}));
    scene.AddObject(coretest::FacingSquare("DummysChild", {0, 0, 0}, 16, "R"), Motion(), dummy);
    scenekit::Node ghost;
    ghost.name = "Ghost";
    ghost.motion = Motion::Still({30, 0, 0});
    const int ghostIndex = scene.AddNode(ghost);
    scene.AddObject(coretest::FacingSquare("GhostsChild", {0, 0, 0}, 16, "G"), Motion(),
                    ghostIndex);
    SaveScene(scene, "tree.3ds", false);
    auto opened = Open("tree.3ds");
    const Image picture = Draw(opened.get(), 0);

    EXPECT_EQ(Black, ColourAt(picture, {0, 0, 0})) << "the dummy's mesh was drawn";
    EXPECT_COLOUR(Lit(Red), ColourAt(picture, {-30, 0, 0}), 3);
    EXPECT_COLOUR(Lit(Green), ColourAt(picture, {30, 0, 0}), 3);
    Lib3dsNode *dummyNode =
        coretest::FindNode(opened->file, scenekit::kDummyName, LIB3DS_OBJECT_NODE);
    Lib3dsNode *ghostNode = coretest::FindNode(opened->file, "Ghost", LIB3DS_OBJECT_NODE);
    ASSERT_NE(nullptr, dummyNode);
    ASSERT_NE(nullptr, ghostNode);
    EXPECT_EQ(0u, dummyNode->user.d);
    EXPECT_EQ(0u, ghostNode->user.d);
    EXPECT_EQ(0, opened->RenderNode(ghostNode));
    EXPECT_EQ(1, opened->RenderNode(dummyNode));
    EXPECT_NE(0u, coretest::FindNode(opened->file, "GhostsChild", LIB3DS_OBJECT_NODE)->user.d);
}

TEST_F(RendererTest, NodeListIsCompiledOnceAndReplayed)
{
    WriteSolidImage("red.png", Red);
    Scene scene;
    coretest::AddCamera(&scene, Eye, Origin);
    scene.AddMaterial(Painted("R", "red.png"));
    scene.AddObject(coretest::FacingSquare("Square", {0, 0, 0}, 20, "R"));
    SaveScene(scene, "once.3ds");
    auto opened = Open("once.3ds");
    Lib3dsNode *node = coretest::FindNode(opened->file, "Square", LIB3DS_OBJECT_NODE);
    ASSERT_NE(nullptr, node);
    EXPECT_EQ(0u, node->user.d) << "compiled before the first picture";

    const Image first = Draw(opened.get(), 0);
    const Lib3dsDword list = node->user.d;
    ASSERT_NE(0u, list);
    EXPECT_TRUE(glIsList(list));
    EXPECT_COLOUR(Lit(Red), ColourAt(first, {0, 0, 0}), 3);

    // A recompiled list would now draw nothing.
    Lib3dsMesh *mesh = lib3ds_file_mesh_by_name(opened->file, "Square");
    for (Lib3dsDword i = 0; i < mesh->points; i++)
        mesh->pointL[i].pos[0] = mesh->pointL[i].pos[1] = mesh->pointL[i].pos[2] = 0;
    const Image second = Draw(opened.get(), 0);
    EXPECT_EQ(list, node->user.d);
    EXPECT_TRUE(second.rgb == first.rgb) << "the list was compiled again";
}

TEST_F(RendererTest, FacesWithAnEmptyMaterialNameKeepThePreviousFacesMaterial)
{
    WriteSolidImage("blue.png", Blue);  // slot 0: what a face without material would show
    WriteSolidImage("red.png", Red);
    ASSERT_TRUE(showtest::WriteRgbPng(workDir_.DataPath("glow.png"), 4, 4,
                                      showtest::SolidRgb(4, 4, {100, 100, 0})));
    Scene scene;
    coretest::AddCamera(&scene, Eye, Origin);
    scene.AddMaterial(Painted("A_Blue", "blue.png"));
    scene.AddMaterial(Painted("B_Red", "red.png"));
    scene.AddMaterial(Glow("C_Glow", "glow.png", 0.5f));
    Mesh red = coretest::FacingSquare("Red", {-20, 0, 0}, 30, "");
    red.faces[0].material = "B_Red";
    Mesh glow = coretest::FacingSquare("Glow", {20, 0, 0}, 30, "");
    glow.faces[0].material = "C_Glow";
    ASSERT_EQ(2u, red.faces.size());
    scene.AddObject(red);
    scene.AddObject(glow);
    scenekit::SaveOptions options;
    options.nameEveryFace = false;  // the empty names themselves, for the player's rule
    std::string error;
    ASSERT_TRUE(scene.Save(workDir_.DataPath("inherit.3ds"), &error, options)) << error;
    auto opened = Open("inherit.3ds");
    const Image picture = Draw(opened.get(), 0);
    // Four corners: both triangles of each square.
    for (Vec3 corner : {Vec3{-10, 0, -10}, Vec3{-10, 0, 10}, Vec3{10, 0, -10}, Vec3{10, 0, 10}}) {
        EXPECT_COLOUR(Lit(Red), ColourAt(picture, Vec3{-20, 0, 0} + corner), 3);
        EXPECT_COLOUR((Rgb{100, 100, 0}), ColourAt(picture, Vec3{20, 0, 0} + corner), 2);
    }
}

TEST_F(RendererTest, FacesWithoutAnyMaterialAreDrawnWithoutCrashing)
{
    WriteSolidImage("red.png", Red);
    Scene scene;
    coretest::AddCamera(&scene, Eye, Origin);
    scene.AddMaterial(Painted("R", "red.png"));
    Mesh bare = coretest::FacingSquare("Bare", {-20, 0, 0}, 20, "");
    Mesh unknown = coretest::FacingSquare("Unknown", {20, 0, 0}, 20, "NoSuchMaterial");
    scene.AddObject(bare);
    scene.AddObject(unknown);
    SaveScene(scene, "bare.3ds", false);
    auto opened = Open("bare.3ds");
    EXPECT_EQ(1, opened->Play(0));
    EXPECT_EQ(1, opened->Play(100));
}

TEST_F(RendererTest, ReflectiveMaterialsAreSphereMapped)
{
    // Red rim, white middle: sphere mapping a face seen head-on samples the middle.
    std::vector<Rgb> pixels;
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++)
            pixels.push_back(x >= 2 && x < 6 && y >= 2 && y < 6 ? White : Red);
    ASSERT_TRUE(
        showtest::WriteRgbPng(workDir_.DataPath("env.png"), 8, 8, showtest::RgbFrom(pixels)));
    WriteSolidImage("green.png", Green);
    Material both = Material::Reflective("Both", "env.png");
    both.texture = "green.png";
    Scene scene;
    coretest::AddCamera(&scene, Eye, Origin);
    scene.AddMaterial(Material::Textured("Plain", "env.png"));
    scene.AddMaterial(Material::Reflective("Chrome", "env.png"));
    scene.AddMaterial(both);
    scene.AddObject(coretest::FacingSquare("Mapped", {-25, 0, 0}, 24, "Plain"));
    scene.AddObject(coretest::FacingSquare("Shiny", {0, 0, 0}, 24, "Chrome"));
    scene.AddObject(coretest::FacingSquare("Twice", {25, 0, 0}, 24, "Both"));
    SaveScene(scene, "chrome.3ds");
    auto opened = Open("chrome.3ds");
    const Image picture = Draw(opened.get(), 0);

    const Vec3 nearCorner{-10, 0, 10};
    EXPECT_COLOUR(Lit(Red), ColourAt(picture, Vec3{-25, 0, 0} + nearCorner), 3)
        << "texel mapping shows the rim";
    EXPECT_COLOUR(Lit(White), ColourAt(picture, nearCorner), 3)
        << "sphere mapping shows the middle";
    EXPECT_COLOUR(Lit(White), ColourAt(picture, Vec3{25, 0, 0} + nearCorner), 3)
        << "the reflection map wins over the texture map";
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S))
        << "the last face was reflective: its list ends generation";
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));
}

TEST_F(RendererTest, GenerationStaysOnAfterAListWhoseLastFaceIsNotReflective)
{
    WriteSolidImage("white.png", White);
    for (bool reflectiveLast : {false, true}) {
        Scene scene;
        coretest::AddCamera(&scene, Eye, Origin);
        scene.AddMaterial(Material::Reflective("Chrome", "white.png"));
        scene.AddMaterial(Material::Textured("Plain", "white.png"));
        Mesh mixed = coretest::FacingSquare("Mixed", {0, 0, 0}, 20, "");
        mixed.faces[0].material = reflectiveLast ? "Plain" : "Chrome";
        mixed.faces[1].material = reflectiveLast ? "Chrome" : "Plain";
        scene.AddObject(mixed);
        SaveScene(scene, "mixed.3ds");
        auto opened = Open("mixed.3ds");
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
        Draw(opened.get(), 0);
        EXPECT_EQ(!reflectiveLast, glIsEnabled(GL_TEXTURE_GEN_S))
            << "reflective last: " << reflectiveLast;
        EXPECT_EQ(!reflectiveLast, glIsEnabled(GL_TEXTURE_GEN_T))
            << "reflective last: " << reflectiveLast;
        GLint mode[2] = {0, 0};
        glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &mode[0]);
        glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &mode[1]);
        EXPECT_EQ(GL_SPHERE_MAP, mode[0]);
        EXPECT_EQ(GL_SPHERE_MAP, mode[1]);
    }
}

TEST_F(RendererTest, FirstSevenLightsByNameBecomeDirectionalLightsOneToSeven)
{
    Scene scene;
    coretest::AddCamera(&scene, {30, -100, 20}, Origin);
    for (int k : {9, 3, 1, 8, 5, 2, 7, 4, 6})
        scene.AddLight({"Lamp" + std::to_string(k), {float(k), -10.0f * k, 100.0f - k}});
    SaveScene(scene, "lamps.3ds");
    auto opened = Open("lamps.3ds");
    while (glGetError() != GL_NO_ERROR) {
    }
    Draw(opened.get(), 0);
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError()) << "a light beyond GL_LIGHT7 was set";

    // Positions are kept in eye space: the model-view left by Play holds the view.
    GLfloat view[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, view);
    for (int k = 1; k <= 7; k++) {
        const float world[3] = {float(k), -10.0f * k, 100.0f - k};
        GLfloat position[4];
        glGetLightfv(GL_LIGHT0 + k, GL_POSITION, position);
        for (int row = 0; row < 3; row++) {
            const float expected =
                view[row] * world[0] + view[4 + row] * world[1] + view[8 + row] * world[2];
            EXPECT_NEAR(expected, position[row], 1e-3) << "GL_LIGHT" << k << " component " << row;
        }
        EXPECT_EQ(0, position[3]) << "GL_LIGHT" << k << " is not directional";
    }
}

TEST_F(RendererTest, SceneWithoutLightsLeavesTheOtherLightsAlone)
{
    Scene scene;
    coretest::AddCamera(&scene, Eye, Origin);
    SaveScene(scene, "dark.3ds");
    auto opened = Open("dark.3ds");
    const GLfloat mark[4] = {1, 2, 3, 1};
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glLightfv(GL_LIGHT1, GL_POSITION, mark);
    Draw(opened.get(), 0);
    GLfloat position[4];
    glGetLightfv(GL_LIGHT1, GL_POSITION, position);
    EXPECT_EQ(1, position[0]);
    EXPECT_EQ(2, position[1]);
    EXPECT_EQ(3, position[2]);
}

class PlayExitTest : public RendererTest {};

TEST_F(PlayExitTest, SceneWithoutFileEndsTheProcess)
{
    EXPECT_QUITS(
        {
            Load3ds empty;
            empty.Play(0);
        },
        1, "load3ds : No file loaded\n");
}

TEST_F(PlayExitTest, MissingCameraNodeEndsTheProcess)
{
    Scene scene;
    scene.AddCamera({"Camera01", Eye, Origin, 45, 0});
    scenekit::Node target;
    target.type = scenekit::NodeType::Target;
    target.name = "Camera01";
    scene.AddNode(target);
    SaveScene(scene, "nocam.3ds", false);
    EXPECT_QUITS(Open("nocam.3ds")->Play(0), 1, "load3ds : No camera\n");
}

TEST_F(PlayExitTest, CameraNodeMustBeNamedLikeTheFirstCamera)
{
    Scene scene;
    coretest::AddCamera(&scene, Eye, Origin);
    scene.AddCamera({"Alpha", Eye, Origin, 45, 0});  // sorts first, has no node
    SaveScene(scene, "alpha.3ds", false);
    EXPECT_QUITS(Open("alpha.3ds")->Play(0), 1, "load3ds : No camera\n");
}

TEST_F(PlayExitTest, MissingTargetNodeEndsTheProcess)
{
    Scene scene;
    scene.AddAnimatedCamera("Cam", {{0, Eye}}, {{0, Origin}}, 45);  // its target is "Cam"
    SaveScene(scene, "notarget.3ds", false);
    EXPECT_QUITS(Open("notarget.3ds")->Play(0), 1, "load3ds : No target\n");
}

TEST_F(PlayExitTest, MissingCameraIsToldBeforeMissingTarget)
{
    Scene scene;
    scene.AddCamera({"Camera01", Eye, Origin, 45, 0});
    SaveScene(scene, "bare.3ds", false);
    EXPECT_QUITS(Open("bare.3ds")->Play(0), 1, "load3ds : No camera\n");
}

}  // namespace
