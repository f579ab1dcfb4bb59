// Every generated scene keeps the rules the player relies on, and the ones
// that make it look right: its camera, its nodes, meshes, materials and
// images, a camera that moves through the whole slot without entering a
// solid, and glows drawn after the solids that would cover them. Then what
// single scenes promise: tunnels flown through, a readable closing title,
// the climax's rings within rings.
#include <gtest/gtest.h>
#include <lib3ds/camera.h>
#include <lib3ds/material.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "showdata.h"

namespace contenttest {
namespace {

class Scene : public ::testing::TestWithParam<SceneSlot> {
protected:
    void SetUp() override
    {
        std::string why;
        file_ = LoadScene(GetParam().file, &why);
        ASSERT_TRUE(file_) << why;
    }
    Lib3dsNode *Node(const char *name, Lib3dsNodeTypes type)
    {
        return lib3ds_file_node_by_name(file_.get(), name, type);
    }
    SceneFile file_;
};

std::string SceneName(const ::testing::TestParamInfo<SceneSlot> &info)
{
    std::string name;
    for (const char *c = info.param.file; *c && *c != '.'; ++c)
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : 'x';
    return name;
}

TEST_P(Scene, IsSeenThroughCamera01WithItsCameraAndTargetNodes)
{
    ASSERT_NE(file_->cameras, nullptr) << "no camera";
    EXPECT_STREQ(file_->cameras->name, "Camera01") << "the first camera by name is the one shown";
    EXPECT_NE(Node("Camera01", LIB3DS_CAMERA_NODE), nullptr);
    EXPECT_NE(Node("Camera01", LIB3DS_TARGET_NODE), nullptr);
}

TEST_P(Scene, LastsItsSlotWithCameraKeysFromZeroToTheEnd)
{
    EXPECT_EQ(file_->frames, unsigned(GetParam().frames)) << "the scene's length is not its slot's";
    Lib3dsNode *camera = Node("Camera01", LIB3DS_CAMERA_NODE);
    Lib3dsNode *target = Node("Camera01", LIB3DS_TARGET_NODE);
    ASSERT_TRUE(camera && target);
    for (Lib3dsLin3Key *first :
         {camera->data.camera.pos_track.keyL, target->data.target.pos_track.keyL}) {
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(first->tcb.frame, 0);
        Lib3dsLin3Key *last = first;
        while (last->next) last = last->next;
        EXPECT_GE(last->tcb.frame, GetParam().frames)
            << "the camera would stand still before the slot ends";
    }
}

TEST_P(Scene, EveryTrackHasAKeyAtFrameZero)
{
    // Before its first key a lib3ds track answers its last key's value.
    ForEachNode(file_.get(), [&](Lib3dsNode *n) {
        std::vector<std::pair<const char *, Lib3dsIntd>> firsts;
        auto lin3 = [&](const char *what, const Lib3dsLin3Track &t) {
            if (t.keyL) firsts.push_back({what, t.keyL->tcb.frame});
        };
        if (n->type == LIB3DS_OBJECT_NODE) {
            lin3("position", n->data.object.pos_track);
            lin3("scale", n->data.object.scl_track);
            if (n->data.object.rot_track.keyL)
                firsts.push_back({"rotation", n->data.object.rot_track.keyL->tcb.frame});
        } else if (n->type == LIB3DS_CAMERA_NODE) {
            lin3("position", n->data.camera.pos_track);
        } else if (n->type == LIB3DS_TARGET_NODE) {
            lin3("position", n->data.target.pos_track);
        }
        for (const auto &[what, frame] : firsts)
            EXPECT_EQ(frame, 0) << "node " << n->name << " (id " << n->node_id << "): " << what;
    });
}

TEST_P(Scene, CameraMovesWithAUsableLensAndNoRoll)
{
    Lib3dsNode *camera = Node("Camera01", LIB3DS_CAMERA_NODE);
    Lib3dsNode *target = Node("Camera01", LIB3DS_TARGET_NODE);
    ASSERT_TRUE(camera && target);
    double travelled = 0;
    Vec previous{};
    for (int f = 0; f <= GetParam().frames; ++f) {
        lib3ds_file_eval(file_.get(), static_cast<Lib3dsFloat>(f));
        const Vec pos = FromLib(camera->data.camera.pos);
        ASSERT_GT(Length(Sub(FromLib(target->data.target.pos), pos)), 1e-3)
            << "camera on its target at frame " << f;
        EXPECT_GE(camera->data.camera.fov, 25.0f) << "frame " << f;
        EXPECT_LE(camera->data.camera.fov, 90.0f) << "frame " << f;
        EXPECT_NEAR(camera->data.camera.roll, 0.0f, 1e-3f) << "frame " << f;
        if (f > 0) travelled += Length(Sub(pos, previous));
        previous = pos;
    }
    EXPECT_GT(travelled, 10.0) << "the camera hardly moves";
}

TEST_P(Scene, EveryObjectNodeHasItsMeshAndEveryFaceAMaterial)
{
    ForEachNode(file_.get(), [&](Lib3dsNode *n) {
        if (n->type != LIB3DS_OBJECT_NODE || std::string(n->name) == "$$$DUMMY") return;
        Lib3dsMesh *mesh = lib3ds_file_mesh_by_name(file_.get(), n->name);
        ASSERT_NE(mesh, nullptr) << "object node " << n->name << " has no mesh";
        ASSERT_GT(mesh->faces, 0u) << "mesh " << n->name << " is empty";
        for (unsigned f = 0; f < mesh->faces; ++f) {
            const char *name = mesh->faceL[f].material;
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

TEST_P(Scene, EveryMaterialShowsAnImageThatExistsInLowerCase)
{
    for (Lib3dsMaterial *m = file_->materials; m; m = m->next) {
        const std::string texture = m->texture1_map.name, reflection = m->reflection_map.name;
        EXPECT_FALSE(texture.empty() && reflection.empty())
            << "material " << m->name << " would show the show's first image";
        for (std::string image : {texture, reflection}) {
            if (image.empty()) continue;
            for (char &c : image)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            EXPECT_TRUE(std::filesystem::is_regular_file(DataDir() + "/" + image))
                << "material " << m->name << ": no data/" << image;
        }
    }
}

TEST_P(Scene, StaysWithinTheTriangleBudget)
{
    // Software GL: a scene's display lists replay every frame.
    size_t triangles = 0;
    for (Lib3dsNode *n : DrawnNodes(file_.get()))
        triangles += lib3ds_file_mesh_by_name(file_.get(), n->name)->faces;
    EXPECT_LE(triangles, 15000u);
}

// The player turns sphere mapping on at a reflective face and off only after
// a mesh whose last face is reflective, so it can stay on into the faces and
// meshes drawn next. Every face drawn that way must show the image the
// mapping started with, drawn as that material draws (its twin): a sky or a
// glow drawn sphere-mapped would show its image smeared over its faces.
TEST_P(Scene, SphereMapsOnlyFacesThatShowTheReflectedImage)
{
    const Lib3dsMaterial *opener = nullptr;  // the material that turned the mapping on
    for (Lib3dsNode *n : DrawnNodes(file_.get())) {
        const Lib3dsMesh *mesh = lib3ds_file_mesh_by_name(file_.get(), n->name);
        const Lib3dsMaterial *m = nullptr;  // faces without a name keep the one before
        bool reflective = false;
        for (unsigned f = 0; f < mesh->faces; ++f) {
            if (mesh->faceL[f].material[0])
                m = lib3ds_file_material_by_name(file_.get(), mesh->faceL[f].material);
            reflective = m && m->reflection_map.name[0];
            if (reflective) {
                opener = m;
            } else if (opener) {
                const bool twin =
                    m && std::strcmp(m->texture1_map.name, opener->reflection_map.name) == 0 &&
                    m->transparency == opener->transparency;
                EXPECT_TRUE(twin) << n->name << " face " << f << " ("
                                  << (m ? m->name : "no material")
                                  << ") is drawn sphere-mapped after " << opener->name;
                if (!twin) return;
            }
        }
        if (reflective) opener = nullptr;
    }
    EXPECT_EQ(opener, nullptr)
        << "sphere mapping stays on after the last node, into the next picture";
}

// Glows that are meant to be covered by the solids drawn after them (see the
// scene kit's rule): the opening's haze is a halo behind its planet and rings.
const std::pair<const char *, const char *> kCoveredGlows[] = {{"_i2.3ds", "Haze"}};

bool IsAncestor(const Lib3dsNode *node, const Lib3dsNode *of)
{
    for (const Lib3dsNode *p = of->parent; p; p = p->parent)
        if (p == node) return true;
    return false;
}

TEST_P(Scene, DrawsEveryGlowAfterTheSolidsThatWouldCoverIt)
{
    std::vector<Lib3dsNode *> glows;
    for (Lib3dsNode *n : DrawnNodes(file_.get())) {
        if (IsGlow(file_.get(), lib3ds_file_mesh_by_name(file_.get(), n->name))) {
            glows.push_back(n);
            continue;
        }
        for (Lib3dsNode *glow : glows) {
            // A glow riding on a solid hangs under it, and the player draws children first.
            if (IsAncestor(n, glow)) continue;
            bool meant = false;
            for (const auto &[file, name] : kCoveredGlows)
                meant |= GetParam().file == std::string(file) && glow->name == std::string(name);
            EXPECT_TRUE(meant) << "solid " << n->name << " is drawn after glow " << glow->name
                               << " and covers it";
        }
    }
}

// Solid meshes the camera must stay out of, and backdrops (wound inwards)
// it must stay in. Meshes that are all additive are light, not matter.
struct Shape {
    Lib3dsNode *node;
    Lib3dsMesh *mesh;
    Solid solid;
};

bool AllAdditive(Lib3dsFile *file, const Lib3dsMesh *mesh)
{
    Lib3dsMaterial *current = nullptr;
    for (unsigned f = 0; f < mesh->faces; ++f) {
        if (mesh->faceL[f].material[0])
            current = lib3ds_file_material_by_name(file, mesh->faceL[f].material);
        if (!current || current->transparency == 0) return false;
    }
    return true;
}

TEST_P(Scene, CameraStaysOutOfSolidsAndInsideItsBackdrops)
{
    Lib3dsNode *camera = Node("Camera01", LIB3DS_CAMERA_NODE);
    ASSERT_NE(camera, nullptr);
    std::vector<Shape> shapes;
    for (Lib3dsNode *n : DrawnNodes(file_.get())) {
        Lib3dsMesh *mesh = lib3ds_file_mesh_by_name(file_.get(), n->name);
        if (AllAdditive(file_.get(), mesh)) continue;
        Solid solid = AnalyseMesh(mesh);
        if (solid.closed) shapes.push_back({n, mesh, std::move(solid)});
    }
    // Half frames too: keys are linear, but a corner can pass through a wall.
    for (int half = 0; half <= 2 * GetParam().frames; ++half) {
        const float frame = half * 0.5f;
        lib3ds_file_eval(file_.get(), frame);
        const Vec eye = FromLib(camera->data.camera.pos);
        for (const Shape &s : shapes) {
            Vec local;
            if (!WorldToMesh(s.node, s.mesh, eye, &local))
                continue;  // scaled to nothing: not there
            const bool inward = s.solid.volume * Handedness(s.node, s.mesh) < 0;
            const bool inside = Encloses(s.solid, local);
            if (inward)
                EXPECT_TRUE(inside)
                    << "at frame " << frame << " the camera is outside backdrop " << s.node->name
                    << ", which faces inwards and shows nothing from there";
            else
                EXPECT_FALSE(inside)
                    << "at frame " << frame << " the camera is inside " << s.node->name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Show, Scene, ::testing::ValuesIn(ShowScenes()), SceneName);

// ---- Single scenes -------------------------------------------------------------

SceneFile Load(const char *name)
{
    std::string why;
    SceneFile file = LoadScene(name, &why);
    EXPECT_TRUE(file) << why;
    return file;
}

struct View {
    Vec eye, ahead, right, up;  // right and up level with the horizon
    double fovDeg;
};

View CameraAt(Lib3dsFile *file, float frame)
{
    lib3ds_file_eval(file, frame);
    Lib3dsNode *camera = lib3ds_file_node_by_name(file, "Camera01", LIB3DS_CAMERA_NODE);
    Lib3dsNode *target = lib3ds_file_node_by_name(file, "Camera01", LIB3DS_TARGET_NODE);
    EXPECT_TRUE(camera && target);
    if (!camera || !target) return {};
    View v;
    v.eye = FromLib(camera->data.camera.pos);
    v.ahead = Unit(Sub(FromLib(target->data.target.pos), v.eye));
    v.right = Unit(Cross(v.ahead, {0, 0, 1}));
    v.up = Cross(v.right, v.ahead);
    v.fovDeg = camera->data.camera.fov;
    return v;
}

// Nearest hit of the ray on the mesh (Moller-Trumbore) with its points where
// they are drawn: the distance, and whether that face is wound towards the
// ray's origin. Answers -1 for a miss.
double CastRay(const std::vector<Vec> &points, const Lib3dsMesh *mesh, const Vec &origin,
               const Vec &dir, bool *frontFacing)
{
    double nearest = -1;
    for (unsigned f = 0; f < mesh->faces; f++) {
        const Lib3dsWord *idx = mesh->faceL[f].points;
        const Vec &a = points[idx[0]];
        const Vec e1 = Sub(points[idx[1]], a), e2 = Sub(points[idx[2]], a), p = Cross(dir, e2);
        const double det = Dot(e1, p);
        if (std::fabs(det) < 1e-9) continue;
        const Vec s = Sub(origin, a);
        const double u = Dot(s, p) / det;
        if (u < 0 || u > 1) continue;
        const Vec q = Cross(s, e1);
        const double v = Dot(dir, q) / det;
        if (v < 0 || u + v > 1) continue;
        const double t = Dot(e2, q) / det;
        if (t > 0 && (nearest < 0 || t < nearest)) {
            nearest = t;
            *frontFacing = Dot(Cross(e1, e2), dir) < 0;
        }
    }
    return nearest;
}

// At every half frame the camera has the tunnel wall all round it, seen from
// inside and not too close, and a long clear view ahead; over the slot it
// covers a good length of tunnel.
TEST(Tunnels, CamerasFlyDownTheirTunnelsInsideTheWall)
{
    for (const char *name : {"tub2.3ds", "tub.3ds"}) {
        SceneFile file = Load(name);
        ASSERT_TRUE(file);
        Lib3dsNode *node = lib3ds_file_node_by_name(file.get(), "Tunnel", LIB3DS_OBJECT_NODE);
        Lib3dsMesh *tunnel = lib3ds_file_mesh_by_name(file.get(), "Tunnel");
        ASSERT_TRUE(node && tunnel) << name << " has no Tunnel object";
        const double kClearance = 12, kClearAhead = 200;
        double travelled = 0;
        Vec last = CameraAt(file.get(), 0).eye;
        for (int half = 0; half <= 160; half++) {
            const float frame = half * 0.5f;
            const View view = CameraAt(file.get(), frame);
            const std::vector<Vec> wall = WorldPoints(node, tunnel);
            ASSERT_EQ(wall.size(), tunnel->points);
            bool front = false;
            const double clear = CastRay(wall, tunnel, view.eye, view.ahead, &front);
            EXPECT_TRUE(clear < 0 || clear > kClearAhead)
                << name << " frame " << frame << ": wall " << clear << " ahead, expected more than "
                << kClearAhead;
            // Eight rays round the line of sight, leaning 30 degrees forward.
            for (int k = 0; k < 8; k++) {
                const double a = k * M_PI / 4;
                const Vec across = Add(Scale(view.right, std::cos(a)), Scale(view.up, std::sin(a)));
                const Vec ray = Unit(Add(Scale(across, 0.866), Scale(view.ahead, 0.5)));
                const double hit = CastRay(wall, tunnel, view.eye, ray, &front);
                EXPECT_GT(hit, kClearance)
                    << name << " frame " << frame << " ray " << k << ": expected the wall at least "
                    << kClearance << " away (-1: none)";
                EXPECT_TRUE(hit < 0 || front) << name << " frame " << frame << " ray " << k
                                              << ": the wall is seen from outside";
            }
            travelled += Length(Sub(view.eye, last));
            last = view.eye;
        }
        EXPECT_GT(travelled, 800) << name << ": the camera should fly a long way down the tunnel";
    }
}

// Over the last bar every title letter lies wholly inside the view frustum,
// in front of the camera, with its front faces towards it (readable, not
// mirrored).
TEST(EndTitle, IsWhollyInViewAndReadableOverTheLastBar)
{
    SceneFile file = Load("end.3ds");
    ASSERT_TRUE(file);
    int letters = 0;
    for (int frame = 60; frame <= 80; frame++) {
        const View view = CameraAt(file.get(), float(frame));
        const double tanHalf = std::tan(view.fovDeg * M_PI / 360);
        letters = 0;
        for (Lib3dsNode *node = file->nodes; node; node = node->next) {
            const std::string name = node->name;
            if (node->type != LIB3DS_OBJECT_NODE ||
                (name.rfind("Title", 0) != 0 && name != "Subtitle"))
                continue;
            letters++;
            Lib3dsMesh *mesh = lib3ds_file_mesh_by_name(file.get(), node->name);
            ASSERT_TRUE(mesh) << name;
            const std::vector<Vec> world = WorldPoints(node, mesh);
            ASSERT_EQ(world.size(), mesh->points);
            double widest = 0, tallest = 0, nearest = 1e9;
            for (const Vec &p : world) {
                const Vec rel = Sub(p, view.eye);
                const double depth = Dot(rel, view.ahead);
                nearest = std::fmin(nearest, depth);
                widest =
                    std::fmax(widest, std::fabs(Dot(rel, view.right) / (depth * tanHalf * 1.333)));
                tallest = std::fmax(tallest, std::fabs(Dot(rel, view.up) / (depth * tanHalf)));
            }
            ASSERT_GT(nearest, 1) << name << " behind the camera at frame " << frame;
            EXPECT_LE(widest, 0.95) << name << " leaves the view sideways at frame " << frame;
            EXPECT_LE(tallest, 0.95) << name << " leaves the view vertically at frame " << frame;
            // Block letters' front faces look along -Y (leaning back a little at
            // most) in the mesh; after the node's transform they must still face the camera.
            Vec facing{0, 0, 0};
            for (unsigned f = 0; f < mesh->faces; f++) {
                const Lib3dsWord *idx = mesh->faceL[f].points;
                if (mesh->faceL[f].normal[1] < -0.85f)
                    facing = Add(facing, Cross(Sub(world[idx[1]], world[idx[0]]),
                                               Sub(world[idx[2]], world[idx[0]])));
            }
            EXPECT_LT(Dot(Unit(facing), view.ahead), -0.5)
                << name << " is not seen from the front at frame " << frame;
        }
    }
    EXPECT_EQ(letters, 5) << "four title letters and the subtitle";
}

int DummyDepth(const Lib3dsNode *node)
{
    int deepest = 0;
    for (const Lib3dsNode *child = node->childs; child; child = child->next)
        deepest = std::max(deepest, DummyDepth(child));
    const bool dummyParent = std::strcmp(node->name, "$$$DUMMY") == 0 && node->childs;
    return dummyParent ? deepest + 1 : deepest;
}

// The climax turns rings inside rings: dummies nested in dummies, and the
// objects under them really move.
TEST(Climax, NestsMovingObjectsUnderDummies)
{
    SceneFile file = Load("t.3ds");
    ASSERT_TRUE(file);
    int deepest = 0;
    for (Lib3dsNode *node = file->nodes; node; node = node->next)
        deepest = std::max(deepest, DummyDepth(node));
    EXPECT_GE(deepest, 3) << "three rings, each turning inside the last";

    for (const char *name : {"RingInner", "Sat3", "zSpark10"}) {
        Lib3dsNode *node = lib3ds_file_node_by_name(file.get(), name, LIB3DS_OBJECT_NODE);
        Lib3dsMesh *mesh = lib3ds_file_mesh_by_name(file.get(), name);
        ASSERT_TRUE(node && mesh) << name;
        ASSERT_TRUE(node->parent && std::strcmp(node->parent->name, "$$$DUMMY") == 0) << name;
        lib3ds_file_eval(file.get(), 0);
        const std::vector<Vec> before = WorldPoints(node, mesh);
        lib3ds_file_eval(file.get(), 37);
        const std::vector<Vec> after = WorldPoints(node, mesh);
        ASSERT_FALSE(before.empty());
        EXPECT_GT(Length(Sub(after[0], before[0])), 5) << name << " does not move";
    }
}

}  // namespace
}  // namespace contenttest
