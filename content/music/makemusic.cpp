// Writes the show's soundtrack as an MP3, for listening and for the data directory.
// Usage: makemusic OUTPUT.mp3   (timings go to standard error)

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

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
    std::string error;
    if (!EncodeSoundtrack(argv[1], synthesized, &error)) {
        std::fprintf(stderr, "makemusic: %s\n", error.c_str());
        return 1;
    }
    const auto encoded = Clock::now();
    auto seconds = [](Clock::duration d) { return std::chrono::duration<double>(d).count(); };
    std::fprintf(
        stderr, "makemusic: %.1f s of audio, rendered in %.2f s, resampled and encoded in %.2f s\n",
        synthesized.size() / 2.0 / kSoundtrackSynthesisRate, seconds(rendered - start),
        seconds(encoded - rendered));
    return 0;
}
