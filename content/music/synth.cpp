#include "synth.h"

#include <algorithm>
#include <cmath>

namespace music {

namespace {

// Correction that rounds off the step of a saw or square at phase wrap (PolyBLEP).
float PolyBlep(double t, double dt)
{
    if (t < dt) {
        t /= dt;
        return static_cast<float>(t + t - t * t - 1.0);
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return static_cast<float>(t * t + t + t + 1.0);
    }
    return 0.0f;
}

}  // namespace

double NoteHz(double midiNote)
{
    return 440.0 * std::pow(2.0, (midiNote - 69.0) / 12.0);
}

Oscillator::Oscillator(Wave wave, double sampleRate, double phase)
    : wave_(wave), sampleRate_(sampleRate), phase_(phase - std::floor(phase))
{
}

float Oscillator::Shape(double t) const
{
    switch (wave_) {
    case Wave::Sine: return std::sin(static_cast<float>(2.0 * kPi * t));
    case Wave::Saw: return static_cast<float>(2.0 * t - 1.0) - PolyBlep(t, step_);
    case Wave::Square: {
        double half = t + 0.5;
        if (half >= 1.0) half -= 1.0;
        return (t < 0.5 ? 1.0f : -1.0f) + PolyBlep(t, step_) - PolyBlep(half, step_);
    }
    case Wave::Triangle:
        // Its harmonics fall off as 1/n^2, so the plain shape aliases little.
        return static_cast<float>(4.0 * std::fabs(t - 0.5) - 1.0);
    }
    return 0.0f;
}

float Envelope::Held(float t) const
{
    if (t < attack) return t / attack;
    const float sinceAttack = t - attack;
    if (decay <= 0.0f) return sustain;
    // exp(-5) leaves under 1% of the way to the sustain level at t = attack + decay.
    return sustain + (1.0f - sustain) * std::exp(-5.0f * sinceAttack / decay);
}

float Envelope::Level(float t, float gate) const
{
    if (t < 0.0f) return 0.0f;
    if (t < gate) return Held(t);
    if (t >= gate + release) return 0.0f;
    const float x = (t - gate) / release;
    const float fall = 1.0f - x;
    return Held(gate) * fall * fall * fall;
}

void Svf::Set(float cutoffHz, float q)
{
    const double nyquistGuard = 0.45 * sampleRate_;
    const double fc = std::clamp(static_cast<double>(cutoffHz), 10.0, nyquistGuard);
    const float g = static_cast<float>(std::tan(kPi * fc / sampleRate_));
    k_ = 1.0f / std::max(q, 0.05f);
    a1_ = 1.0f / (1.0f + g * (g + k_));
    a2_ = g * a1_;
    a3_ = g * a2_;
}

OnePole::OnePole(float cutoffHz, double sampleRate)
    : coeff_(static_cast<float>(1.0 - std::exp(-2.0 * kPi * cutoffHz / sampleRate)))
{
}

DcBlocker::DcBlocker(double sampleRate)
    : r_(static_cast<float>(1.0 - 2.0 * kPi * 10.0 / sampleRate))
{
}

float DcBlocker::Process(float x)
{
    const float y = x - x1_ + r_ * y1_;
    x1_ = x;
    y1_ = y;
    return y;
}

PingPongDelay::PingPongDelay(double delaySeconds, float feedback, float dampingHz,
                             double sampleRate)
    : left_(static_cast<size_t>(std::lround(std::max(delaySeconds, 0.0) * sampleRate))),
      right_(static_cast<size_t>(std::lround(std::max(delaySeconds, 0.0) * sampleRate))),
      dampLeft_(dampingHz, sampleRate), dampRight_(dampingHz, sampleRate),
      feedback_(std::clamp(feedback, 0.0f, 0.95f))
{
}

void PingPongDelay::Process(float inL, float inR, float &outL, float &outR)
{
    outL = left_.Read();
    outR = right_.Read();
    // Input enters on the left; every repeat hops to the other side.
    left_.Write(0.5f * (inL + inR) + feedback_ * dampRight_.Process(outR));
    right_.Write(feedback_ * dampLeft_.Process(outL));
}

Reverb::Reverb(float size, float damping, double sampleRate)
    : feedback_(0.7f + 0.28f * std::clamp(size, 0.0f, 1.0f)),
      damping_(0.4f * std::clamp(damping, 0.0f, 1.0f))
{
    // Mutually prime lengths tuned at 44.1 kHz; the right side is 23 samples longer.
    static const int kCombs[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static const int kAllpasses[] = {556, 441, 341, 225};
    const double scale = sampleRate / 44100.0;
    auto length = [scale](int samples) {
        return static_cast<size_t>(std::max(1L, std::lround(samples * scale)));
    };
    for (Side *side : {&left_, &right_}) {
        const int spread = side == &right_ ? 23 : 0;
        for (int c : kCombs) side->combs.push_back(Comb{DelayLine(length(c + spread))});
        for (int a : kAllpasses) side->allpasses.emplace_back(length(a + spread));
    }
}

float Reverb::Side::Process(float in, float feedback, float damping)
{
    float out = 0.0f;
    for (Comb &comb : combs) {
        const float y = comb.line.Read();
        comb.store = y * (1.0f - damping) + comb.store * damping;
        comb.line.Write(in + comb.store * feedback);
        out += y;
    }
    for (DelayLine &allpass : allpasses) {
        const float buffered = allpass.Read();
        allpass.Write(out + buffered * 0.5f);
        out = buffered - out;
    }
    return out;
}

void Reverb::Process(float inL, float inR, float &outL, float &outR)
{
    // The combs add eight paths at near-unity gain; scale the input down to match.
    const float in = (inL + inR) * 0.015f;
    outL = left_.Process(in, feedback_, damping_);
    outR = right_.Process(in, feedback_, damping_);
}

float SoftLimit(float x, float knee, float ceiling)
{
    const float a = std::fabs(x);
    if (a <= knee) return x;
    const float range = ceiling - knee;
    // tanh has slope 1 at 0, so the curve joins the straight part without a kink.
    const float bent = knee + range * std::tanh((a - knee) / range);
    return std::copysign(std::min(bent, std::nextafter(ceiling, 0.0f)), x);
}

void PanGains(float pan, float &left, float &right)
{
    const float angle = static_cast<float>((std::clamp(pan, -1.0f, 1.0f) + 1.0f) * kPi / 4.0);
    left = std::cos(angle);
    right = std::sin(angle);
}

}  // namespace music
