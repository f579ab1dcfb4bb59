// Scenes 9 to 15 of the show (capsul, tub2, tub, _i, cyl, t, end).
// Each function builds one complete scene in memory; the generator saves it
// under the file name given beside it. Scene frames run from 0 to the slot's
// length (ten per second), with Camera01 as the show camera.
#ifndef SCENES2_SCENES2_H
#define SCENES2_SCENES2_H

#include "scenekit.h"

namespace scenes {

scenekit::Scene BuildCapsul();  // capsul.3ds, 8 s: capsules
scenekit::Scene BuildTub2();    // tub2.3ds, 8 s: industrial tunnel fly-through
scenekit::Scene BuildTub();     // tub.3ds, 8 s: neon tunnel of glowing rings
scenekit::Scene BuildIntro();   // _i.3ds, 8 s: the interlude, a logo reveal
scenekit::Scene BuildCyl();     // cyl.3ds, 8 s: columns
scenekit::Scene BuildT();       // t.3ds, 16 s: the climax
scenekit::Scene BuildEnd();     // end.3ds, 8 s: closing title

}  // namespace scenes

#endif
