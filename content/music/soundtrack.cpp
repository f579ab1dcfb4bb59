#include "soundtrack.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

#include "instruments.h"
#include "master.h"
#include "mp3.h"
#include "performer.h"
#include "resample.h"
#include "score.h"

namespace music {
namespace {

constexpr uint32_t kSeed = 0x2A11E5u;

// Flush-to-zero for the decaying feedback loops, whose denormals would cost more than the
// rest of the render; restored on the way out.
class DenormalGuard {
public:
#if defined(__SSE__)
    DenormalGuard() : saved_(_mm_getcsr())
    {
        _mm_setcsr(saved_ | 0x8040);
    }
    ~DenormalGuard()
    {
        _mm_setcsr(saved_);
    }

private:
    unsigned int saved_;
#endif
};

}  // namespace
}  // namespace music

std::vector<short> RenderSoundtrack(int sampleRate)
{
    if (sampleRate < 8000 || sampleRate > 192000) return {};
    music::DenormalGuard guard;
    music::Mix mix(sampleRate, kSoundtrackSeconds, music::kSeed);
    music::Performer band(mix);
    music::Arrange(band);
    band.Perform();
    return music::Master(mix);
}

bool EncodeSoundtrack(const std::string &path, const std::vector<short> &synthesized,
                      std::string *error)
{
    const std::vector<short> pcm =
        ResampleStereo(synthesized, kSoundtrackSynthesisRate, kSoundtrackFileRate);
    return EncodeMp3(path, pcm, kSoundtrackFileRate, kSoundtrackFileKbps, error);
}

bool WriteSoundtrack(const std::string &path, std::string *error)
{
    // Find out that the file cannot be made before spending seconds on the render.
    FILE *probe = path.empty() ? nullptr : std::fopen(path.c_str(), "ab");
    if (!probe) {
        if (error)
            *error = "cannot create " + path + ": " + std::strerror(path.empty() ? ENOENT : errno);
        return false;
    }
    std::fclose(probe);
    return EncodeSoundtrack(path, RenderSoundtrack(kSoundtrackSynthesisRate), error);
}
