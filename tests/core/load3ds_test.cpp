// Opening a scene: the file it reads, the camera it chooses, the texture
// slots of its materials, frame 0, and the ways opening ends the process.
#include <gtest/gtest.h>
#include <lib3ds/material.h>
#include <string.h>

#include <string>
#include <vector>

#include "main.h"
#include "primitives.h"
#include "scenes.h"
#include "texturemanager.h"

namespace {

using coretest::Rgb;
using coretest::SceneTest;
using scenekit::Material;
using scenekit::Scene;

const Rgb Red{255, 0, 0}, Green{0, 255, 0}, Blue{0, 0, 255};

// A playable scene showing one square with this material.
Scene SquareScene(const Material &material)
{
    Scene scene;
    coretest::AddCamera(&scene, {0, -100, 0}, {0, 0, 0});
    scene.AddMaterial(material);
    scene.AddObject(coretest::FacingSquare("Square", {0, 0, 0}, 20, material.name));
    return scene;
}

std::vector<std::string> TextureNames()
{
    std::vector<std::string> names;
    for (int i = 0; i < textureManager->textureCount; i++)
        names.push_back(textureManager->textureNames[i]);
    return names;
}

Lib3dsMaterial *FindMaterial(Load3ds *scene, const char *name)
{
    return lib3ds_file_material_by_name(scene->file, name);
}

using Names = std::vector<std::string>;

class LoaderTest : public SceneTest {};

TEST_F(LoaderTest, NewSceneHoldsNothing)
{
    Load3ds scene;
    EXPECT_EQ(NULL, scene.file);
    EXPECT_EQ(NULL, scene.cameraName);
    EXPECT_EQ(0, scene.blending);
}

TEST_F(LoaderTest, OpensTheFileBelowTheDataDirectory)
{
    WriteSolidImage("red.png", Red);
    SaveScene(SquareScene(Material::Textured("Paint", "red.png")), "c.3ds");
    Load3ds scene;
    EXPECT_EQ(1, scene.Open("c.3ds"));
    EXPECT_STREQ("data/c.3ds", scene.fileName);
    ASSERT_NE(nullptr, scene.file);
    EXPECT_NE(nullptr, lib3ds_file_mesh_by_name(scene.file, "Square"));
}

TEST_F(LoaderTest, ChoosesTheCameraWhoseNameSortsFirst)
{
    for (const Names &cameras : {Names{"Camera02", "Camera01"}, Names{"Top", "Front"}}) {
        Scene scene;
        for (const std::string &name : cameras)
            scene.AddAnimatedCamera(name, {{0, {0, -100, 0}}}, {{0, {0, 0, 0}}}, 45);
        SaveScene(scene, "two.3ds", false);
        auto opened = Open("two.3ds");
        ASSERT_NE(nullptr, opened->cameraName);
        EXPECT_STREQ(std::min(cameras[0], cameras[1]).c_str(), opened->cameraName);
        EXPECT_STREQ("Camera01", opened->targetName);
    }
}

TEST_F(LoaderTest, SelectCameraStepsAlongTheNameOrder)
{
    Scene scene;
    for (const char *name : {"Cb", "Cc", "Ca"})
        scene.AddAnimatedCamera(name, {{0, {0, -100, 0}}}, {{0, {0, 0, 0}}}, 45);
    SaveScene(scene, "three.3ds", false);
    auto opened = Open("three.3ds");

    EXPECT_EQ(1, opened->SelectCamera(2));
    EXPECT_STREQ("Cc", opened->cameraName);
    EXPECT_EQ(1, opened->SelectCamera(0));
    EXPECT_STREQ("Ca", opened->cameraName);
    EXPECT_EQ(1, opened->SelectCamera(1));
    EXPECT_STREQ("Cb", opened->cameraName);
    EXPECT_EQ(1, opened->SelectCamera(-1));
    EXPECT_STREQ("Ca", opened->cameraName);

    opened->SelectCamera(1);
    EXPECT_EQ(0, opened->SelectCamera(3));
    EXPECT_EQ(0, opened->SelectCamera(1000));
    EXPECT_STREQ("Cb", opened->cameraName) << "a refused choice changed the camera";
    EXPECT_STREQ("Camera01", opened->targetName);
}

TEST_F(LoaderTest, MaterialImagesTakeSlotsInMaterialNameOrder)
{
    for (const char *image : {"z.png", "a.png", "t.png", "m.png"}) WriteSolidImage(image, Red);
    Scene scene;
    coretest::AddCamera(&scene, {0, -100, 0}, {0, 0, 0});
    Material mid = Material::Textured("Mid", "T.png");
    mid.reflection = "M.PNG";
    scene.AddMaterial(Material::Textured("Zinc", "z.png"));
    scene.AddMaterial(mid);
    scene.AddMaterial(Material::Textured("Alpha", "a.png"));
    scene.AddMaterial(Material::Plain("Bare", {1, 1, 1}));
    scene.AddObject(coretest::FacingSquare("Square", {0, 0, 0}, 20, "Zinc"));
    SaveScene(scene, "m.3ds");
    auto opened = Open("m.3ds");

    // Texture 1 map before reflection map within a material.
    EXPECT_EQ((Names{"a.png", "t.png", "m.png", "z.png"}), TextureNames());
    EXPECT_EQ(0, FindMaterial(opened.get(), "Alpha")->texture1_map.user.i);
    EXPECT_EQ(1, FindMaterial(opened.get(), "Mid")->texture1_map.user.i);
    EXPECT_EQ(2, FindMaterial(opened.get(), "Mid")->reflection_map.user.i);
    EXPECT_EQ(3, FindMaterial(opened.get(), "Zinc")->texture1_map.user.i);
    // The scene's own map names are lower-cased by the texture store.
    EXPECT_STREQ("t.png", FindMaterial(opened.get(), "Mid")->texture1_map.name);
    EXPECT_STREQ("m.png", FindMaterial(opened.get(), "Mid")->reflection_map.name);
    // A material without maps loads nothing and keeps slot 0 for both.
    Lib3dsMaterial *bare = FindMaterial(opened.get(), "Bare");
    EXPECT_EQ(0, bare->texture1_map.user.i);
    EXPECT_EQ(0, bare->reflection_map.user.i);
}

TEST_F(LoaderTest, ImagesNamedAgainShareOneSlotAcrossMaterialsAndScenes)
{
    WriteSolidImage("wood.jpg", Red);  // PNG bytes; the decoder goes by content
    WriteSolidImage("other.png", Green);
    Scene first;
    coretest::AddCamera(&first, {0, -100, 0}, {0, 0, 0});
    first.AddMaterial(Material::Textured("Oak", "Wood.JPG"));
    first.AddMaterial(Material::Textured("Pine", "wood.jpg"));
    first.AddObject(coretest::FacingSquare("Square", {0, 0, 0}, 20, "Oak"));
    SaveScene(first, "first.3ds");
    Scene second = SquareScene(Material::Reflective("Shine", "WOOD.jpg"));
    second.AddMaterial(Material::Textured("Else", "other.png"));
    SaveScene(second, "second.3ds");

    auto a = Open("first.3ds");
    auto b = Open("second.3ds");
    EXPECT_EQ((Names{"wood.jpg", "other.png"}), TextureNames());
    EXPECT_EQ(0, FindMaterial(a.get(), "Oak")->texture1_map.user.i);
    EXPECT_EQ(0, FindMaterial(a.get(), "Pine")->texture1_map.user.i);
    EXPECT_EQ(0, FindMaterial(b.get(), "Shine")->reflection_map.user.i);
    EXPECT_EQ(1, FindMaterial(b.get(), "Else")->texture1_map.user.i);
}

TEST_F(LoaderTest, AnimationIsAtFrameZeroOnceOpened)
{
    Scene scene = SquareScene(Material::Plain("Grey", {1, 1, 1}));
    scene.AddObject(coretest::FacingSquare("Mover", {0, 0, 0}, 5, "Grey"),
                    scenekit::Motion::Path({{0, {7, 0, 3}}, {10, {100, 0, 3}}}));
    SaveScene(scene, "move.3ds");
    auto opened = Open("move.3ds");
    Lib3dsNode *mover = coretest::FindNode(opened->file, "Mover", LIB3DS_OBJECT_NODE);
    ASSERT_NE(nullptr, mover);
    EXPECT_FLOAT_EQ(7, mover->matrix[3][0]);
    EXPECT_FLOAT_EQ(3, mover->matrix[3][2]);
    Lib3dsNode *camera = coretest::FindNode(opened->file, "Camera01", LIB3DS_CAMERA_NODE);
    ASSERT_NE(nullptr, camera);
    EXPECT_FLOAT_EQ(-100, camera->data.camera.pos[1]);
    EXPECT_FLOAT_EQ(45, camera->data.camera.fov);
}

TEST_F(LoaderTest, MissingFileEndsTheProcessWithStatusOne)
{
    EXPECT_QUITS(Open("c.3ds"), 1, "Load3ds error : Can't load 3ds file data/c.3ds\n");
}

TEST_F(LoaderTest, SceneWithoutCameraEndsTheProcessWithStatusOne)
{
    Scene scene;
    scene.AddMaterial(Material::Plain("Grey", {1, 1, 1}));
    scene.AddObject(coretest::FacingSquare("Square", {0, 0, 0}, 20, "Grey"));
    SaveScene(scene, "blind.3ds", false);
    EXPECT_QUITS(Open("blind.3ds"), 1, "Load3ds error : no camera\n");
}

TEST_F(LoaderTest, MissingImageEndsTheProcessWithStatusTwoWhileOpening)
{
    WriteSolidImage("here.png", Red);
    Scene scene = SquareScene(Material::Textured("Here", "here.png"));
    scene.AddMaterial(Material::Reflective("Gone", "Gone.PNG"));
    SaveScene(scene, "gap.3ds");
    EXPECT_QUITS(
        {
            Load3ds opened;
            opened.Open("gap.3ds");
            printf("Open returned\n");
        },
        2, "Error : Can't load texture data/gone.png\n\n");
}

}  // namespace
