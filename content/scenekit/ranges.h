// The near and far ranges written with each camera, for readers that clip
// with them (the player's own projection is fixed).
#ifndef SCENEKIT_RANGES_H
#define SCENEKIT_RANGES_H

#include <lib3ds/file.h>

namespace scenekit {

// Sets every camera's near_range and far_range so that they hold every face
// the player draws, seen from that camera's node (or, without one, from the
// camera's position) at every moment of frames 0 to `frames` (at least 1):
// the far range beyond the farthest corner, the near range inside the
// nearest point of any face, both within the player's clip planes.
// Evaluates the file's animation, so node data is left at some frame.
void SetCameraRanges(Lib3dsFile *file, int frames);

}  // namespace scenekit

#endif
