#include "showdata.h"

#include <lib3ds/material.h>
#include <lib3ds/matrix.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <unordered_map>

#include "scenecheck.h"
#include "showplan.h"

namespace contenttest {

const std::vector<SceneSlot> &ShowScenes()
{
    static const std::vector<SceneSlot> scenes = [] {
        std::vector<SceneSlot> slots;
        for (const showplan::SceneSlot &s : showplan::Scenes)
            slots.push_back({s.file, s.durationMs / 100});
        return slots;
    }();
    return scenes;
}

void PrintTo(const SceneSlot &slot, std::ostream *out)
{
    *out << slot.file;
}

namespace {
std::string Env(const char *name, const char *fallback)
{
    const char *value = std::getenv(name);
    return value && *value ? value : fallback;
}
}  // namespace

std::string DataDir()
{
    return Env("CONTENT_DATA_DIR", CONTENT_RUN1);
}
std::string SecondDataDir()
{
    return Env("CONTENT_DATA_DIR_AGAIN", CONTENT_RUN2);
}

SceneFile LoadScene(const std::string &name, std::string *why)
{
    const std::string path = DataDir() + "/" + name;
    char reason[256] = "";
    if (!Check3dsFile(path.c_str(), reason, sizeof reason)) {
        *why = path + " fails the player's check: " + reason;
        return nullptr;
    }
    SceneFile file(lib3ds_file_load(path.c_str()));
    if (!file) *why = "lib3ds cannot load " + path;
    return file;
}

namespace {
void Visit(Lib3dsNode *node, const std::function<void(Lib3dsNode *)> &visit)
{
    for (; node; node = node->next) {
        visit(node);
        Visit(node->childs, visit);
    }
}
}  // namespace

void ForEachNode(Lib3dsFile *file, const std::function<void(Lib3dsNode *)> &visit)
{
    Visit(file->nodes, visit);
}

namespace {
void AddInDrawOrder(Lib3dsFile *file, Lib3dsNode *node, std::vector<Lib3dsNode *> *out)
{
    for (Lib3dsNode *child = node->childs; child; child = child->next)
        AddInDrawOrder(file, child, out);
    if (node->type == LIB3DS_OBJECT_NODE && std::string(node->name) != "$$$DUMMY" &&
        lib3ds_file_mesh_by_name(file, node->name))
        out->push_back(node);
}
}  // namespace

std::vector<Lib3dsNode *> DrawnNodes(Lib3dsFile *file)
{
    std::vector<Lib3dsNode *> out;
    for (Lib3dsNode *node = file->nodes; node; node = node->next) AddInDrawOrder(file, node, &out);
    return out;
}

bool IsGlow(Lib3dsFile *file, const Lib3dsMesh *mesh)
{
    for (unsigned f = 0; f < mesh->faces; ++f) {
        const Lib3dsMaterial *m = lib3ds_file_material_by_name(file, mesh->faceL[f].material);
        if (m && m->transparency != 0) return true;
    }
    return false;
}

namespace {

// Merges points closer than eps, so that seams of primitives (the same
// position stored twice for two texture coordinates) join.
class Welder {
public:
    explicit Welder(double eps) : eps_(eps) {}
    int Id(const Vec &p)
    {
        const long long cx = std::llround(p[0] / eps_), cy = std::llround(p[1] / eps_),
                        cz = std::llround(p[2] / eps_);
        for (long long dx = -1; dx <= 1; ++dx)
            for (long long dy = -1; dy <= 1; ++dy)
                for (long long dz = -1; dz <= 1; ++dz) {
                    auto it = cells_.find(Key(cx + dx, cy + dy, cz + dz));
                    if (it == cells_.end()) continue;
                    for (int id : it->second) {
                        const Vec d = Sub(points_[id], p);
                        if (Dot(d, d) <= eps_ * eps_) return id;
                    }
                }
        points_.push_back(p);
        cells_[Key(cx, cy, cz)].push_back(static_cast<int>(points_.size() - 1));
        return static_cast<int>(points_.size() - 1);
    }

private:
    static std::string Key(long long x, long long y, long long z)
    {
        return std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(z);
    }
    double eps_;
    std::vector<Vec> points_;
    std::unordered_map<std::string, std::vector<int>> cells_;
};

// Column-major as lib3ds keeps it: m[column][row].
using M4 = std::array<std::array<double, 4>, 4>;

M4 FromLib(const Lib3dsMatrix m)
{
    M4 out{};
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) out[c][r] = m[c][r];
    return out;
}

M4 Mul(const M4 &a, const M4 &b)
{
    M4 out{};
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            for (int k = 0; k < 4; ++k) out[c][r] += a[k][r] * b[c][k];
    return out;
}

double Det3(const M4 &m)
{
    return m[0][0] * (m[1][1] * m[2][2] - m[2][1] * m[1][2]) -
           m[1][0] * (m[0][1] * m[2][2] - m[2][1] * m[0][2]) +
           m[2][0] * (m[0][1] * m[1][2] - m[1][1] * m[0][2]);
}

// Inverse of an affine matrix; false when its 3x3 part is singular.
bool InvertAffine(const M4 &m, M4 *out)
{
    const double det = Det3(m);
    if (!(std::fabs(det) > 1e-12)) return false;
    M4 inv{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            // Cofactor of element (c, r) of the transposed matrix.
            const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
            inv[c][r] = (m[c1][r1] * m[c2][r2] - m[c2][r1] * m[c1][r2]) / det;
        }
    for (int r = 0; r < 3; ++r)
        inv[3][r] = -(inv[0][r] * m[3][0] + inv[1][r] * m[3][1] + inv[2][r] * m[3][2]);
    inv[3][3] = 1;
    *out = inv;
    return true;
}

M4 Translate(const Vec &t)
{
    M4 m{};
    for (int i = 0; i < 4; ++i) m[i][i] = 1;
    m[3][0] = t[0];
    m[3][1] = t[1];
    m[3][2] = t[2];
    return m;
}

Vec Apply(const M4 &m, const Vec &p)
{
    Vec out;
    for (int r = 0; r < 3; ++r) out[r] = m[0][r] * p[0] + m[1][r] * p[1] + m[2][r] * p[2] + m[3][r];
    return out;
}

// The player's chain from stored points to the world.
M4 DrawChain(const Lib3dsNode *node, const Lib3dsMesh *mesh, bool *ok)
{
    M4 meshInverse;
    *ok = InvertAffine(FromLib(mesh->matrix), &meshInverse);
    const Vec pivot{node->data.object.pivot[0], node->data.object.pivot[1],
                    node->data.object.pivot[2]};
    return Mul(Mul(FromLib(node->matrix), Translate({-pivot[0], -pivot[1], -pivot[2]})),
               meshInverse);
}

}  // namespace

