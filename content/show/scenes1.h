// Scenes 1 to 8 of the show (_i2, c, gl, tor, bloc, puz, tri, c2).
// Each function builds one complete scene in memory; the generator saves it
// under the file name given beside it. Scene frames run from 0 to the slot's
// length (ten per second), with Camera01 as the show camera.
#ifndef SHOW_SCENES1_H
#define SHOW_SCENES1_H

#include "scenekit.h"

namespace scenes {

scenekit::Scene BuildIntro2();  // _i2.3ds, 8 s: the opening, a gyroscope in space
scenekit::Scene BuildC();       // c.3ds, 8 s: a circuit-board city rising on the beat
scenekit::Scene BuildGl();      // gl.3ds, 4 s: glass and light
scenekit::Scene BuildTor();     // tor.3ds, 4 s: tori and knots
scenekit::Scene BuildBloc();    // bloc.3ds, 8 s: blocks as an equaliser
scenekit::Scene BuildPuz();     // puz.3ds, 8 s: pieces that assemble into a cube
scenekit::Scene BuildTri();     // tri.3ds, 8 s: triangles over a neon grid
scenekit::Scene BuildC2();      // c2.3ds, 8 s: a reactor hall

}  // namespace scenes

#endif
