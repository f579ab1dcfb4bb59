// Save refuses input that would make a broken or unplayable file, says why,
// and writes nothing.
#include <functional>

#include "primitives.h"
#include "scenelimits.h"
#include "support.h"

using namespace scenekit;
using namespace scenekit_test;

namespace {

// A valid, playable scene: camera, one material, one textured box.
Scene GoodScene()
{
    Scene scene;
    AddDefaultCamera(scene);
    scene.AddMaterial(Material::Textured("Wood", "wood.png"));
    scene.AddObject(Box("Crate", {}, {2, 2, 2}, "Wood"), Motion::Still({0, 0, 1}));
    return scene;
}

struct BadCase {
    const char *what;
    std::function<void(Scene &)> spoil;
    const char *message;  // part of the expected error
};

Mesh &FirstMesh(Scene &scene)
{
    return scene.mesh(0);
}
Node &LastNode(Scene &scene)
{
    return scene.node(static_cast<int>(scene.nodes().size()) - 1);
}

}  // namespace

TEST(Validation, GoodSceneSaves)
{
    ScratchDir dir;
    std::string error;
    EXPECT_TRUE(GoodScene().Save(dir.Path("good.3ds"), &error)) << error;
}

TEST(Validation, BrokenInputIsRefusedWithAMessageAndNoFile)
{
    const std::vector<BadCase> cases = {
        {"point index out of range", [](Scene &s) { FirstMesh(s).faces[3].points[1] = 24; },
         "face 3 uses point 24 of 24"},
        {"repeated point",
         [](Scene &s) {
             FirstMesh(s).faces[0].points = {1, 1, 2};
         },
         "repeats a point"},
        {"short texel list", [](Scene &s) { FirstMesh(s).texels.pop_back(); },
         "23 texels for 24 points"},
        {"non-finite point", [](Scene &s) { FirstMesh(s).points[2].y = NAN; },
         "point 2 is not finite"},
        {"too many points",
         [](Scene &s) {
             FirstMesh(s).points.resize(65536);
             FirstMesh(s).texels.clear();
         },
         "at most 65535"},
        {"singular mesh matrix",
         [](Scene &s) {
             FirstMesh(s).matrix = Scaling({1, 0, 1});
         },
         "cannot be inverted"},
        {"long name", [](Scene &s) { s.AddMaterial(Material::Plain(std::string(64, 'm'), {})); },
         "longer than 63 bytes"},
        {"duplicate material", [](Scene &s) { s.AddMaterial(Material::Plain("Wood", {})); },
         "material name \"Wood\" is used twice"},
        {"duplicate mesh",
         [](Scene &s) {
             s.AddMesh(Box("Crate", {}, {1, 1, 1}, "Wood"));
         },
         "mesh name \"Crate\" is used twice"},
        {"transparency above 1",
         [](Scene &s) {
             s.AddMaterial(Material::Glow("G", "g.png"));
             s.material(1).transparency = 2;
         },
         "transparency"},
        {"missing parent", [](Scene &s) { LastNode(s).parent = 17; }, "parent 17 is not a node"},
        {"own parent",
         [](Scene &s) { LastNode(s).parent = static_cast<int>(s.nodes().size()) - 1; },
         "is its own parent"},
        {"parent cycle",
         [](Scene &s) {
             const int a = s.AddDummy(Motion());
             const int b = s.AddDummy(Motion(), a);
             s.node(a).parent = b;
         },
         "cycle"},
        {"frames not increasing",
         [](Scene &s) {
             LastNode(s).motion.position = {{5, {}}, {5, {1, 0, 0}}};
         },
         "increasing frames"},
        {"negative frame",
         [](Scene &s) {
             LastNode(s).motion.scale = {{-1, {1, 1, 1}}};
         },
         "before frame 0"},
        {"zero rotation axis",
         [](Scene &s) {
             LastNode(s).motion.rotation = {{0, {0, 0, 0}, 10}};
         },
         "zero axis"},
        {"turn too fast",
         [](Scene &s) {
             LastNode(s).motion.rotation = {{0, {0, 0, 1}, 0}, {2, {0, 0, 1}, 360}};
         },
         "one frame per 120 degrees"},
        {"absurd turn",
         [](Scene &s) {
             LastNode(s).motion.rotation = {{0, {0, 0, 1}, -3e38f}, {100, {0, 0, 1}, 3e38f}};
         },
         "one frame per 120 degrees"},
        {"rotation on a camera node",
         [](Scene &s) {
             s.node(0).motion.rotation = {{0, {0, 0, 1}, 10}};
         },
         "only object nodes"},
        {"fov on an object node",
         [](Scene &s) {
             LastNode(s).fov = {{0, 30}};
         },
         "only camera nodes"},
        {"frame too far",
         [](Scene &s) {
             LastNode(s).motion.position = {{5000000, {}}};
         },
         "beyond frame 4194304"},
        {"more nodes than the player reads",
         [](Scene &s) {
             for (int i = 0; i < 8192; ++i) s.AddDummy(Motion());
         },
         "at most 8192"},
        {"nesting deeper than the player reads",
         [](Scene &s) {
             int parent = kNoParent;
             for (int i = 0; i < 257; ++i) parent = s.AddDummy(Motion(), parent);
         },
         "nested deeper than 256"},
        {"track longer than the player reads",
         [](Scene &s) {
             LastNode(s).motion.rotation = {{0, {0, 0, 1}, 0}, {9000, {0, 0, 1}, 120 * 9000}};
         },
         "more than 8192 keys"},
        {"no camera",
         [](Scene &s) {
             Scene fresh;
             fresh.AddMaterial(s.materials()[0]);
             fresh.AddObject(s.meshes()[0]);
             s = fresh;
         },
         "no camera"},
        {"first camera has no node",
         [](Scene &s) {
             s.AddCamera({"Aardvark", {}, {}, 45, 0});
         },
         "no camera node is named \"Aardvark\""},
        {"no target named Camera01", [](Scene &s) { s.node(1).name = "Target"; },
         "no target node is named \"Camera01\""},
        {"object node without mesh", [](Scene &s) { LastNode(s).name = "Ghost"; },
         "has no mesh of its name"},
        {"unknown material", [](Scene &s) { FirstMesh(s).faces[5].material = "Steel"; },
         "names material \"Steel\""},
        {"first face without material", [](Scene &s) { FirstMesh(s).faces[0].material = ""; },
         "no earlier face names one"},
    };
    for (const BadCase &c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        Scene scene = GoodScene();
        c.spoil(scene);
        const std::string path = dir.Path("bad.3ds");
        std::string error;
        EXPECT_FALSE(scene.Save(path, &error));
        EXPECT_NE(error.find(c.message), std::string::npos) << "message: " << error;
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_FALSE(scene.Validate(nullptr));
    }
}

