// The generated scenes through another 3DS reader, Assimp, with its own
// validation: it finds the meshes with their faces' materials, the materials
// with their images, the cameras with clip ranges it can use and the node
// tree, as lib3ds reads them. And those ranges hold every face the player
// draws at any moment of the scene's slot.
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>
#include <lib3ds/camera.h>
#include <lib3ds/light.h>
#include <lib3ds/material.h>
#include <lib3ds/matrix.h>
#include <lib3ds/vector.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <map>
#include <set>

#include "scenelimits.h"
#include "showdata.h"

namespace contenttest {
namespace {

const char kDummy[] = "$$$DUMMY";

class OtherReader : public ::testing::TestWithParam<SceneSlot> {
protected:
    void SetUp() override
    {
        std::string why;
        file_ = LoadScene(GetParam().file, &why);
        ASSERT_TRUE(file_) << why;
        const std::string path = DataDir() + "/" + GetParam().file;
        scene_ = importer_.ReadFile(path, aiProcess_ValidateDataStructure);
        ASSERT_NE(scene_, nullptr) << "Assimp: " << importer_.GetErrorString();
    }

    const aiNode *AssimpNode(const char *name) const { return scene_->mRootNode->FindNode(name); }

    SceneFile file_;
    Assimp::Importer importer_;
    const aiScene *scene_ = nullptr;
};

std::string SceneName(const ::testing::TestParamInfo<SceneSlot> &info)
{
    std::string name;
    for (const char *c = info.param.file; *c && *c != '.'; ++c)
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : 'x';
    return name;
}

std::string MaterialName(const aiMaterial *material)
{
    aiString name;
    material->Get(AI_MATKEY_NAME, name);
    return name.C_Str();
}

std::string ImageOf(const aiMaterial *material, aiTextureType type)
{
    aiString path;
    if (material->GetTexture(type, 0, &path) != AI_SUCCESS) return "";
    return path.C_Str();
}

TEST_P(OtherReader, FindsEveryDrawnMeshWithItsFacesMaterials)
{
    for (Lib3dsNode *node : DrawnNodes(file_.get())) {
        SCOPED_TRACE(node->name);
        const Lib3dsMesh *mesh = lib3ds_file_mesh_by_name(file_.get(), node->name);
        std::map<std::string, unsigned> expected, found;
        for (Lib3dsDword f = 0; f < mesh->faces; ++f) ++expected[mesh->faceL[f].material];
        const aiNode *seen = AssimpNode(node->name);
        ASSERT_NE(seen, nullptr) << "no node of this name";
        for (unsigned i = 0; i < seen->mNumMeshes; ++i) {
            const aiMesh *part = scene_->mMeshes[seen->mMeshes[i]];
            found[MaterialName(scene_->mMaterials[part->mMaterialIndex])] += part->mNumFaces;
        }
        EXPECT_EQ(expected, found) << "faces per material";
    }
}

TEST_P(OtherReader, FindsEveryMaterialWithItsImages)
{
    std::map<std::string, const aiMaterial *> byName;
    for (unsigned i = 0; i < scene_->mNumMaterials; ++i)
        byName[MaterialName(scene_->mMaterials[i])] = scene_->mMaterials[i];
    for (Lib3dsMaterial *m = file_->materials; m; m = m->next) {
        SCOPED_TRACE(m->name);
        ASSERT_TRUE(byName.count(m->name)) << "no material of this name";
        EXPECT_EQ(ImageOf(byName[m->name], aiTextureType_DIFFUSE), m->texture1_map.name);
        EXPECT_EQ(ImageOf(byName[m->name], aiTextureType_REFLECTION), m->reflection_map.name);
    }
}

TEST_P(OtherReader, FindsEveryCameraWithUsableClipRanges)
{
    for (Lib3dsCamera *c = file_->cameras; c; c = c->next) {
        SCOPED_TRACE(c->name);
        const aiCamera *seen = nullptr;
        for (unsigned i = 0; i < scene_->mNumCameras; ++i)
            if (scene_->mCameras[i]->mName == aiString(c->name)) seen = scene_->mCameras[i];
        ASSERT_NE(seen, nullptr) << "no camera of this name";
        EXPECT_GT(seen->mClipPlaneNear, 0);
        EXPECT_GT(seen->mClipPlaneFar, seen->mClipPlaneNear);
        EXPECT_EQ(seen->mClipPlaneNear, c->near_range);
        EXPECT_EQ(seen->mClipPlaneFar, c->far_range);
    }
}

// Each object node as the names from the top of the tree down; Assimp tells
// the dummies apart by a suffix.
void Paths(const aiNode *node, const std::string &above, std::multiset<std::string> *out)
{
    std::string name = node->mName.C_Str();
    if (name.compare(0, std::strlen(kDummy), kDummy) == 0) name = kDummy;
    const std::string path = above + "/" + name;
    out->insert(path);
    for (unsigned i = 0; i < node->mNumChildren; ++i) Paths(node->mChildren[i], path, out);
}

void Paths(const Lib3dsNode *node, const std::string &above, std::multiset<std::string> *out)
{
    for (; node; node = node->next) {
        if (node->type != LIB3DS_OBJECT_NODE) continue;
        const std::string path = above + "/" + node->name;
        out->insert(path);
        Paths(node->childs, path, out);
    }
}

TEST_P(OtherReader, FindsTheObjectNodeTree)
{
    std::multiset<std::string> expected, found;
    Paths(file_->nodes, "", &expected);
    // Cameras and lights stand at the top of Assimp's tree.
    std::set<std::string> notObjects;
    for (Lib3dsCamera *c = file_->cameras; c; c = c->next) notObjects.insert(c->name);
    for (Lib3dsLight *l = file_->lights; l; l = l->next) notObjects.insert(l->name);
    const aiNode *root = scene_->mRootNode;
    for (unsigned i = 0; i < root->mNumChildren; ++i)
        if (!notObjects.count(root->mChildren[i]->mName.C_Str()))
            Paths(root->mChildren[i], "", &found);
    EXPECT_EQ(expected, found);
}

// The nearest point of triangle abc to p: inside it, or on one of its edges.
using Point = std::array<double, 3>;
Point Minus(const Point &a, const Point &b)
{
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
double Dot(const Point &a, const Point &b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
Point Plus(const Point &a, const Point &d, double t)
{
    return {a[0] + d[0] * t, a[1] + d[1] * t, a[2] + d[2] * t};
}

double DistanceToSegment(const Point &p, const Point &a, const Point &b)
{
    const Point ab = Minus(b, a);
    const double length2 = Dot(ab, ab);
    const double t = length2 > 0 ? std::clamp(Dot(Minus(p, a), ab) / length2, 0.0, 1.0) : 0;
    const Point d = Minus(p, Plus(a, ab, t));
    return std::sqrt(Dot(d, d));
}

double DistanceToTriangle(const Point &p, const Point &a, const Point &b, const Point &c)
{
    const Point u = Minus(b, a), v = Minus(c, a), w = Minus(p, a);
    const double uu = Dot(u, u), uv = Dot(u, v), vv = Dot(v, v), wu = Dot(w, u), wv = Dot(w, v);
    const double det = uu * vv - uv * uv;
    if (det > 0) {
        const double s = (vv * wu - uv * wv) / det, t = (uu * wv - uv * wu) / det;
        if (s >= 0 && t >= 0 && s + t <= 1) {
            const Point d = Minus(p, Plus(Plus(a, u, s), v, t));
            return std::sqrt(Dot(d, d));
        }
    }
    return std::min(
        {DistanceToSegment(p, a, b), DistanceToSegment(p, b, c), DistanceToSegment(p, c, a)});
}

// Checked at instants between those the ranges were measured at (every
// tenth of a frame), over the whole slot.
TEST_P(OtherReader, CameraRangesHoldEveryFaceThePlayerDraws)
{
    const Lib3dsCamera *camera = file_->cameras;
    ASSERT_NE(camera, nullptr);
    Lib3dsNode *eyeNode = lib3ds_file_node_by_name(file_.get(), camera->name, LIB3DS_CAMERA_NODE);
    ASSERT_NE(eyeNode, nullptr);
    const std::vector<Lib3dsNode *> drawn = DrawnNodes(file_.get());
    double nearest = INFINITY, farthest = 0;
    for (int ms = 5; ms < GetParam().frames * 100; ms += 10) {
        lib3ds_file_eval(file_.get(), ms / 100.0f);
        const float *e = eyeNode->data.camera.pos;
        const Point eye{e[0], e[1], e[2]};
        for (Lib3dsNode *node : drawn) {
            Lib3dsMesh *mesh = lib3ds_file_mesh_by_name(file_.get(), node->name);
            Lib3dsMatrix chain, inverse;
            lib3ds_matrix_copy(chain, node->matrix);
            const float *pivot = node->data.object.pivot;
            lib3ds_matrix_translate_xyz(chain, -pivot[0], -pivot[1], -pivot[2]);
            lib3ds_matrix_copy(inverse, mesh->matrix);
            lib3ds_matrix_inv(inverse);
            lib3ds_matrix_mult(chain, inverse);
            std::vector<Point> points(mesh->points);
            for (Lib3dsDword i = 0; i < mesh->points; ++i) {
                Lib3dsVector w;
                lib3ds_vector_transform(w, chain, mesh->pointL[i].pos);
                points[i] = {w[0], w[1], w[2]};
            }
            for (Lib3dsDword f = 0; f < mesh->faces; ++f) {
                const Lib3dsWord *k = mesh->faceL[f].points;
                nearest = std::min(
                    nearest, DistanceToTriangle(eye, points[k[0]], points[k[1]], points[k[2]]));
                for (int j = 0; j < 3; ++j) {
                    const Point d = Minus(points[k[j]], eye);
                    farthest = std::max(farthest, std::sqrt(Dot(d, d)));
                }
            }
        }
    }
    EXPECT_LE(camera->near_range, static_cast<float>(std::max(nearest, scenelimits::NearPlane)));
    EXPECT_GE(camera->far_range, static_cast<float>(std::min(farthest, scenelimits::FarPlane)));
}

INSTANTIATE_TEST_SUITE_P(Show, OtherReader, ::testing::ValuesIn(ShowScenes()), SceneName);

}  // namespace
}  // namespace contenttest
