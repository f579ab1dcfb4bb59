#pragma once
// Mastering: the echo and reverb returns, the fade-out at the end of the show, the limiter
// and the 16-bit output.

#include <vector>

#include "instruments.h"

namespace music {

// Mixes the buses of `mix` down to interleaved stereo 16-bit samples.
std::vector<short> Master(const Mix &mix);

}  // namespace music
