#include "master.h"

#include <cmath>

#include "showplan.h"
#include "synth.h"

namespace music {

namespace {

// In seconds: over the last scene.
constexpr double kFadeStart = showplan::SlotStartMs(showplan::SceneCount - 1) / 1000.0;
constexpr double kFadeEnd = showplan::ShowLengthMs / 1000.0;

float FadeGain(double seconds)
{
    if (seconds <= kFadeStart) return 1.0f;
    if (seconds >= kFadeEnd) return 0.0f;
    const double x = (seconds - kFadeStart) / (kFadeEnd - kFadeStart);
    return static_cast<float>(0.5 * (1.0 + std::cos(kPi * x)));
}

}  // namespace

std::vector<short> Master(const Mix &mix)
{
    const double rate = mix.sampleRate;
    PingPongDelay echo(0.375, 0.42f, 3200.0f, rate);  // a dotted eighth
    Reverb room(0.82f, 0.5f, rate);
    Svf roomHighPassL(rate), roomHighPassR(rate);  // keep the bass out of the tail
    roomHighPassL.Set(280.0f, 0.7f);
    roomHighPassR.Set(280.0f, 0.7f);
    DcBlocker dcL(rate), dcR(rate);
    const float masterGain = 1.15f;

    std::vector<short> out(mix.frames * 2);
    for (size_t i = 0; i < mix.frames; ++i) {
        float echoL, echoR, roomL, roomR;
        echo.Process(mix.echoL[i], mix.echoR[i], echoL, echoR);
        room.Process(roomHighPassL.High(mix.roomL[i] + 0.25f * echoL),
                     roomHighPassR.High(mix.roomR[i] + 0.25f * echoR), roomL, roomR);
        const float gain = masterGain * FadeGain(i / rate);
        const float l = SoftLimit(dcL.Process(mix.dryL[i] + echoL + roomL) * gain, 0.6f, 0.9f);
        const float r = SoftLimit(dcR.Process(mix.dryR[i] + echoR + roomR) * gain, 0.6f, 0.9f);
        out[2 * i] = static_cast<short>(std::lround(l * 32767.0f));
        out[2 * i + 1] = static_cast<short>(std::lround(r * 32767.0f));
    }
    return out;
}

}  // namespace music
