// Access to the generated show for the content tests: the show plan's scenes
// with their slot lengths in frames, loading scenes through lib3ds, and
// geometry of drawn meshes.
#ifndef CONTENTTEST_SHOWDATA_H
#define CONTENTTEST_SHOWDATA_H

#include <lib3ds/file.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>

#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace contenttest {

struct SceneSlot {
    const char *file;
    int frames;  // slot length in keyframes (ten per second)
};

// The show plan's scenes in show order.
const std::vector<SceneSlot> &ShowScenes();
// Names parameterised tests by the scene's file.
void PrintTo(const SceneSlot &slot, std::ostream *out);

// The data directories of the fixture's two generator runs, or those named by
// CONTENT_DATA_DIR and CONTENT_DATA_DIR_AGAIN; both end in "/data".
std::string DataDir();
std::string SecondDataDir();

struct FileCloser {
    void operator()(Lib3dsFile *f) const { lib3ds_file_free(f); }
};
using SceneFile = std::unique_ptr<Lib3dsFile, FileCloser>;

// Loads DataDir()/name after the player's pre-load check; null (and a message
// in *why) when either refuses it.
SceneFile LoadScene(const std::string &name, std::string *why);

// Calls visit for every node of the tree, parents before children.
void ForEachNode(Lib3dsFile *file, const std::function<void(Lib3dsNode *)> &visit);
// Object nodes the player draws (not "$$$DUMMY", with a mesh of their name)
// in the order it draws them: each node's children before the node.
std::vector<Lib3dsNode *> DrawnNodes(Lib3dsFile *file);
// Whether the player draws any face of the mesh additively (a material with
// transparency), that is without depth test: a glow.
bool IsGlow(Lib3dsFile *file, const Lib3dsMesh *mesh);

using Vec = std::array<double, 3>;
inline Vec Add(const Vec &a, const Vec &b)
{
    return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}
inline Vec Sub(const Vec &a, const Vec &b)
{
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
inline Vec Scale(const Vec &a, double s)
{
    return {a[0] * s, a[1] * s, a[2] * s};
}
inline double Dot(const Vec &a, const Vec &b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
inline Vec Cross(const Vec &a, const Vec &b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
inline double Length(const Vec &a)
{
    return std::sqrt(Dot(a, a));
}
inline Vec Unit(const Vec &a)
{
    return Scale(a, 1 / Length(a));
}
inline Vec FromLib(const float v[3])
{
    return {v[0], v[1], v[2]};
}

// A mesh as a solid, in the space its points are stored in.
struct Solid {
    bool closed = false;  // every edge has exactly two faces running opposite ways
    double volume = 0;    // signed: > 0 for faces wound outwards
    Vec lo{}, hi{};       // bounds of the points
    std::vector<std::array<Vec, 3>> triangles;
};
Solid AnalyseMesh(const Lib3dsMesh *mesh);
// Odd number of crossings of a ray from p: p is enclosed by a closed mesh.
bool Encloses(const Solid &solid, const Vec &p);
// Where a world point lands in the stored point space of the mesh that an
// object node draws, after the last lib3ds_file_eval (the inverse of the
// player's node matrix, minus pivot, inverse mesh matrix chain). Answers false
// when the chain cannot be inverted (a node scaled to nothing).
bool WorldToMesh(const Lib3dsNode *node, const Lib3dsMesh *mesh, const Vec &world, Vec *out);
// Sign of the determinant of that chain: -1 when it mirrors.
int Handedness(const Lib3dsNode *node, const Lib3dsMesh *mesh);
// The mesh's points where the player draws them after the last
// lib3ds_file_eval: the same chain the other way.
std::vector<Vec> WorldPoints(const Lib3dsNode *node, const Lib3dsMesh *mesh);

}  // namespace contenttest

#endif
