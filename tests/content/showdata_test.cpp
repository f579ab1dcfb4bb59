// The geometry behind the camera check: which meshes count as solids or
// backdrops, and where the camera lands in a mesh's own space.
#include <gtest/gtest.h>

#include "primitives.h"
#include "kit/kit.h"
#include "showdata.h"
#include "workdir.h"

namespace contenttest {
namespace {

using scenekit::Motion;

// A crate turned 45 degrees about Z, doubled in size and moved to x = 100,
// whose mesh is stored shifted by its own matrix; a sky; an open floor.
SceneFile WriteTestScene()
{
    scenekit::Scene scene;
    scene.AddMaterial(scenekit::Material::Textured("M", "wood.png"));
    scenekit::Mesh crate = scenekit::Box("Crate", {0, 0, 0}, {10, 10, 10}, "M");
    crate.matrix = scenekit::Translation({5, 0, 0});
    crate.Transform(crate.matrix);
    Motion m = Motion::Still({100, 0, 0});
    m.rotation = {{0, {0, 0, 1}, 45}};
    m.scale = {{0, {2, 2, 2}}};
    scene.AddObject(crate, m);
    scene.AddObject(scenes::kit::SkySphere("Sky", {0, 0, 0}, 500, 12, 6, "M"));
    scene.AddObject(scenes::kit::Floor("Floor", {0, 0, -20}, 100, 2, 1, "M"));
    scene.AddAnimatedCamera("Camera01", {{0, {0, -50, 0}}}, {{0, {0, 0, 0}}}, 45);
    const std::string path = showtest::TestRoot() + "/geometry.3ds";
    std::string error;
    EXPECT_TRUE(scene.Save(path, &error)) << error;
    SceneFile file(lib3ds_file_load(path.c_str()));
    if (file) lib3ds_file_eval(file.get(), 0);
    return file;
}

bool Inside(Lib3dsFile *file, const char *name, const Vec &world)
{
    Lib3dsNode *node = lib3ds_file_node_by_name(file, name, LIB3DS_OBJECT_NODE);
    Lib3dsMesh *mesh = lib3ds_file_mesh_by_name(file, name);
    Vec local;
    EXPECT_TRUE(node && mesh && WorldToMesh(node, mesh, world, &local));
    return Encloses(AnalyseMesh(mesh), local);
}

TEST(Geometry, ClosedMeshesAreSolidsOrBackdropsByTheirWinding)
{
    SceneFile file = WriteTestScene();
    ASSERT_TRUE(file);
    const Solid crate = AnalyseMesh(lib3ds_file_mesh_by_name(file.get(), "Crate"));
    const Solid sky = AnalyseMesh(lib3ds_file_mesh_by_name(file.get(), "Sky"));
    const Solid floor = AnalyseMesh(lib3ds_file_mesh_by_name(file.get(), "Floor"));
    EXPECT_TRUE(crate.closed);
    EXPECT_GT(crate.volume, 0);
    EXPECT_TRUE(sky.closed) << "the sphere's seam and poles must join";
    EXPECT_LT(sky.volume, 0);
    EXPECT_FALSE(floor.closed);
}

TEST(Geometry, PointsAreTestedWhereThePlayerDrawsTheMesh)
{
    SceneFile file = WriteTestScene();
    ASSERT_TRUE(file);
    // The crate's half size is 10 after scaling, its corners 14.1 out along
    // the axes after the turn.
    EXPECT_TRUE(Inside(file.get(), "Crate", {100, 0, 0}));
    EXPECT_TRUE(Inside(file.get(), "Crate", {100, 13, 0})) << "turned: a corner reaches here";
    EXPECT_TRUE(Inside(file.get(), "Crate", {113, 0, 9}));
    EXPECT_FALSE(Inside(file.get(), "Crate", {100, 0, 11}));
    EXPECT_FALSE(Inside(file.get(), "Crate", {112, 12, 0})) << "turned: a face is here";
    EXPECT_TRUE(Inside(file.get(), "Crate", {94, -6, 0})) << "the mesh matrix is undone";
    EXPECT_FALSE(Inside(file.get(), "Crate", {0, 0, 0}));
    EXPECT_TRUE(Inside(file.get(), "Sky", {0, -50, 0}));
    EXPECT_FALSE(Inside(file.get(), "Sky", {0, -600, 0}));

    // And the other way: every corner of the crate lands 10 * sqrt(3) from its centre.
    Lib3dsNode *node = lib3ds_file_node_by_name(file.get(), "Crate", LIB3DS_OBJECT_NODE);
    Lib3dsMesh *mesh = lib3ds_file_mesh_by_name(file.get(), "Crate");
    const std::vector<Vec> world = WorldPoints(node, mesh);
    ASSERT_EQ(world.size(), mesh->points);
    for (unsigned i = 0; i < mesh->points; ++i) {
        EXPECT_NEAR(Length(Sub(world[i], {100, 0, 0})), 10 * std::sqrt(3.0), 1e-4) << i;
        Vec back;
        ASSERT_TRUE(WorldToMesh(node, mesh, world[i], &back));
        EXPECT_NEAR(Length(Sub(back, FromLib(mesh->pointL[i].pos))), 0, 1e-4) << i;
    }
}

}  // namespace
}  // namespace contenttest
