// The data directory the checker's tests start from: what the show plan
// names, small, and keeping every content rule.
#ifndef SHOWCHECKTEST_CHECKDATA_H
#define SHOWCHECKTEST_CHECKDATA_H

#include <string>

#include "scenekit.h"

namespace checkdata {

// The image of plan slot `slot`: "img<slot>.png", 16 x 16 RGB.
std::string SlotImage(int slot);
// The scene of plan slot `slot`: a quad textured with `image` in front of
// Camera01, which moves towards it through the whole slot.
scenekit::Scene SlotScene(int slot, const std::string &image);
// Music of `seconds` of a tone at this rate in stereo.
bool WriteMusic(const std::string &path, int rate, double seconds, std::string *error);
// Every scene of the plan with its image, and music in the sound device's
// format a little longer than the show.
bool WriteBase(const std::string &dir, std::string *error);

}  // namespace checkdata

#endif
