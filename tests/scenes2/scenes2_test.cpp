// Checks of scenes 9-15 through the files lib3ds writes and reads back: what
// the player will see at every frame, evaluated by the library itself.
#include <gtest/gtest.h>
#include <lib3ds/file.h>
#include <lib3ds/light.h>
#include <lib3ds/material.h>
#include <lib3ds/matrix.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>
#include <lib3ds/vector.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "scenes.h"

namespace {

struct V {
    float x = 0, y = 0, z = 0;
};
V operator+(V a, V b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V operator-(V a, V b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V operator*(V a, float s) { return {a.x * s, a.y * s, a.z * s}; }
float Dot(V a, V b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V Cross(V a, V b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float Length(V a) { return std::sqrt(Dot(a, a)); }
V Unit(V a) { return a * (1 / Length(a)); }
V FromLib(const Lib3dsVector v) { return {v[0], v[1], v[2]}; }

using File = std::unique_ptr<Lib3dsFile, void (*)(Lib3dsFile*)>;

// Saves the scene with scenekit and loads it back with lib3ds.
File SaveAndLoad(const scenekit::Scene& scene, const std::string& name)
{
    char dir[] = "/tmp/scenes2-test-XXXXXX";
    if (!mkdtemp(dir)) return File(nullptr, lib3ds_file_free);
    const std::string path = std::string(dir) + "/" + name;
    std::string error;
    EXPECT_TRUE(scene.Save(path, &error)) << name << ": " << error;
    File file(lib3ds_file_load(path.c_str()), lib3ds_file_free);
    unlink(path.c_str());
    rmdir(dir);
    return file;
}

struct View {
    V eye, target;
    float fovDeg;
};

View CameraAt(Lib3dsFile* file, float frame)
{
    lib3ds_file_eval(file, frame);
    Lib3dsNode* camera = lib3ds_file_node_by_name(file, "Camera01", LIB3DS_CAMERA_NODE);
    Lib3dsNode* target = lib3ds_file_node_by_name(file, "Camera01", LIB3DS_TARGET_NODE);
    EXPECT_TRUE(camera && target);
    if (!camera || !target) return {};
    return {FromLib(camera->data.camera.pos), FromLib(target->data.target.pos), camera->data.camera.fov};
}

// The node's mesh points where the player draws them at the last evaluation:
// node matrix, minus the pivot, undoing the mesh's own matrix.
std::vector<V> WorldPoints(Lib3dsFile* file, Lib3dsNode* node)
{
    Lib3dsMesh* mesh = lib3ds_file_mesh_by_name(file, node->name);
    if (!mesh) return {};
    Lib3dsMatrix inverse;
    lib3ds_matrix_copy(inverse, mesh->matrix);
    lib3ds_matrix_inv(inverse);
    std::vector<V> points;
    for (unsigned i = 0; i < mesh->points; i++) {
        Lib3dsVector local, moved, world;
        lib3ds_vector_transform(local, inverse, mesh->pointL[i].pos);
        for (int k = 0; k < 3; k++) moved[k] = local[k] - node->data.object.pivot[k];
        lib3ds_vector_transform(world, node->matrix, moved);
        points.push_back(FromLib(world));
    }
    return points;
}

Lib3dsNode* ObjectNode(Lib3dsFile* file, const char* name)
{
    return lib3ds_file_node_by_name(file, name, LIB3DS_OBJECT_NODE);
}

// Nearest hit of the ray on the mesh (Moller-Trumbore): distance, and
// whether that face is wound towards the ray's origin. Answers -1 for a miss.
float CastRay(const std::vector<V>& points, Lib3dsMesh* mesh, V origin, V dir, bool* frontFacing)
{
    float nearest = -1;
    for (unsigned f = 0; f < mesh->faces; f++) {
        const unsigned short* idx = mesh->faceL[f].points;
        const V a = points[idx[0]], b = points[idx[1]], c = points[idx[2]];
        const V e1 = b - a, e2 = c - a, p = Cross(dir, e2);
        const float det = Dot(e1, p);
        if (std::fabs(det) < 1e-9f) continue;
        const V s = origin - a;
        const float u = Dot(s, p) / det;
        if (u < 0 || u > 1) continue;
        const V q = Cross(s, e1);
        const float v = Dot(dir, q) / det;
        if (v < 0 || u + v > 1) continue;
        const float t = Dot(e2, q) / det;
        if (t > 0 && (nearest < 0 || t < nearest)) {
            nearest = t;
            *frontFacing = Dot(Cross(e1, e2), dir) < 0;
        }
    }
    return nearest;
}

struct Case {
    const char* file;
    std::function<scenekit::Scene()> build;
    int frames;
};

const Case kScenes[] = {
    {"capsul.3ds", scenes::BuildCapsules, 80}, {"tub2.3ds", scenes::BuildServiceTunnel, 80},
    {"tub.3ds", scenes::BuildNeonTunnel, 80},       {"_i.3ds", scenes::BuildInterlude, 80},
    {"cyl.3ds", scenes::BuildColonnade, 80},       {"t.3ds", scenes::BuildClimax, 160},
    {"end.3ds", scenes::BuildEnd, 80},
};

// ---- Tunnels ---------------------------------------------------------------

// At every half frame the camera must have the tunnel wall all round it, seen
// from inside and not too close, and a long clear view ahead; over the slot
// it must cover a good length of tunnel.
void ExpectFlownThrough(const scenekit::Scene& scene, const std::string& name)
{
    File file = SaveAndLoad(scene, name);
    ASSERT_TRUE(file) << name;
    Lib3dsNode* tunnelNode = ObjectNode(file.get(), "Tunnel");
    Lib3dsMesh* tunnel = lib3ds_file_mesh_by_name(file.get(), "Tunnel");
    ASSERT_TRUE(tunnelNode && tunnel) << name << " has no Tunnel object";
    const float kClearance = 12, kClearAhead = 200;
    float travelled = 0;
    V last = CameraAt(file.get(), 0).eye;
    for (int half = 0; half <= 160; half++) {
        const float frame = half * 0.5f;
        const View view = CameraAt(file.get(), frame);
        const std::vector<V> wall = WorldPoints(file.get(), tunnelNode);
        const V ahead = Unit(view.target - view.eye);
        const V side = Unit(Cross(ahead, {0, 0, 1}));
        const V up = Cross(side, ahead);
        bool front = false;
        const float clear = CastRay(wall, tunnel, view.eye, ahead, &front);
        EXPECT_TRUE(clear < 0 || clear > kClearAhead)
            << name << " frame " << frame << ": wall " << clear << " ahead, expected more than " << kClearAhead;
        // Eight rays round the line of sight, leaning 30 degrees forward.
        for (int k = 0; k < 8; k++) {
            const float a = k * float(M_PI) / 4;
            const V ray = Unit((side * std::cos(a) + up * std::sin(a)) * 0.866f + ahead * 0.5f);
            const float hit = CastRay(wall, tunnel, view.eye, ray, &front);
            EXPECT_GT(hit, kClearance) << name << " frame " << frame << " ray " << k
                                       << ": expected the wall at least " << kClearance << " away (-1: none)";
            EXPECT_TRUE(hit < 0 || front) << name << " frame " << frame << " ray " << k
                                          << ": the wall is seen from outside";
        }
        travelled += Length(view.eye - last);
        last = view.eye;
    }
    EXPECT_GT(travelled, 800) << name << ": the camera should fly a long way down the tunnel";
}

TEST(Tunnels, Tub2CameraStaysInsideTheWallAndLooksDownTheTunnel)
{
    ExpectFlownThrough(scenes::BuildServiceTunnel(), "tub2.3ds");
}

TEST(Tunnels, TubCameraStaysInsideTheWallAndLooksDownTheTunnel)
{
    ExpectFlownThrough(scenes::BuildNeonTunnel(), "tub.3ds");
}

// ---- The closing title -----------------------------------------------------

// Over the last bar every title letter lies wholly inside the view frustum,
// in front of the camera, with its front faces towards it (readable, not
// mirrored).
TEST(EndTitle, IsWhollyInViewAndReadableOverTheLastBar)
{
    File file = SaveAndLoad(scenes::BuildEnd(), "end.3ds");
    ASSERT_TRUE(file);
    int letters = 0;
    for (int frame = 60; frame <= 80; frame++) {
        const View view = CameraAt(file.get(), float(frame));
        const V ahead = Unit(view.target - view.eye);
        const V right = Unit(Cross(ahead, {0, 0, 1}));
        const V up = Cross(right, ahead);
        const float tanHalf = std::tan(view.fovDeg * float(M_PI) / 360);
        letters = 0;
        for (Lib3dsNode* node = file->nodes; node; node = node->next) {
            const std::string name = node->name;
            if (node->type != LIB3DS_OBJECT_NODE || (name.rfind("Title", 0) != 0 && name != "Subtitle")) continue;
            letters++;
            float widest = 0, tallest = 0, nearest = 1e9f;
            for (const V& p : WorldPoints(file.get(), node)) {
                const V rel = p - view.eye;
                const float depth = Dot(rel, ahead);
                nearest = std::fmin(nearest, depth);
                widest = std::fmax(widest, std::fabs(Dot(rel, right) / (depth * tanHalf * 1.333f)));
                tallest = std::fmax(tallest, std::fabs(Dot(rel, up) / (depth * tanHalf)));
            }
            ASSERT_GT(nearest, 1) << name << " behind the camera at frame " << frame;
            EXPECT_LE(widest, 0.95f) << name << " leaves the view sideways at frame " << frame;
            EXPECT_LE(tallest, 0.95f) << name << " leaves the view vertically at frame " << frame;
            // BlockText's front faces look along -Y (leaning back a little at most) in the mesh; after the
            // node's transform they must still face the camera.
            Lib3dsMesh* mesh = lib3ds_file_mesh_by_name(file.get(), node->name);
            const std::vector<V> world = WorldPoints(file.get(), node);
            V facing{0, 0, 0};
            for (unsigned f = 0; f < mesh->faces; f++) {
                const unsigned short* idx = mesh->faceL[f].points;
                if (mesh->faceL[f].normal[1] < -0.85f)
                    facing = facing + Cross(world[idx[1]] - world[idx[0]], world[idx[2]] - world[idx[0]]);
            }
            EXPECT_LT(Dot(Unit(facing), ahead), -0.5f) << name << " is not seen from the front at frame " << frame;
        }
    }
    EXPECT_EQ(letters, 5) << "four title letters and the subtitle";
}

// ---- Hierarchy -------------------------------------------------------------

int DummyDepth(Lib3dsNode* node)
{
    int deepest = 0;
    for (Lib3dsNode* child = node->childs; child; child = child->next) {
        const int below = DummyDepth(child);
        if (below > deepest) deepest = below;
    }
    const bool dummyParent = std::strcmp(node->name, "$$$DUMMY") == 0 && node->childs;
    return dummyParent ? deepest + 1 : deepest;
}

// The climax turns rings inside rings: dummies nested in dummies, and the
// objects under them really move.
TEST(Climax, NestsMovingObjectsUnderDummies)
{
    File file = SaveAndLoad(scenes::BuildClimax(), "t.3ds");
    ASSERT_TRUE(file);
    int deepest = 0;
    for (Lib3dsNode* node = file->nodes; node; node = node->next) {
        const int depth = DummyDepth(node);
        if (depth > deepest) deepest = depth;
    }
    EXPECT_GE(deepest, 3) << "three rings, each turning inside the last";

    const char* moving[] = {"RingInner", "Sat3", "zSpark10"};
    for (const char* name : moving) {
        Lib3dsNode* node = ObjectNode(file.get(), name);
        ASSERT_TRUE(node) << name;
        ASSERT_TRUE(node->parent && std::strcmp(node->parent->name, "$$$DUMMY") == 0) << name;
        lib3ds_file_eval(file.get(), 0);
        const std::vector<V> before = WorldPoints(file.get(), node);
        lib3ds_file_eval(file.get(), 37);
        const std::vector<V> after = WorldPoints(file.get(), node);
        ASSERT_FALSE(before.empty());
        EXPECT_GT(Length(after[0] - before[0]), 5) << name << " does not move";
    }
}

// ---- Drawing order and lights ----------------------------------------------

bool Transparent(Lib3dsFile* file, Lib3dsNode* node)
{
    Lib3dsMesh* mesh = lib3ds_file_mesh_by_name(file, node->name);
    if (!mesh) return false;
    for (unsigned f = 0; f < mesh->faces; f++) {
        Lib3dsMaterial* m = lib3ds_file_material_by_name(file, mesh->faceL[f].material);
        if (m && m->transparency != 0) return true;
    }
    return false;
}

// The player's order: children first, then the node.
void DrawOrder(Lib3dsNode* node, std::vector<Lib3dsNode*>* order)
{
    for (Lib3dsNode* child = node->childs; child; child = child->next) DrawOrder(child, order);
    if (node->type == LIB3DS_OBJECT_NODE && std::strcmp(node->name, "$$$DUMMY") != 0) order->push_back(node);
}

// Glows are drawn without depth test or depth writes: an opaque node drawn
// after one would paint over it wherever it lies behind the glow. Every scene
// also keeps within the seven lights the player passes on.
TEST(AllScenes, DrawGlowsAfterEveryOpaqueObjectAndUseAtMostSevenLights)
{
    int glows = 0;
    for (const Case& c : kScenes) {
        File file = SaveAndLoad(c.build(), c.file);
        ASSERT_TRUE(file) << c.file;
        std::vector<Lib3dsNode*> order;
        for (Lib3dsNode* node = file->nodes; node; node = node->next) DrawOrder(node, &order);
        const char* firstGlow = nullptr;
        for (Lib3dsNode* node : order) {
            if (Transparent(file.get(), node)) {
                glows++;
                if (!firstGlow) firstGlow = node->name;
            } else {
                EXPECT_EQ(firstGlow, nullptr) << c.file << ": opaque " << node->name << " is drawn after glow "
                                              << firstGlow;
            }
        }
        int lights = 0;
        for (Lib3dsLight* light = file->lights; light; light = light->next) lights++;
        EXPECT_GE(lights, 2) << c.file;
        EXPECT_LE(lights, 7) << c.file;
    }
    EXPECT_GT(glows, 0) << "no glows at all: the order was not checked";
}

}  // namespace
