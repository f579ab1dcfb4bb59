#include "resample.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>

std::vector<short> ResampleStereo(const std::vector<short> &interleavedStereo, int fromRate,
                                  int toRate)
{
    const auto validRate = [](int rate) { return rate > 0 && rate <= 768000; };
    if (interleavedStereo.empty() || interleavedStereo.size() % 2 != 0 || !validRate(fromRate) ||
        !validRate(toRate))
        return {};
    // Float in and out: soxr's own 16-bit output would add dither drawn from its own noise.
    std::vector<float> in(interleavedStereo.size());
    std::transform(interleavedStereo.begin(), interleavedStereo.end(), in.begin(),
                   [](short s) { return s * (1.0f / 32768.0f); });
    const size_t inFrames = in.size() / 2;
    const size_t outFrames =
        static_cast<size_t>(std::llround(static_cast<double>(inFrames) * toRate / fromRate));
    std::vector<float> out(outFrames * 2);
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, SOXR_LINEAR_PHASE);
    // One thread: the same input gives the same samples on every run.
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    size_t done = 0;
    if (soxr_oneshot(fromRate, toRate, 2, in.data(), inFrames, nullptr, out.data(), outFrames,
                     &done, &io, &quality, &runtime) != nullptr)
        return {};
    std::vector<short> result(outFrames * 2, 0);
    for (size_t i = 0; i < done * 2; ++i)
        result[i] = static_cast<short>(std::clamp(std::lround(out[i] * 32768.0f), -32768L, 32767L));
    return result;
}
