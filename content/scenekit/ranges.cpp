#include "ranges.h"

#include <lib3ds/camera.h>
#include <lib3ds/matrix.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>
#include <lib3ds/vector.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "scenekit.h"
#include "scenelimits.h"

namespace scenekit {
namespace {

using Point = std::array<double, 3>;

// The player may draw any millisecond, a hundredth of a frame; between these
// samples, a tenth of a frame apart, the margins cover what moves.
constexpr int kSamplesPerFrame = 10;
// Longer animations are sampled more coarsely.
constexpr int kMostSamples = 20000;
constexpr double kNearMargin = 0.5;
constexpr double kFarMargin = 1.25;

Point Sub(const Point &a, const Point &b)
{
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
double Dot(const Point &a, const Point &b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
Point Along(const Point &a, const Point &d, double t)
{
    return {a[0] + d[0] * t, a[1] + d[1] * t, a[2] + d[2] * t};
}
double Distance(const Point &a, const Point &b)
{
    return std::sqrt(Dot(Sub(a, b), Sub(a, b)));
}

// The point of triangle abc nearest to p (Ericson, Real-Time Collision
// Detection, 5.1.5): the region of p decides between a corner, an edge and
// the inside.
Point NearestOnTriangle(const Point &p, const Point &a, const Point &b, const Point &c)
{
    const Point ab = Sub(b, a), ac = Sub(c, a), ap = Sub(p, a);
    const double d1 = Dot(ab, ap), d2 = Dot(ac, ap);
    if (d1 <= 0 && d2 <= 0) return a;
    const Point bp = Sub(p, b);
    const double d3 = Dot(ab, bp), d4 = Dot(ac, bp);
    if (d3 >= 0 && d4 <= d3) return b;
    const double vc = d1 * d4 - d3 * d2;
    if (vc <= 0 && d1 >= 0 && d3 <= 0) return Along(a, ab, d1 / (d1 - d3));
    const Point cp = Sub(p, c);
    const double d5 = Dot(ab, cp), d6 = Dot(ac, cp);
    if (d6 >= 0 && d5 <= d6) return c;
    const double vb = d5 * d2 - d1 * d6;
    if (vb <= 0 && d2 >= 0 && d6 <= 0) return Along(a, ac, d2 / (d2 - d6));
    const double va = d3 * d6 - d5 * d4;
    if (va <= 0 && d4 - d3 >= 0 && d5 - d6 >= 0)
        return Along(b, Sub(c, b), (d4 - d3) / ((d4 - d3) + (d5 - d6)));
    const double denominator = va + vb + vc;
    if (denominator == 0) return a;  // a degenerate triangle: its corners do
    const Point onAb = Along(a, ab, vb / denominator);
    return Along(onAb, ac, vc / denominator);
}

// v to two significant digits, rounded down or up: readable figures that
// keep covering what they bound.
double TwoDigits(double v, bool up)
{
    if (!(v > 0) || std::isinf(v)) return v;
    const double unit = std::pow(10.0, std::floor(std::log10(v)) - 1);
    return (up ? std::ceil(v / unit) : std::floor(v / unit)) * unit;
}

struct Reach {
    double nearest = std::numeric_limits<double>::infinity();
    double farthest = 0;
};

// An object node the player draws, with a sphere around its mesh's points
// and the inverse of the mesh's matrix, which no frame changes.
struct DrawnMesh {
    Lib3dsNode *node;
    Lib3dsMesh *mesh;
    Point centre;
    double radius;
    Lib3dsMatrix inverse;
};

DrawnMesh Bound(Lib3dsNode *node, Lib3dsMesh *mesh)
{
    DrawnMesh out{node, mesh, {0, 0, 0}, 0, {}};
    lib3ds_matrix_copy(out.inverse, mesh->matrix);
    lib3ds_matrix_inv(out.inverse);
    if (mesh->points == 0) return out;
    Lib3dsVector lo, hi;
    lib3ds_mesh_bounding_box(mesh, lo, hi);
    for (int k = 0; k < 3; ++k) out.centre[k] = (double(lo[k]) + hi[k]) / 2;
    for (Lib3dsDword i = 0; i < mesh->points; ++i) {
        const float *p = mesh->pointL[i].pos;
        out.radius = std::max(out.radius, Distance(out.centre, {p[0], p[1], p[2]}));
    }
    return out;
}

// Object nodes the player draws: not "$$$DUMMY", with a mesh of their name.
void CollectDrawn(Lib3dsFile *file, Lib3dsNode *node, std::vector<DrawnMesh> *out)
{
    for (; node; node = node->next) {
        CollectDrawn(file, node->childs, out);
        if (!scenelimits::DrawsMesh(node)) continue;
        if (Lib3dsMesh *mesh = lib3ds_file_mesh_by_name(file, node->name))
            out->push_back(Bound(node, mesh));
    }
}

// Where the player draws the mesh's stored points after the last evaluation:
// node matrix, minus the pivot, out of the mesh's own frame.
void DrawingMatrix(DrawnMesh &drawn, Lib3dsMatrix chain)
{
    lib3ds_matrix_copy(chain, drawn.node->matrix);
    const float *pivot = drawn.node->data.object.pivot;
    lib3ds_matrix_translate_xyz(chain, -pivot[0], -pivot[1], -pivot[2]);
    lib3ds_matrix_mult(chain, drawn.inverse);
}

Point Transform(Lib3dsMatrix m, const Point &p)
{
    Point out;
    for (int k = 0; k < 3; ++k) out[k] = m[0][k] * p[0] + m[1][k] * p[1] + m[2][k] * p[2] + m[3][k];
    return out;
}

// How far the matrix may stretch a distance.
double Stretch(Lib3dsMatrix m)
{
    double most = 0;
    for (int c = 0; c < 3; ++c) {
        const Point column{m[c][0], m[c][1], m[c][2]};
        most = std::max(most, Dot(column, column));
    }
    return std::sqrt(3 * most);
}

void Extend(const Lib3dsMesh *mesh, const std::vector<Point> &points, const Point &eye,
            Reach *reach)
{
    for (Lib3dsDword f = 0; f < mesh->faces; ++f) {
        const Lib3dsWord *corner = mesh->faceL[f].points;
        const Point &a = points[corner[0]], &b = points[corner[1]], &c = points[corner[2]];
        for (const Point *p : {&a, &b, &c})
            reach->farthest = std::max(reach->farthest, Distance(eye, *p));
        reach->nearest = std::min(reach->nearest, Distance(eye, NearestOnTriangle(eye, a, b, c)));
    }
}

// Extends each camera's reach by the mesh's faces where they are now, unless
// its sphere shows that they can change neither.
void Extend(DrawnMesh &drawn, const std::vector<Point> &eyes, std::vector<Reach> *reach)
{
    Lib3dsMatrix chain;
    DrawingMatrix(drawn, chain);
    const Point centre = Transform(chain, drawn.centre);
    const double radius = drawn.radius * Stretch(chain);
    std::vector<Point> points;
    for (size_t i = 0; i < eyes.size(); ++i) {
        Reach &r = (*reach)[i];
        const double d = Distance(eyes[i], centre);
        if (d - radius >= r.nearest && d + radius <= r.farthest) continue;
        if (points.empty()) {
            points.resize(drawn.mesh->points);
            for (Lib3dsDword p = 0; p < drawn.mesh->points; ++p) {
                const float *stored = drawn.mesh->pointL[p].pos;
                points[p] = Transform(chain, {stored[0], stored[1], stored[2]});
            }
        }
        Extend(drawn.mesh, points, eyes[i], &r);
    }
}

}  // namespace

void SetCameraRanges(Lib3dsFile *file, int frames)
{
    // A camera's node, if it has one, carries its animated position.
    std::vector<Lib3dsCamera *> cameras;
    std::vector<Lib3dsNode *> cameraNodes;
    for (Lib3dsCamera *c = file->cameras; c; c = c->next) {
        cameras.push_back(c);
        cameraNodes.push_back(lib3ds_file_node_by_name(file, c->name, LIB3DS_CAMERA_NODE));
    }
    std::vector<DrawnMesh> drawn;
    CollectDrawn(file, file->nodes, &drawn);
    std::vector<Reach> reach(cameras.size());
    const int samples =
        static_cast<int>(std::min<long>(long(frames) * kSamplesPerFrame, kMostSamples));
    for (int sample = 0; sample <= samples; ++sample) {
        lib3ds_file_eval(file, static_cast<float>(double(sample) * frames / samples));
        std::vector<Point> eyes;
        for (size_t i = 0; i < cameras.size(); ++i) {
            const float *eye =
                cameraNodes[i] ? cameraNodes[i]->data.camera.pos : cameras[i]->position;
            eyes.push_back({eye[0], eye[1], eye[2]});
        }
        for (DrawnMesh &d : drawn) Extend(d, eyes, &reach);
    }
    // The player draws nothing nearer than its near plane or beyond its far
    // plane: a scene it draws nothing of gets those planes.
    for (size_t i = 0; i < cameras.size(); ++i) {
        double near =
            std::max(TwoDigits(reach[i].nearest * kNearMargin, false), scenelimits::NearPlane);
        double far =
            std::min(TwoDigits(reach[i].farthest * kFarMargin, true), scenelimits::FarPlane);
        if (!(near < far)) {
            near = scenelimits::NearPlane;
            far = scenelimits::FarPlane;
        }
        cameras[i]->near_range = static_cast<float>(near);
        cameras[i]->far_range = static_cast<float>(far);
    }
}

}  // namespace scenekit
