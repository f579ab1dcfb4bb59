// Backdrops: skies, rooms and floors, and the texel and winding touches they
// need. A backdrop seen from inside winds its faces towards the inside; the
// content tests recognise such meshes by their negative enclosed volume and
// let the camera sit inside them, while it must stay out of every
// outward-facing closed mesh.
#ifndef SCENES_KIT_BACKDROPS_H
#define SCENES_KIT_BACKDROPS_H

#include <string>

#include "scenekit.h"

namespace scenes::kit {

using scenekit::Mesh;

// A sphere seen from inside, for a sky around the whole scene. The image
// wraps once around; v runs from the bottom pole (0) to the top (1).
Mesh SkySphere(const std::string &name, scenekit::Vec3 center, float radius, int segments,
               int rings, const std::string &material);
// A box seen from inside (a room).
Mesh Room(const std::string &name, scenekit::Vec3 center, scenekit::Vec3 size,
          const std::string &material);
// A floor: an upward-facing grid of size x size, `repeat` image tiles per side.
Mesh Floor(const std::string &name, scenekit::Vec3 center, float size, int divisions, float repeat,
           const std::string &material);

// Reverses every face's winding, so a solid is seen from inside.
void FlipFaces(Mesh &mesh);
// Repeats the image uTimes across and vTimes up the mesh's texture coordinates.
void RepeatTexels(Mesh &mesh, float uTimes, float vTimes);

}  // namespace scenes::kit

#endif
