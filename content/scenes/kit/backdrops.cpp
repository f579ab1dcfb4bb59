#include "backdrops.h"

#include <utility>

#include "primitives.h"

namespace scenes::kit {

namespace {
// Seen from inside, u would run right to left: mirrored, the image reads.
void MirrorU(Mesh &mesh)
{
    for (auto &t : mesh.texels) t[0] = 1 - t[0];
}
}  // namespace

Mesh SkySphere(const std::string &name, scenekit::Vec3 center, float radius, int segments,
               int rings, const std::string &material)
{
    Mesh m = scenekit::Sphere(name, center, radius, segments, rings, material);
    FlipFaces(m);
    MirrorU(m);
    return m;
}

Mesh Room(const std::string &name, scenekit::Vec3 center, scenekit::Vec3 size,
          const std::string &material)
{
    Mesh m = scenekit::Box(name, center, size, material);
    FlipFaces(m);
    MirrorU(m);
    return m;
}

Mesh Floor(const std::string &name, scenekit::Vec3 center, float size, int divisions, float repeat,
           const std::string &material)
{
    return scenekit::Grid(name, center, size, size, divisions, divisions, repeat, material);
}

void FlipFaces(Mesh &mesh)
{
    for (auto &f : mesh.faces) std::swap(f.points[1], f.points[2]);
}

void RepeatTexels(Mesh &mesh, float uTimes, float vTimes)
{
    for (auto &t : mesh.texels) t = {t[0] * uTimes, t[1] * vTimes};
}

}  // namespace scenes::kit
