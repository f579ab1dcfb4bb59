// Geometry and animation helpers used only by the scenes of this folder.
//
// Draw order: the player draws top-level nodes in name order and additive
// faces without depth test, so anything opaque drawn after a glow covers it.
// Opaque meshes here get names that start with an upper-case letter and glows
// (additive materials) names that start with a lower-case one: the glows are
// then drawn last, over the backdrop.
#ifndef SHOW_SHOWLOCAL_H
#define SHOW_SHOWLOCAL_H

#include <string>
#include <vector>

#include "scenecommon.h"

namespace scenes1 {

using scenekit::Mesh;
using scenekit::Vec3;

// A width x height rectangle centred on `center`, seen from the side `normal`
// points to, the image upright with `up` (projected into the plane) as its top.
Mesh Card(const std::string& name, Vec3 center, float width, float height, Vec3 normal, Vec3 up,
          const std::string& material);
// Three crossed squares of edge `size` around `center` (XY, XZ, YZ planes): a
// glow that reads as a round light from any side.
// A square glow card of edge `size` cut to a 12-gon round its inscribed
// circle: for round glow images, black beyond that circle.
Mesh GlowCard(const std::string& name, Vec3 center, float size, Vec3 normal, Vec3 up,
              const std::string& material);
Mesh Sprite(const std::string& name, Vec3 center, float size, const std::string& material);
// Rotation keys that turn a card facing -Y (Card with normal {0,-1,0}) to face
// the camera, for a node at position(t) seen from camera(t), t in [0,1].
std::vector<scenekit::RotationKey> FaceCamera(int frames, int step,
                                              const scenecommon::PathFn& camera,
                                              const scenecommon::PathFn& position);
// Regular tetrahedron with edge `edge` centred on `center`, its base flat
// and apex up; a closed solid without texels (for reflective materials).
Mesh Tetrahedron(const std::string& name, Vec3 center, float edge, const std::string& material);
// Sierpinski tetrahedron: 4^level tetrahedra filling one of edge `edge`.
Mesh Sierpinski(const std::string& name, Vec3 center, float edge, int level,
                const std::string& material);
// Key list with the same value at frames 0 and `frames` (a held track).
std::vector<scenekit::Vec3Key> Hold(int frames, Vec3 value);

}  // namespace scenes1

#endif
