// What Save writes reads back through lib3ds as it was built.
#include <lib3ds/camera.h>
#include <lib3ds/light.h>
#include <lib3ds/material.h>

#include <cstring>
#include <functional>
#include <vector>

#include "primitives.h"
#include "support.h"

using namespace scenekit;
using namespace scenekit_test;

namespace {

template <class T> std::vector<std::string> Names(T *list)
{
    std::vector<std::string> names;
    for (T *p = list; p; p = p->next) names.push_back(p->name);
    return names;
}

Mesh Triangle(const std::string &name, const std::string &material)
{
    Mesh m;
    m.name = name;
    m.points = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    m.faces = {{{0, 1, 2}, material}};
    return m;
}

}  // namespace

TEST(SceneFile, ListsComeBackSortedByteWiseByName)
{
    ScratchDir dir;
    Scene scene;
    for (const char *name : {"b", "a", "C"}) {
        scene.AddMaterial(Material::Plain(name, {1, 1, 1}));
        scene.AddObject(Triangle(std::string("m") + name, name));
        scene.AddLight({std::string("Light_") + name, {0, 0, 1}, {1, 1, 1}});
    }
    scene.AddAnimatedCamera("Camera02", {{0, {0, -50, 0}}}, {{0, {}}}, 45);
    scene.AddAnimatedCamera("Camera01", {{0, {0, -60, 0}}}, {{0, {}}}, 45);
    Loaded file = SaveAndLoad(scene, dir);
    ASSERT_TRUE(file);
    EXPECT_EQ(Names(file->materials), (std::vector<std::string>{"C", "a", "b"}));
    EXPECT_EQ(Names(file->meshes), (std::vector<std::string>{"mC", "ma", "mb"}));
    EXPECT_EQ(Names(file->lights), (std::vector<std::string>{"Light_C", "Light_a", "Light_b"}));
    EXPECT_EQ(Names(file->cameras), (std::vector<std::string>{"Camera01", "Camera02"}));
}

TEST(SceneFile, MeshPointsTexelsFacesAndMatrixRoundTrip)
{
    ScratchDir dir;
    Scene scene;
    AddDefaultCamera(scene);
    scene.AddMaterial(Material::Plain("Red", {1, 0, 0}));
    scene.AddMaterial(Material::Plain("Blue", {0, 0, 1}));
    Mesh mesh;
    mesh.name = "Quad";
    mesh.points = {{1, 2, 3}, {4, 2, 3}, {4, 5, 3}, {1, 5, 3}};
    mesh.texels = {{0, 0}, {1, 0}, {1, 1}, {0.25f, 0.75f}};
    mesh.faces = {{{0, 1, 2}, "Red"}, {{0, 2, 3}, "Red"}, {{2, 3, 0}, "Blue"}};
    mesh.matrix = Translation({1, 2, 3});
    scene.AddObject(mesh);
    Loaded file = SaveAndLoad(scene, dir);
    ASSERT_TRUE(file);
    Lib3dsMesh *m = lib3ds_file_mesh_by_name(file.get(), "Quad");
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(m->points, 4u);
    ASSERT_EQ(m->texels, 4u);
    ASSERT_EQ(m->faces, 3u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(VecNear(mesh.points[i], m->pointL[i].pos, 0)) << "point " << i;
        EXPECT_EQ(m->texelL[i][0], mesh.texels[i][0]) << "texel " << i;
        EXPECT_EQ(m->texelL[i][1], mesh.texels[i][1]) << "texel " << i;
    }
    for (int f = 0; f < 3; ++f) {
        for (int k = 0; k < 3; ++k) EXPECT_EQ(m->faceL[f].points[k], mesh.faces[f].points[k]);
        EXPECT_STREQ(m->faceL[f].material, mesh.faces[f].material.c_str()) << "face " << f;
    }
    EXPECT_TRUE(MatrixNear(mesh.matrix, FromLib(m->matrix), 0));
    // Counter-clockwise seen from +Z, so the normal computed on load is +Z.
    EXPECT_TRUE(VecNear({0, 0, 1}, m->faceL[0].normal, 1e-6f));
}

// Other readers leave a face outside every material group without material;
// the player's rule gives it the last name before it.
TEST(SceneFile, FacesWithoutMaterialNameAreWrittenWithTheNameTheyKeep)
{
    Scene scene;
    AddDefaultCamera(scene);
    scene.AddMaterial(Material::Plain("Red", {1, 0, 0}));
    scene.AddMaterial(Material::Plain("Blue", {0, 0, 1}));
    Mesh mesh = Triangle("Strip", "Red");
    for (const char *material : {"", "Blue", "", ""}) mesh.faces.push_back({{0, 2, 1}, material});
    scene.AddObject(mesh);
    for (bool nameEveryFace : {true, false}) {
        SCOPED_TRACE(nameEveryFace ? "names every face" : "keeps the empty names");
        ScratchDir dir;
        SaveOptions options;
        options.nameEveryFace = nameEveryFace;
        Loaded file = SaveAndLoad(scene, dir, options);
        ASSERT_TRUE(file);
        Lib3dsMesh *m = lib3ds_file_mesh_by_name(file.get(), "Strip");
        ASSERT_NE(m, nullptr);
        ASSERT_EQ(m->faces, 5u);
        const std::vector<std::string> expected =
            nameEveryFace ? std::vector<std::string>{"Red", "Red", "Blue", "Blue", "Blue"}
                          : std::vector<std::string>{"Red", "", "Blue", "", ""};
        for (unsigned f = 0; f < 5; ++f)
            EXPECT_EQ(m->faceL[f].material, expected[f]) << "face " << f;
    }
}