Solid AnalyseMesh(const Lib3dsMesh *mesh)
{
    Solid s;
    if (!mesh->pointL || mesh->points == 0) return s;
    s.lo = s.hi = {mesh->pointL[0].pos[0], mesh->pointL[0].pos[1], mesh->pointL[0].pos[2]};
    for (unsigned i = 0; i < mesh->points; ++i)
        for (int k = 0; k < 3; ++k) {
            s.lo[k] = std::min<double>(s.lo[k], mesh->pointL[i].pos[k]);
            s.hi[k] = std::max<double>(s.hi[k], mesh->pointL[i].pos[k]);
        }
    const Vec size = Sub(s.hi, s.lo);
    Welder weld(std::max(1e-6, 1e-5 * std::sqrt(Dot(size, size))));
    std::vector<int> ids(mesh->points);
    for (unsigned i = 0; i < mesh->points; ++i)
        ids[i] = weld.Id({mesh->pointL[i].pos[0], mesh->pointL[i].pos[1], mesh->pointL[i].pos[2]});

    // Per undirected edge: faces running a->b (low to high id) and b->a.
    std::map<std::pair<int, int>, std::pair<int, int>> edges;
    for (unsigned f = 0; f < mesh->faces; ++f) {
        const Lib3dsWord *p = mesh->faceL[f].points;
        std::array<Vec, 3> t;
        for (int k = 0; k < 3; ++k)
            t[k] = {mesh->pointL[p[k]].pos[0], mesh->pointL[p[k]].pos[1],
                    mesh->pointL[p[k]].pos[2]};
        s.triangles.push_back(t);
        s.volume += Dot(t[0], Cross(t[1], t[2])) / 6;
        const int a = ids[p[0]], b = ids[p[1]], c = ids[p[2]];
        if (a == b || b == c || a == c) continue;
        for (auto [from, to] : {std::pair<int, int>{a, b}, {b, c}, {c, a}}) {
            auto &e = edges[{std::min(from, to), std::max(from, to)}];
            (from < to ? e.first : e.second)++;
        }
    }
    s.closed = !edges.empty();
    for (const auto &[edge, uses] : edges)
        if (uses.first != 1 || uses.second != 1) s.closed = false;
    return s;
}

bool Encloses(const Solid &solid, const Vec &p)
{
    for (int k = 0; k < 3; ++k)
        if (p[k] < solid.lo[k] || p[k] > solid.hi[k]) return false;
    // An odd direction, unlikely to run exactly along an edge.
    const Vec dir{0.5773, 0.5779, 0.5767};
    int crossings = 0;
    for (const auto &t : solid.triangles) {
        const Vec e1 = Sub(t[1], t[0]), e2 = Sub(t[2], t[0]);
        const Vec h = Cross(dir, e2);
        const double a = Dot(e1, h);
        if (std::fabs(a) < 1e-12) continue;
        const Vec s = Sub(p, t[0]);
        const double u = Dot(s, h) / a;
        if (u < 0 || u > 1) continue;
        const Vec q = Cross(s, e1);
        const double v = Dot(dir, q) / a;
        if (v < 0 || u + v > 1) continue;
        if (Dot(e2, q) / a > 0) ++crossings;
    }
    return crossings % 2 == 1;
}

bool WorldToMesh(const Lib3dsNode *node, const Lib3dsMesh *mesh, const Vec &world, Vec *out)
{
    bool ok = false;
    const M4 chain = DrawChain(node, mesh, &ok);
    M4 inverse;
    if (!ok || !InvertAffine(chain, &inverse)) return false;
    *out = Apply(inverse, world);
    return true;
}

int Handedness(const Lib3dsNode *node, const Lib3dsMesh *mesh)
{
    bool ok = false;
    const M4 chain = DrawChain(node, mesh, &ok);
    return Det3(chain) < 0 ? -1 : 1;
}

std::vector<Vec> WorldPoints(const Lib3dsNode *node, const Lib3dsMesh *mesh)
{
    bool ok = false;
    const M4 chain = DrawChain(node, mesh, &ok);
    std::vector<Vec> points;
    for (unsigned i = 0; ok && i < mesh->points; ++i)
        points.push_back(Apply(chain, FromLib(mesh->pointL[i].pos)));
    return points;
}

}  // namespace contenttest
