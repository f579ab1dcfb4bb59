// Small geometry helpers shared by the scenes of this folder.
#ifndef SCENES2_LOCAL_H
#define SCENES2_LOCAL_H

#include <functional>
#include <string>
#include <vector>

#include "scenekit.h"

namespace scenes2 {

// A square of edge `size` centred on the origin in the plane facing `normal`
// (seen from that side), the whole image mapped upright with +Z (or +Y when
// the normal is vertical) as the image's up.
scenekit::Mesh Card(const std::string& name, float size, scenekit::Vec3 normal,
                    const std::string& material);

// Card cut to a 12-gon round its inscribed circle, for round glow images
// (black beyond that circle): the same picture, less fill.
scenekit::Mesh GlowCard(const std::string& name, float size, scenekit::Vec3 normal,
                        const std::string& material);

// Flat ring in the XY plane facing +Z between radii inner and outer; u runs
// around, v from the inner (0) to the outer (1) edge.
scenekit::Mesh Annulus(const std::string& name, float inner, float outer, int segments,
                       const std::string& material);

// Annulus whose texels all sit on the image's middle column, so a round glow
// image gives a thin ring with the glow's cross-section: a neon tube.
scenekit::Mesh NeonRing(const std::string& name, float radius, float width, int segments,
                        const std::string& material);

// Centres of the lit pixels of `text` laid out as scenekit::BlockText lays it
// out (origin at the left end of the baseline, reading along +X, upright
// along +Z), each at origin.y; reading order, column by column per letter.
std::vector<scenekit::Vec3> TextPixels(const std::string& text, scenekit::Vec3 origin, float pixel);

// A tunnel swept along the curve centre(s), s in [0,1], seen from inside:
// `around` segments round the wall, `along` bands along the curve, v running
// from 0 to vRepeat. Band b takes the material bandMaterial(b) (the same
// name for neighbouring bands is written once). The cross-section keeps +Z
// as its up, so the curve must never run vertically.
scenekit::Mesh SweptTube(const std::string& name, const std::function<scenekit::Vec3(float)>& centre,
                         float radius, int around, int along, float vRepeat,
                         const std::function<std::string(int band)>& bandMaterial);

// A tunnel of `bands` separate rings swept along centre(s), s in [0,1], seen
// from inside. Each band narrows from `radius` to `innerRadius` along its
// length, so its wall leans towards a viewer coming down the tunnel and the
// head light catches it; the open lip of one band hides the start of the
// next. Each band has `rings` rings (2 or more), `around` segments, v from 0
// to 1 along it, and the material bandMaterial(band). `twistDeg` turns each
// band's cross-section a little more than the last.
scenekit::Mesh RibbedTube(const std::string& name, const std::function<scenekit::Vec3(float)>& centre,
                          float radius, float innerRadius, int around, int bands, int rings,
                          float twistDeg, const std::function<std::string(int band)>& bandMaterial);

// Unit tangent of centre at s (central difference).
scenekit::Vec3 Tangent(const std::function<scenekit::Vec3(float)>& centre, float s);

// Absolute rotation that turns +Z onto `direction` (about an axis in the XY
// plane; straight up answers no turn).
scenekit::RotationKey FaceAlong(int frame, scenekit::Vec3 direction);

}  // namespace scenes2

#endif
