// The fifteen scenes of the show, in show order. Each function builds one
// complete scene in memory; the generator saves it under the file name the
// show plan gives its slot. Scene frames run from 0 to the slot's length (ten
// per second), with Camera01 as the show camera.
#ifndef SCENES_SCENES_H
#define SCENES_SCENES_H

#include "scenekit.h"

namespace scenes {

scenekit::Scene BuildOpening();        // 8 s: a gyroscope round a chrome planet in space
scenekit::Scene BuildCircuitCity();    // 8 s: a circuit-board city rising on the beat
scenekit::Scene BuildGlass();          // 4 s: a crystal in a glass bubble, beams of light
scenekit::Scene BuildKnots();          // 4 s: a golden knot in a ring of rolling tori
scenekit::Scene BuildEqualiser();      // 8 s: a field of blocks bouncing like an equaliser
scenekit::Scene BuildPuzzle();         // 8 s: pieces that assemble into a cube
scenekit::Scene BuildPyramid();        // 8 s: a Sierpinski pyramid over a neon grid
scenekit::Scene BuildReactor();        // 8 s: a column of rings round a core of light
scenekit::Scene BuildCapsules();       // 8 s: a twisted ladder of pills
scenekit::Scene BuildServiceTunnel();  // 8 s: a flight down a winding service tunnel
scenekit::Scene BuildNeonTunnel();     // 8 s: a dive down a neon tunnel of glowing rings
scenekit::Scene BuildInterlude();      // 8 s: gold pixels that lock into "PART II"
scenekit::Scene BuildColonnade();      // 8 s: a colonnade rising on the beat
scenekit::Scene BuildClimax();         // 16 s: a molten knot in a gyroscope over lava
scenekit::Scene BuildEnd();            // 8 s: the closing title

}  // namespace scenes

#endif
