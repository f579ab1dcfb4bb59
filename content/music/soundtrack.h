#pragma once
// The show's soundtrack: an electro-trance piece in A minor at 120 BPM, composed and
// synthesized here. Its sections change on the show's scene cuts; it fades out over the last
// scene and is silent for the last second.

#include <string>
#include <vector>

#include "showplan.h"

// Length of the render: the show and one second of silence after it.
constexpr double kSoundtrackSeconds = showplan::ShowLengthMs / 1000.0 + 1.0;

// The file is made for the show's audio device, so that the mixer plays it as it is, with no
// conversion of its own; at the device's rate that makes it MPEG-2 Layer III. It is
// synthesized at twice that rate and filtered down.
constexpr int kSoundtrackFileRate = showplan::MusicRateHz;
static_assert(showplan::MusicChannels == 2, "the soundtrack is rendered and written in stereo");
constexpr int kSoundtrackFileKbps = 160;
constexpr int kSoundtrackSynthesisRate = 2 * kSoundtrackFileRate;

// Renders the whole soundtrack as interleaved stereo 16-bit samples at `sampleRate`
// (8000 to 192000 Hz; any other rate answers an empty vector). The same rate always gives
// the same samples: all randomness comes from a generator with a fixed seed.
std::vector<short> RenderSoundtrack(int sampleRate = kSoundtrackSynthesisRate);

// Resamples `synthesized` (from RenderSoundtrack at the synthesis rate) to the file's rate and
// writes it to `path` as constant-bitrate MP3. Answers false with a reason in `error` (when
// non-null) if the file cannot be written.
bool EncodeSoundtrack(const std::string &path, const std::vector<short> &synthesized,
                      std::string *error);

// Renders at the synthesis rate and writes the result as EncodeSoundtrack does. Answers false with
// a reason in `error` (when non-null) if the file cannot be written.
bool WriteSoundtrack(const std::string &path, std::string *error);
