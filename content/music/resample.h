#pragma once
// Sample-rate conversion of 16-bit stereo through libsoxr.

#include <vector>

// Converts interleaved stereo 16-bit PCM from `fromRate` to `toRate` Hz with libsoxr's very
// high quality filter: linear phase, flat to 91% of the lower Nyquist frequency and with the
// stop band starting at it, so that nothing above the new Nyquist frequency folds back.
// The output has round(frames * toRate / fromRate) frames, aligned with the input (no
// delay). Answers an empty vector for empty or odd-sized input or rates outside 1..768000.
std::vector<short> ResampleStereo(const std::vector<short> &interleavedStereo, int fromRate,
                                  int toRate);
