// Conversion of absolute rotation keys into lib3ds's relative ones.
#ifndef SCENEKIT_ROTATION_H
#define SCENEKIT_ROTATION_H

#include <string>
#include <vector>

#include "scenekit.h"

namespace scenekit {

// A key as lib3ds stores it: a turn relative to the previous key's
// orientation, in lib3ds's sense of rotation (the opposite of Rotation()'s).
struct LibRotationKey {
    int frame = 0;
    Vec3 axis{0, 0, 1};
    float angleRad = 0;
};

// Relative keys whose composition gives each absolute key's orientation at
// its frame, no step larger than 120 degrees, starting at frame 0. Frames of
// `keys` must already be increasing and >= 0. Answers false with a message
// (prefixed by `what`) for a zero or non-finite axis or angle, or when two
// keys are too close in time for the turn between them.
bool ExpandRotationKeys(const std::vector<RotationKey> &keys, std::vector<LibRotationKey> *out,
                        std::string *error, const std::string &what);

}  // namespace scenekit

#endif
