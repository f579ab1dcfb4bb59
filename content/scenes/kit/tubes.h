// Tunnels swept along a curve centre(s), s in [0,1], and the frame that
// places things inside them. The cross-section keeps +Z as its up, so the
// curve must never run vertically.
#ifndef SCENES_KIT_TUBES_H
#define SCENES_KIT_TUBES_H

#include <functional>
#include <string>

#include "scenekit.h"

namespace scenes::kit {

using CurveFn = std::function<scenekit::Vec3(float s)>;

// Unit tangent of the curve at s (central difference).
scenekit::Vec3 Tangent(const CurveFn &centre, float s);

// Unit directions at s: along the curve, to its side (level) and up across it.
struct TubeFrame {
    scenekit::Vec3 along, side, up;
};
TubeFrame FrameAt(const CurveFn &centre, float s);

// A tunnel of `bands` separate rings swept along the curve, seen from inside.
// Each band narrows from `radius` to `innerRadius` along its length, so its
// wall leans towards a viewer coming down the tunnel and the head light
// catches it; the open lip of one band hides the start of the next. Each band
// has `rings` rings (2 or more), `around` segments, v from 0 to 1 along it,
// and the material bandMaterial(band). `twistDeg` turns each band's
// cross-section a little more than the last.
scenekit::Mesh RibbedTube(const std::string &name, const CurveFn &centre, float radius,
                          float innerRadius, int around, int bands, int rings, float twistDeg,
                          const std::function<std::string(int band)> &bandMaterial);

}  // namespace scenes::kit

#endif
