// Every generated scene keeps the rules the player relies on, and the ones
// that make it look right: its camera, its nodes, meshes, materials and
// images, and a camera that moves through the whole slot without entering a
// solid.
#include <gtest/gtest.h>
#include <lib3ds/camera.h>
#include <lib3ds/light.h>
#include <lib3ds/material.h>

#include <cctype>
#include <cmath>
#include <filesystem>
#include <set>

#include "showdata.h"

namespace contenttest {
namespace {

class Scene : public ::testing::TestWithParam<SceneSlot> {
protected:
    void SetUp() override {
        std::string why;
        file_ = LoadScene(GetParam().file, &why);
        ASSERT_TRUE(file_) << why;
    }
    Lib3dsNode* Node(const char* name, Lib3dsNodeTypes type) {
        return lib3ds_file_node_by_name(file_.get(), name, type);
    }
    SceneFile file_;
};

std::string SceneName(const ::testing::TestParamInfo<SceneSlot>& info) {
    std::string name;
    for (const char* c = info.param.file; *c && *c != '.'; ++c)
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : 'x';
    return name;
}

TEST_P(Scene, IsSeenThroughCamera01WithItsCameraAndTargetNodes) {
    ASSERT_NE(file_->cameras, nullptr) << "no camera";
    EXPECT_STREQ(file_->cameras->name, "Camera01") << "the first camera by name is the one shown";
    EXPECT_NE(Node("Camera01", LIB3DS_CAMERA_NODE), nullptr);
    EXPECT_NE(Node("Camera01", LIB3DS_TARGET_NODE), nullptr);
}

TEST_P(Scene, CameraKeysStartAtZeroAndSpanTheSlot) {
    Lib3dsNode* camera = Node("Camera01", LIB3DS_CAMERA_NODE);
    Lib3dsNode* target = Node("Camera01", LIB3DS_TARGET_NODE);
    ASSERT_TRUE(camera && target);
    for (Lib3dsLin3Key* first : {camera->data.camera.pos_track.keyL, target->data.target.pos_track.keyL}) {
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(first->tcb.frame, 0);
        Lib3dsLin3Key* last = first;
        while (last->next) last = last->next;
        EXPECT_GE(last->tcb.frame, GetParam().frames) << "the camera would stand still before the slot ends";
    }
}

TEST_P(Scene, EveryTrackHasAKeyAtFrameZero) {
    // Before its first key a lib3ds track answers its last key's value.
    ForEachNode(file_.get(), [&](Lib3dsNode* n) {
        std::vector<std::pair<const char*, Lib3dsIntd>> firsts;
        auto lin3 = [&](const char* what, const Lib3dsLin3Track& t) {
            if (t.keyL) firsts.push_back({what, t.keyL->tcb.frame});
        };
        if (n->type == LIB3DS_OBJECT_NODE) {
            lin3("position", n->data.object.pos_track);
            lin3("scale", n->data.object.scl_track);
            if (n->data.object.rot_track.keyL) firsts.push_back({"rotation", n->data.object.rot_track.keyL->tcb.frame});
        } else if (n->type == LIB3DS_CAMERA_NODE) {
            lin3("position", n->data.camera.pos_track);
        } else if (n->type == LIB3DS_TARGET_NODE) {
            lin3("position", n->data.target.pos_track);
        }
        for (const auto& [what, frame] : firsts)
            EXPECT_EQ(frame, 0) << "node " << n->name << " (id " << n->node_id << "): " << what;
    });
}

TEST_P(Scene, CameraMovesWithAUsableLensAndNoRoll) {
    Lib3dsNode* camera = Node("Camera01", LIB3DS_CAMERA_NODE);
    Lib3dsNode* target = Node("Camera01", LIB3DS_TARGET_NODE);
    ASSERT_TRUE(camera && target);
    double travelled = 0;
    Vec previous{};
    for (int f = 0; f <= GetParam().frames; ++f) {
        lib3ds_file_eval(file_.get(), static_cast<Lib3dsFloat>(f));
        const Vec pos{camera->data.camera.pos[0], camera->data.camera.pos[1], camera->data.camera.pos[2]};
        const Vec aim{target->data.target.pos[0], target->data.target.pos[1], target->data.target.pos[2]};
        const Vec look{aim[0] - pos[0], aim[1] - pos[1], aim[2] - pos[2]};
        ASSERT_GT(std::sqrt(look[0] * look[0] + look[1] * look[1] + look[2] * look[2]), 1e-3)
            << "camera on its target at frame " << f;
        EXPECT_GE(camera->data.camera.fov, 25.0f) << "frame " << f;
        EXPECT_LE(camera->data.camera.fov, 90.0f) << "frame " << f;
        EXPECT_NEAR(camera->data.camera.roll, 0.0f, 1e-3f) << "frame " << f;
        if (f > 0)
            travelled += std::sqrt(std::pow(pos[0] - previous[0], 2) + std::pow(pos[1] - previous[1], 2) +
                                   std::pow(pos[2] - previous[2], 2));
        previous = pos;
    }
    EXPECT_GT(travelled, 10.0) << "the camera hardly moves";
}

TEST_P(Scene, EveryObjectNodeHasItsMeshAndEveryFaceAMaterial) {
    ForEachNode(file_.get(), [&](Lib3dsNode* n) {
        if (n->type != LIB3DS_OBJECT_NODE || std::string(n->name) == "$$$DUMMY") return;
        Lib3dsMesh* mesh = lib3ds_file_mesh_by_name(file_.get(), n->name);
        ASSERT_NE(mesh, nullptr) << "object node " << n->name << " has no mesh";
        ASSERT_GT(mesh->faces, 0u) << "mesh " << n->name << " is empty";
        for (unsigned f = 0; f < mesh->faces; ++f) {
            const char* name = mesh->faceL[f].material;
            if (name[0] == '\0') {
                ASSERT_GT(f, 0u) << "mesh " << n->name << ": the first face names no material";
                continue;
            }
            ASSERT_NE(lib3ds_file_material_by_name(file_.get(), name), nullptr)
                << "mesh " << n->name << " face " << f << " names a missing material " << name;
        }
        if (mesh->texels) {
            EXPECT_EQ(mesh->texels, mesh->points) << "mesh " << n->name;
        }
    });
}

TEST_P(Scene, EveryMaterialShowsAnImageThatExistsInLowerCase) {
    for (Lib3dsMaterial* m = file_->materials; m; m = m->next) {
        const std::string texture = m->texture1_map.name, reflection = m->reflection_map.name;
        EXPECT_FALSE(texture.empty() && reflection.empty())
            << "material " << m->name << " would show the show's first image";
        for (std::string image : {texture, reflection}) {
            if (image.empty()) continue;
            for (char& c : image) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            EXPECT_TRUE(std::filesystem::is_regular_file(DataDir() + "/" + image))
                << "material " << m->name << ": no data/" << image;
        }
    }
}

TEST_P(Scene, StaysWithinTheTriangleBudget) {
    // Software GL: a scene's display lists replay every frame.
    size_t triangles = 0;
    for (Lib3dsNode* n : DrawnNodes(file_.get())) triangles += lib3ds_file_mesh_by_name(file_.get(), n->name)->faces;
    EXPECT_LE(triangles, 15000u);
    int lights = 0;
    for (Lib3dsLight* l = file_->lights; l; l = l->next) ++lights;
    EXPECT_LE(lights, 7) << "lights past the seventh are never used";
}

// Solid meshes the camera must stay out of, and backdrops (wound inwards)
// it must stay in. Meshes that are all additive are light, not matter.
struct Shape {
    Lib3dsNode* node;
    Lib3dsMesh* mesh;
    Solid solid;
};

bool AllAdditive(Lib3dsFile* file, const Lib3dsMesh* mesh) {
    Lib3dsMaterial* current = nullptr;
    for (unsigned f = 0; f < mesh->faces; ++f) {
        if (mesh->faceL[f].material[0]) current = lib3ds_file_material_by_name(file, mesh->faceL[f].material);
        if (!current || current->transparency == 0) return false;
    }
    return true;
}

TEST_P(Scene, CameraStaysOutOfSolidsAndInsideItsBackdrops) {
    Lib3dsNode* camera = Node("Camera01", LIB3DS_CAMERA_NODE);
    ASSERT_NE(camera, nullptr);
    std::vector<Shape> shapes;
    for (Lib3dsNode* n : DrawnNodes(file_.get())) {
        Lib3dsMesh* mesh = lib3ds_file_mesh_by_name(file_.get(), n->name);
        if (AllAdditive(file_.get(), mesh)) continue;
        Solid solid = AnalyseMesh(mesh);
        if (solid.closed) shapes.push_back({n, mesh, std::move(solid)});
    }
    // Half frames too: keys are linear, but a corner can pass through a wall.
    for (int half = 0; half <= 2 * GetParam().frames; ++half) {
        const float frame = half * 0.5f;
        lib3ds_file_eval(file_.get(), frame);
        const Vec eye{camera->data.camera.pos[0], camera->data.camera.pos[1], camera->data.camera.pos[2]};
        for (const Shape& s : shapes) {
            Vec local;
            if (!WorldToMesh(s.node, s.mesh, eye, &local)) continue;  // scaled to nothing: not there
            const bool inward = s.solid.volume * Handedness(s.node, s.mesh) < 0;
            const bool inside = Encloses(s.solid, local);
            if (inward)
                EXPECT_TRUE(inside) << "at frame " << frame << " the camera is outside backdrop " << s.node->name
                                    << ", which faces inwards and shows nothing from there";
            else
                EXPECT_FALSE(inside) << "at frame " << frame << " the camera is inside " << s.node->name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Show, Scene, ::testing::ValuesIn(ShowScenes()), SceneName);

}  // namespace
}  // namespace contenttest