TEST(SceneFile, MaterialsKeepMapNamesTransparencyAndColours)
{
    ScratchDir dir;
    Scene scene;
    AddDefaultCamera(scene);
    Material both = Material::Textured("Both", "Wood.JPG");
    both.reflection = "chrome.png";
    both.diffuse = {0.5f, 0.25f, 1};
    scene.AddMaterial(both);
    scene.AddMaterial(Material::Glow("Glow", "flare.png"));
    scene.AddMaterial(Material::Plain("Plain", {1, 1, 0}));
    Loaded file = SaveAndLoad(scene, dir);
    ASSERT_TRUE(file);

    Lib3dsMaterial *m = lib3ds_file_material_by_name(file.get(), "Both");
    ASSERT_NE(m, nullptr);
    EXPECT_STREQ(m->texture1_map.name, "Wood.JPG");
    EXPECT_STREQ(m->reflection_map.name, "chrome.png");
    EXPECT_EQ(m->transparency, 0.0f);
    // Colours are stored at 8 bits per channel.
    EXPECT_NEAR(m->diffuse[0], 0.5f, 1.0f / 255);
    EXPECT_NEAR(m->diffuse[1], 0.25f, 1.0f / 255);
    EXPECT_NEAR(m->diffuse[2], 1.0f, 1.0f / 255);

    m = lib3ds_file_material_by_name(file.get(), "Glow");
    ASSERT_NE(m, nullptr);
    EXPECT_STREQ(m->texture1_map.name, "flare.png");
    EXPECT_STREQ(m->reflection_map.name, "");
    EXPECT_NEAR(m->transparency, 0.5f, 1e-6f);

    m = lib3ds_file_material_by_name(file.get(), "Plain");
    ASSERT_NE(m, nullptr);
    EXPECT_STREQ(m->texture1_map.name, "");
    EXPECT_STREQ(m->reflection_map.name, "");
    EXPECT_EQ(m->transparency, 0.0f);
}

TEST(SceneFile, CameraRecordAndNodesAreWhereThePlayerLooks)
{
    ScratchDir dir;
    Scene scene;
    scene.AddAnimatedCamera("Camera01", {{0, {10, -100, 20}}, {50, {30, -80, 20}}},
                            {{0, {1, 2, 3}}}, 60, 10);
    Loaded file = SaveAndLoad(scene, dir);
    ASSERT_TRUE(file);
    Lib3dsCamera *camera = file->cameras;
    ASSERT_NE(camera, nullptr);
    EXPECT_STREQ(camera->name, "Camera01");
    EXPECT_TRUE(VecNear({10, -100, 20}, camera->position, 1e-5f));
    EXPECT_TRUE(VecNear({1, 2, 3}, camera->target, 1e-5f));
    EXPECT_NEAR(camera->fov, 60, 1e-4f);
    EXPECT_NEAR(camera->roll, 10, 1e-4f);

    Lib3dsNode *cameraNode = lib3ds_file_node_by_name(file.get(), "Camera01", LIB3DS_CAMERA_NODE);
    Lib3dsNode *targetNode = lib3ds_file_node_by_name(file.get(), "Camera01", LIB3DS_TARGET_NODE);
    ASSERT_NE(cameraNode, nullptr);
    ASSERT_NE(targetNode, nullptr);
    lib3ds_file_eval(file.get(), 25);
    EXPECT_TRUE(VecNear({20, -90, 20}, cameraNode->data.camera.pos, 1e-4f));
    EXPECT_NEAR(cameraNode->data.camera.fov, 60, 1e-4f);
    EXPECT_NEAR(cameraNode->data.camera.roll, 10, 1e-4f);
    EXPECT_TRUE(VecNear({1, 2, 3}, targetNode->data.target.pos, 1e-5f));
    EXPECT_EQ(file->frames, 50);
}