TEST(Validation, PlayerRulesCanBeWaivedForDeliberatelyBrokenScenes)
{
    ScratchDir dir;
    Scene scene;
    scene.AddMaterial(Material::Plain("White", {1, 1, 1}));
    Mesh loose = Box("Loose", {}, {1, 1, 1}, "");
    loose.faces[4].material = "Nowhere";
    scene.AddObject(loose);
    Node ghost;
    ghost.name = "Ghost";
    scene.AddNode(ghost);
    std::string error;
    EXPECT_FALSE(scene.Save(dir.Path("strict.3ds"), &error));
    SaveOptions lax;
    lax.checkPlayable = false;
    Loaded file = SaveAndLoad(scene, dir, lax);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->cameras, nullptr);
    EXPECT_NE(lib3ds_file_node_by_name(file.get(), "Ghost", LIB3DS_OBJECT_NODE), nullptr);
    Lib3dsMesh *mesh = lib3ds_file_mesh_by_name(file.get(), "Loose");
    ASSERT_NE(mesh, nullptr);
    EXPECT_STREQ(mesh->faceL[4].material, "Nowhere");
    EXPECT_STREQ(mesh->faceL[0].material, "");
}

TEST(Validation, StructuralFaultsAreRefusedEvenWhenPlayerRulesAreWaived)
{
    ScratchDir dir;
    Scene scene = GoodScene();
    FirstMesh(scene).faces[0].points[0] = 1000;
    SaveOptions lax;
    lax.checkPlayable = false;
    std::string error;
    EXPECT_FALSE(scene.Save(dir.Path("bad.3ds"), &error, lax));
    EXPECT_NE(error.find("uses point 1000"), std::string::npos) << error;
}

// Save writes a still node for each light that has none: the limits count
// that node, and only that one.
TEST(Validation, NodeLimitsCountTheNodesAsWritten)
{
    const size_t playerMost = scenelimits::MaxListLength;
    const Light lamp{"Lamp", {10, 0, 10}};
    Scene scene = GoodScene();
    while (scene.nodes().size() < playerMost) scene.AddDummy(Motion());
    std::string error;
    EXPECT_TRUE(scene.Validate(&error)) << error;
    Scene withLamp = scene;
    withLamp.AddLight(lamp);
    EXPECT_FALSE(withLamp.Validate(&error));
    EXPECT_NE(error.find("at most 8192"), std::string::npos) << error;

    SaveOptions lax;
    lax.checkPlayable = false;
    Scene large = GoodScene();
    while (large.nodes().size() < 65533) large.AddDummy(Motion());
    Scene litByNode = large;
    litByNode.AddLight(lamp, {{0, lamp.position}});
    EXPECT_TRUE(litByNode.Validate(&error, lax)) << error;
    large.AddDummy(Motion());
    EXPECT_TRUE(large.Validate(&error, lax)) << error;
    large.AddLight(lamp);
    EXPECT_FALSE(large.Validate(&error, lax));
    EXPECT_NE(error.find("at most 65534 nodes"), std::string::npos) << error;
}
