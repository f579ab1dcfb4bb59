#include "tubes.h"

#include <cmath>

#include "motion.h"

namespace scenes::kit {

using scenekit::Mesh;
using scenekit::Vec3;

Vec3 Tangent(const CurveFn &centre, float s)
{
    const float h = 1e-3f;
    return scenekit::Normalize(centre(s + h) - centre(s - h));
}

TubeFrame FrameAt(const CurveFn &centre, float s)
{
    const Vec3 along = Tangent(centre, s);
    const Vec3 side = scenekit::Normalize(scenekit::Cross(along, {0, 0, 1}));
    return {along, side, scenekit::Cross(side, along)};
}

Mesh RibbedTube(const std::string &name, const CurveFn &centre, float radius, float innerRadius,
                int around, int bands, int rings, float twistDeg,
                const std::function<std::string(int band)> &bandMaterial)
{
    Mesh mesh;
    mesh.name = name;
    if (rings < 2) rings = 2;
    const unsigned row = around + 1;
    for (int b = 0; b < bands; b++) {
        const unsigned first = mesh.points.size();
        for (int j = 0; j < rings; j++) {
            const float f = float(j) / (rings - 1);
            const float s = (b + f) / bands;
            const Vec3 c = centre(s);
            const TubeFrame frame = FrameAt(centre, s);
            // A convex lean: steep at the lip, flatter towards the next band.
            const float r = radius - (radius - innerRadius) * std::sqrt(f);
            for (int i = 0; i <= around; i++) {
                const float a = 2 * kPi * i / around + b * twistDeg * kPi / 180;
                mesh.points.push_back(c + frame.side * (r * std::cos(a)) +
                                      frame.up * (r * std::sin(a)));
                mesh.texels.push_back({float(i) / around, f});
            }
        }
        const std::string material = bandMaterial(b);
        for (int j = 0; j + 1 < rings; j++) {
            for (int i = 0; i < around; i++) {
                const unsigned p00 = first + j * row + i, p10 = p00 + 1, p01 = p00 + row,
                               p11 = p01 + 1;
                mesh.faces.push_back({{p00, p10, p11}, material});
                mesh.faces.push_back({{p00, p11, p01}, ""});
            }
        }
    }
    return mesh;
}

}  // namespace scenes::kit
