// Writes the show's soundtrack as an MP3, for listening and for the data directory.
// Usage: makemusic OUTPUT.mp3   (timings go to standard error)

#include <chrono>
#include <cstdio>
#include <string>

#include "mp3.h"
#include "resample.h"
#include "soundtrack.h"

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.mp3\n", argc > 0 ? argv[0] : "makemusic");
        return 2;
    }
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const std::vector<short> synthesized = RenderSoundtrack(kSoundtrackSynthesisRate);
    const auto rendered = Clock::now();
    const std::vector<short> pcm =
        ResampleStereo(synthesized, kSoundtrackSynthesisRate, kSoundtrackFileRate);
    const auto resampled = Clock::now();
    std::string error;
    if (!EncodeMp3(argv[1], pcm, kSoundtrackFileRate, kSoundtrackFileKbps, &error)) {
        std::fprintf(stderr, "makemusic: %s\n", error.c_str());
        return 1;
    }
    const auto encoded = Clock::now();
    auto seconds = [](Clock::duration d) { return std::chrono::duration<double>(d).count(); };
    std::fprintf(
        stderr,
        "makemusic: %.1f s of audio, rendered in %.2f s, resampled in %.2f s, encoded in %.2f s\n",
        pcm.size() / 2.0 / kSoundtrackFileRate, seconds(rendered - start),
        seconds(resampled - rendered), seconds(encoded - resampled));
    return 0;
}
