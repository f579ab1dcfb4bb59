// Geometry primitives for scenekit meshes.
//
// Every primitive comes with one texture coordinate per point, its faces
// wound counter-clockwise as seen from outside (inside for Tube), so that the
// normals lib3ds computes on load point outwards, and every face naming
// `material`. Solids are closed: each edge is shared by exactly two faces,
// which run along it in opposite directions. Axial shapes stand along +Z,
// centred on `center`. Segment counts below a shape's minimum are raised to
// it (3 around, 1 along, 2 rings for spheres). No triangle is degenerate.
#ifndef SCENEKIT_PRIMITIVES_H
#define SCENEKIT_PRIMITIVES_H

#include <string>

#include "scenekit.h"

namespace scenekit {

// Axis-aligned box with edge lengths `size`; each side maps the whole image.
Mesh Box(const std::string &name, Vec3 center, Vec3 size, const std::string &material);

// UV sphere: `segments` around Z, `rings` from pole to pole. u runs once
// around (from +X, counter-clockwise seen from +Z), v from the south pole (0)
// to the north pole (1).
Mesh Sphere(const std::string &name, Vec3 center, float radius, int segments, int rings,
            const std::string &material);

// Ring around Z: `majorRadius` from the centre to the middle of the tube,
// `minorRadius` of the tube; `segments` around Z, `sides` around the tube.
Mesh Torus(const std::string &name, Vec3 center, float majorRadius, float minorRadius, int segments,
           int sides, const std::string &material);

// (p, q) torus knot: the curve winds p times around Z and q times through
// the hole of a torus of radius `radius`; a tube of `tubeRadius` follows it.
// p and q coprime give one closed tube (2, 3 is the trefoil).
Mesh TorusKnot(const std::string &name, Vec3 center, int p, int q, float radius, float tubeRadius,
               int segments, int sides, const std::string &material);

// Capped cylinder along Z of total `height`. Caps map the image as seen from
// outside, the side wraps it once around.
Mesh Cylinder(const std::string &name, Vec3 center, float radius, float height, int segments,
              const std::string &material);

// Cone along Z: base disc of `radius` at center.z - height/2, apex above it.
Mesh Cone(const std::string &name, Vec3 center, float radius, float height, int segments,
          const std::string &material);

// Cylinder of `radius` and straight part `height` with half-sphere ends
// (total length height + 2 radius); `rings` per half sphere.
Mesh Capsule(const std::string &name, Vec3 center, float radius, float height, int segments,
             int rings, const std::string &material);

// Open cylinder along Z seen from inside (a tunnel): faces wind
// counter-clockwise seen from the axis. `lengthSegments` rings along Z;
// u runs around, v along (0 at the low end, `vRepeat` at the high end).
Mesh Tube(const std::string &name, Vec3 center, float radius, float length, int segments,
          int lengthSegments, float vRepeat, const std::string &material);

// Flat rectangle in the XY plane facing +Z, sizeX by sizeY, divided into
// divX by divY cells; the image is repeated `repeat` times along each side.
Mesh Grid(const std::string &name, Vec3 center, float sizeX, float sizeY, int divX, int divY,
          float repeat, const std::string &material);

// Title text in extruded block letters of a 5x7 pixel font: each lit pixel
// is a cube of edge `pixel`, `depth` deep. The text stands in the XZ plane
// (reading along +X, upright along +Z, seen from -Y), starting with the left
// edge of its first letter at origin.x, its baseline at origin.z, front face
// at origin.y. Letters A-Z (lower case is drawn as upper case), digits, space
// and . , ! ? - : ' are drawn; other characters as a blank. Answers an empty
// mesh for an empty or all-blank text.
Mesh BlockText(const std::string &name, const std::string &text, Vec3 origin, float pixel,
               float depth, const std::string &material);
// Width of BlockText's result along X for this text and pixel size.
float BlockTextWidth(const std::string &text, float pixel);

}  // namespace scenekit

#endif
