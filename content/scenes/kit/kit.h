// The scene kit: what the fifteen scenes share, over scenekit. Time, keys and
// paths (motion.h), a fixed-seed random generator (random.h), cards and glows
// (cards.h), tunnels (tubes.h), solids (solids.h) and backdrops
// (backdrops.h).
//
// How the player draws a scene, and what the scenes do about it:
// - Order: it draws the top-level nodes in name order (lib3ds keeps them
//   sorted byte by byte, so "$$$DUMMY" nodes come first and upper case
//   before lower case), each node's children before the node itself.
// - Glows (faces of an additive material) are drawn without depth test or
//   depth writes: an opaque face drawn after a glow paints over it wherever
//   it lies, in front or behind. So every glow is drawn after every opaque
//   node: solids are named with an upper-case letter and glows with a
//   lower-case one (backdrops named "Z..." draw after the solids in front of
//   them, which saves shading pixels twice, and still before the glows). Two
//   exceptions, both meant to be covered: a glow hung under the solid it
//   rides on is drawn before that solid, which covers it where they overlap;
//   and a glow named upper-case on purpose to draw among the solids (the
//   opening's haze), a halo behind the ones after it.
// - Lights: the player hands a scene's lights to OpenGL as positions only and
//   every light keeps the OpenGL defaults, under which only the player's own
//   head light has a colour: lights in a scene would light nothing, so the
//   scenes carry none. The head light, shining along the line of sight,
//   lights every scene.
#ifndef SCENES_KIT_KIT_H
#define SCENES_KIT_KIT_H

#include "backdrops.h"
#include "cards.h"
#include "motion.h"
#include "primitives.h"
#include "random.h"
#include "solids.h"
#include "tubes.h"

namespace scenes::kit {

// What every scene writes with, besides the kit.
using scenekit::Material;
using scenekit::Motion;
using scenekit::Rotation;
using scenekit::Scene;
using scenekit::operator*;  // Matrix is a std::array: no argument-dependent lookup

}  // namespace scenes::kit

#endif