TEST(SceneFile, LightsKeepTheirStoredPosition)
{
    ScratchDir dir;
    Scene scene;
    AddDefaultCamera(scene);
    scene.AddLight({"Sun", {100, -50, 200}, {1, 0.5f, 0.25f}}, {{0, {1, 2, 3}}, {10, {3, 2, 1}}});
    Loaded file = SaveAndLoad(scene, dir);
    ASSERT_TRUE(file);
    Lib3dsLight *light = lib3ds_file_light_by_name(file.get(), "Sun");
    ASSERT_NE(light, nullptr);
    EXPECT_TRUE(VecNear({100, -50, 200}, light->position, 1e-4f));
    EXPECT_TRUE(VecNear({1, 0.5f, 0.25f}, light->color, 1e-6f));
    Lib3dsNode *node = lib3ds_file_node_by_name(file.get(), "Sun", LIB3DS_LIGHT_NODE);
    ASSERT_NE(node, nullptr);
    lib3ds_file_eval(file.get(), 5);
    EXPECT_TRUE(VecNear({2, 2, 2}, node->data.light.pos, 1e-5f));
}

// Other readers leave a light without a node out of their scene.
TEST(SceneFile, LightsWithoutKeysGetANodeStandingAtTheirPosition)
{
    ScratchDir dir;
    Scene scene;
    AddDefaultCamera(scene);
    scene.AddLight({"Lamp", {4, 5, 6}, {1, 1, 1}});
    scene.AddLight({"Moving", {0, 0, 0}, {1, 1, 1}}, {{0, {1, 0, 0}}, {10, {2, 0, 0}}});
    Loaded file = SaveAndLoad(scene, dir);
    ASSERT_TRUE(file);
    int lightNodes = 0;
    for (Lib3dsNode *n = file->nodes; n; n = n->next) lightNodes += n->type == LIB3DS_LIGHT_NODE;
    EXPECT_EQ(lightNodes, 2);
    Lib3dsNode *lamp = lib3ds_file_node_by_name(file.get(), "Lamp", LIB3DS_LIGHT_NODE);
    ASSERT_NE(lamp, nullptr);
    lib3ds_file_eval(file.get(), 7);
    EXPECT_TRUE(VecNear({4, 5, 6}, lamp->data.light.pos, 1e-6f));
}

TEST(SceneFile, DummyNodesAreWrittenAsObjectNodesWithTheirChildren)
{
    ScratchDir dir;
    Scene scene;
    AddDefaultCamera(scene);
    scene.AddMaterial(Material::Plain("White", {1, 1, 1}));
    const int dummy = scene.AddDummy(Motion::Still({5, 0, 0}));
    scene.AddObject(Box("Crate", {}, {1, 1, 1}, "White"), Motion::Still({0, 3, 0}), dummy);
    scene.AddDummy(Motion::Still({0, 0, 7}));
    Loaded file = SaveAndLoad(scene, dir);
    ASSERT_TRUE(file);
    int dummies = 0;
    Lib3dsNode *withChild = nullptr;
    for (Lib3dsNode *n = file->nodes; n; n = n->next)
        if (std::strcmp(n->name, kDummyName) == 0 && n->type == LIB3DS_OBJECT_NODE) {
            ++dummies;
            if (n->childs) withChild = n;
        }
    EXPECT_EQ(dummies, 2);
    ASSERT_NE(withChild, nullptr);
    EXPECT_STREQ(withChild->childs->name, "Crate");
    lib3ds_file_eval(file.get(), 0);
    EXPECT_TRUE(MatrixNear(Translation({5, 3, 0}), FromLib(withChild->childs->matrix), 1e-5f));
}

// Other readers (Assimp) take a node's id for its position in the file, as
// 3D Studio writes them: each node before its children, in lib3ds's order.
TEST(SceneFile, NodeIdsCountTheNodesInTheOrderTheFileHoldsThem)
{
    ScratchDir dir;
    Scene scene;
    scene.AddMaterial(Material::Plain("White", {1, 1, 1}));
    const int outer = scene.AddDummy(Motion::Still({0, 0, 0}));
    scene.AddObject(Box("Zed", {}, {1, 1, 1}, "White"), Motion::Still({}), outer);
    const int inner = scene.AddDummy(Motion::Still({0, 0, 0}), outer);
    scene.AddObject(Box("Alpha", {}, {1, 1, 1}, "White"), Motion::Still({}), inner);
    scene.AddObject(Box("Top", {}, {1, 1, 1}, "White"));
    AddDefaultCamera(scene);
    Loaded file = SaveAndLoad(scene, dir);
    ASSERT_TRUE(file);
    int position = 0, checked = 0;
    std::function<void(Lib3dsNode *, Lib3dsWord)> walk = [&](Lib3dsNode *node, Lib3dsWord parent) {
        for (; node; node = node->next, ++checked) {
            EXPECT_EQ(node->node_id, position++) << node->name;
            EXPECT_EQ(node->parent_id, parent) << node->name;
            walk(node->childs, node->node_id);
        }
    };
    walk(file->nodes, LIB3DS_NO_PARENT);
    EXPECT_EQ(checked, 7);
}

TEST(SceneFile, FailedWriteLeavesNoFileAndSaysWhy)
{
    ScratchDir dir;
    Scene scene;
    AddDefaultCamera(scene);
    std::string error;
    const std::string path = dir.Path("missing-folder/scene.3ds");
    EXPECT_FALSE(scene.Save(path, &error));
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));
}
