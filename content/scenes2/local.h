// Small geometry helpers shared by the scenes of this folder.
#ifndef SCENES2_LOCAL_H
#define SCENES2_LOCAL_H

#include <string>

#include "scenekit.h"

namespace scenes2 {

// A square of edge `size` centred on the origin in the plane facing `normal`
// (seen from that side), the whole image mapped upright with +Z (or +Y when
// the normal is vertical) as the image's up.
scenekit::Mesh Card(const std::string& name, float size, scenekit::Vec3 normal,
                    const std::string& material);

// Flat ring in the XY plane facing +Z between radii inner and outer; u runs
// around, v from the inner (0) to the outer (1) edge.
scenekit::Mesh Annulus(const std::string& name, float inner, float outer, int segments,
                       const std::string& material);

}  // namespace scenes2

#endif
