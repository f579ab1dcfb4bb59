// Cards and glows: flat pictures standing in the scene. A glow is a card of
// an additive material; the player draws it without depth test, so it shows
// through nothing and covers nothing (see kit.h for the order of drawing).
#ifndef SCENES_KIT_CARDS_H
#define SCENES_KIT_CARDS_H

#include <string>

#include "scenekit.h"

namespace scenes::kit {

using scenekit::Mesh;
using scenekit::Vec3;

// A width x height rectangle centred on `center`, seen from the side `normal`
// points to, the image upright with `up` (projected into the plane) as its top.
Mesh Card(const std::string &name, Vec3 center, float width, float height, Vec3 normal, Vec3 up,
          const std::string &material);
// The part of that card that shows the image's texels from uFrom to uTo
// across and vFrom to vTo up, each where the whole card shows it: a card cut
// to the part of its image that is not black.
Mesh CardPart(const std::string &name, Vec3 center, float width, float height, Vec3 normal, Vec3 up,
              const std::string &material, float uFrom, float uTo, float vFrom, float vTo);
// A square card of edge `size` cut to a 12-gon round its inscribed circle: a
// round glow image is black beyond that circle, so the corners would add
// nothing but fill.
Mesh GlowCard(const std::string &name, Vec3 center, float size, Vec3 normal, Vec3 up,
              const std::string &material);
// The part of a square glow card of edge `size` that lies between the circles
// of `innerReach` and `outerReach` times half the edge round its centre, each
// texel where the square card has it: a ring image without its dark middle
// and corners is a band; with innerReach 0, a disc. `sides` is the polygon's
// count: its edges lie outside the outer circle and inside the inner one.
Mesh GlowBand(const std::string &name, Vec3 center, float size, Vec3 normal, Vec3 up,
              float innerReach, float outerReach, unsigned sides, const std::string &material);
// The reaches between which flare_ring.png shows its ring: a GlowBand
// between them leaves out the image's faint middle and its black rim.
constexpr float kFlareRingInner = 0.59f, kFlareRingOuter = 0.84f;
// Three crossed squares of edge `size` around `center` (XZ, YZ and XY planes):
// a glow that reads as a round light from any side.
Mesh Sprite(const std::string &name, Vec3 center, float size, const std::string &material);
// Two glow cards of edge `size` standing upright round `center`, crossed
// (facing -Y and +X): a glow on a vertical axis, round from any side.
Mesh UprightGlow(const std::string &name, Vec3 center, float size, const std::string &material);
// A flat ring in the XY plane facing +Z, of `radius` to the middle of its
// band and `width` across it, whose texels all sit on the image's middle
// column: a round glow image makes it a thin ring of light, a neon tube.
Mesh NeonRing(const std::string &name, float radius, float width, int segments,
              const std::string &material);

}  // namespace scenes::kit

#endif
