#include "instruments.h"

#include <algorithm>
#include <cmath>

namespace music {

namespace {

constexpr double kTwoPi = 2.0 * kPi;

// Adds one voice's stereo samples to the buses with its placement; the span is clipped to
// the buffers.
class Voice {
public:
    Voice(Mix &mix, double time, double seconds, const Placement &place) : mix_(mix), place_(place)
    {
        PanGains(place.pan, panL_, panR_);
        const long long start = std::llround(time * mix.sampleRate);
        const long long length = std::llround(seconds * mix.sampleRate);
        first_ = static_cast<size_t>(std::max(0LL, start));
        skipped_ = static_cast<size_t>(first_ - start);
        const long long end =
            std::min<long long>(start + length, static_cast<long long>(mix.frames));
        count_ = end > start ? static_cast<size_t>(end - start) : 0;
    }
    // Samples of the voice to compute; the first `skipped()` fall before the buffers start.
    size_t count() const { return count_; }
    size_t skipped() const { return skipped_; }
    float Seconds(size_t n) const { return static_cast<float>(n) / mix_.sampleRate; }

    void Put(size_t n, float left, float right)
    {
        if (n < skipped_) return;
        const size_t i = first_ + n - skipped_;
        const float g = place_.gain * (1.0f - place_.duck * (1.0f - mix_.duck[i]));
        const float l = left * g * panL_, r = right * g * panR_;
        mix_.dryL[i] += l;
        mix_.dryR[i] += r;
        mix_.echoL[i] += l * place_.echo;
        mix_.echoR[i] += r * place_.echo;
        mix_.roomL[i] += l * place_.room;
        mix_.roomR[i] += r * place_.room;
    }

private:
    Mix &mix_;
    Placement place_;
    float panL_, panR_;
    size_t first_ = 0, skipped_ = 0, count_ = 0;
};

// Sidechain shape around a kick at u = 0 s: a 4 ms dive, then a smooth 280 ms recovery.
float DuckShape(float u)
{
    if (u < 0.0f) return std::min(1.0f, -u / 0.004f);
    if (u >= 0.28f) return 1.0f;
    const float x = u / 0.28f;
    return x * x * (3.0f - 2.0f * x);
}

// Six detuned square waves, the classic recipe for a metallic cymbal tone.
class Metal {
public:
    Metal(double sampleRate, Rng &rng)
    {
        static const double kHz[] = {349.0, 517.5, 628.3, 888.6, 918.0, 1360.0};
        for (double hz : kHz) {
            oscs_.emplace_back(Wave::Square, sampleRate, rng.Unit());
            oscs_.back().SetFrequency(hz);
        }
    }
    float Next()
    {
        float sum = 0.0f;
        for (Oscillator &o : oscs_) sum += o.Next();
        return sum * (1.0f / 6.0f);
    }

private:
    std::vector<Oscillator> oscs_;
};

// Oscillators spread across the stereo field, oscillator k with its share
// of it on the left and the rest on the right, each side through its own
// low-pass, the two moved together.
class FilteredSpread {
public:
    explicit FilteredSpread(double sampleRate)
        : sampleRate_(sampleRate), lpL_(sampleRate), lpR_(sampleRate)
    {
    }
    Oscillator &Add(Wave wave, double phase, float leftShare)
    {
        oscs_.emplace_back(wave, sampleRate_, phase);
        leftShare_.push_back(leftShare);
        return oscs_.back();
    }
    Oscillator &operator[](size_t k) { return oscs_[k]; }
    void SetCutoff(float hz, float q)
    {
        lpL_.Set(hz, q);
        lpR_.Set(hz, q);
    }
    // Puts the oscillators' next samples, filtered, at `gain` into frame n.
    void PutNext(Voice &v, size_t n, float gain)
    {
        float l = 0.0f, r = 0.0f;
        for (size_t k = 0; k < oscs_.size(); ++k) {
            const float s = oscs_[k].Next();
            l += s * leftShare_[k];
            r += s * (1.0f - leftShare_[k]);
        }
        v.Put(n, lpL_.Low(l) * gain, lpR_.Low(r) * gain);
    }

private:
    double sampleRate_;
    std::vector<Oscillator> oscs_;
    std::vector<float> leftShare_;
    Svf lpL_, lpR_;
};

}  // namespace

Mix::Mix(int rate, double seconds, uint32_t seed)
    : sampleRate(rate), frames(static_cast<size_t>(std::llround(std::max(seconds, 0.0) * rate))),
      dryL(frames), dryR(frames), echoL(frames), echoR(frames), roomL(frames), roomR(frames),
      duck(frames, 1.0f), rng(seed)
{
}

void Kick(Mix &mix, double time, float velocity, float pump, const Placement &place)
{
    Voice v(mix, time, 0.5, place);
    double phase = 0.0;
    for (size_t n = 0; n < v.count(); ++n) {
        const float u = v.Seconds(n);
        // Pitch dives from about 165 Hz to 55 Hz (the song's A): the click, then the boom.
        const double hz = 55.0 + 110.0 * std::exp(-u * 30.0f);
        phase += hz / mix.sampleRate;
        phase -= std::floor(phase);
        const float body = std::sin(static_cast<float>(kTwoPi * phase)) * std::exp(-u * 9.0f);
        const float click = mix.rng.Bipolar() * std::exp(-u * 600.0f) * 0.25f;
        const float attack = std::min(1.0f, u / 0.0015f);
        const float tail = std::min(1.0f, (0.5f - u) / 0.03f);
        const float x = std::tanh(1.6f * (body + click)) * attack * tail * velocity;
        v.Put(n, x, x);
    }
    if (pump <= 0.0f) return;
    const long long at = std::llround(time * mix.sampleRate);
    const long long from = std::max(0LL, at - mix.sampleRate / 250);
    const long long to = std::min<long long>(at + std::llround(0.28 * mix.sampleRate), mix.frames);
    for (long long i = from; i < to; ++i) {
        const float shape = DuckShape(static_cast<float>(i - at) / mix.sampleRate);
        mix.duck[i] = std::min(mix.duck[i], 1.0f - pump * (1.0f - shape));
    }
}

void Snare(Mix &mix, double time, float velocity, const Placement &place)
{
    Voice v(mix, time, 0.3, place);
    Svf hpL(mix.sampleRate), hpR(mix.sampleRate);
    hpL.Set(1800.0f, 0.7f);
    hpR.Set(1800.0f, 0.7f);
    double phase = 0.0;
    for (size_t n = 0; n < v.count(); ++n) {
        const float u = v.Seconds(n);
        phase += (180.0 + 60.0 * std::exp(-u * 40.0f)) / mix.sampleRate;
        phase -= std::floor(phase);
        const float tone =
            std::sin(static_cast<float>(kTwoPi * phase)) * std::exp(-u * 28.0f) * 0.55f;
        const float noiseEnv =
            std::exp(-u * 15.0f) * std::min(1.0f, u / 0.001f) * std::min(1.0f, (0.3f - u) / 0.02f);
        const float l = tone + hpL.High(mix.rng.Bipolar()) * noiseEnv;
        const float r = tone + hpR.High(mix.rng.Bipolar()) * noiseEnv;
        v.Put(n, l * velocity, r * velocity);
    }
}

void Clap(Mix &mix, double time, float velocity, const Placement &place)
{
    Voice v(mix, time, 0.4, place);
    Svf bpL(mix.sampleRate), bpR(mix.sampleRate);
    bpL.Set(1150.0f, 1.4f);
    bpR.Set(1250.0f, 1.4f);
    for (size_t n = 0; n < v.count(); ++n) {
        const float u = v.Seconds(n);
        // Three quick slaps 11 ms apart, then the room of the clap.
        float env;
        if (u < 0.033f) {
            const float sinceSlap = std::fmod(u, 0.011f);
            env = std::exp(-sinceSlap * 220.0f);
        } else {
            env = std::exp(-(u - 0.033f) * 13.0f);
        }
        env *= std::min(1.0f, (0.4f - u) / 0.03f);
        const float l = bpL.Band(mix.rng.Bipolar()) * env * 2.2f;
        const float r = bpR.Band(mix.rng.Bipolar()) * env * 2.2f;
        v.Put(n, l * velocity, r * velocity);
    }
}

void HiHat(Mix &mix, double time, float velocity, bool open, const Placement &place)
{
    const float length = open ? 0.45f : 0.09f;
    const float rate = open ? 7.5f : 48.0f;
    Voice v(mix, time, length, place);
    Metal metal(mix.sampleRate, mix.rng);
    Svf hp1(mix.sampleRate), hp2(mix.sampleRate);
    hp1.Set(7200.0f, 0.7f);
    hp2.Set(7200.0f, 0.7f);
    for (size_t n = 0; n < v.count(); ++n) {
        const float u = v.Seconds(n);
        const float raw = 0.55f * metal.Next() + 0.45f * mix.rng.Bipolar();
        const float env = std::exp(-u * rate) * std::min(1.0f, u / 0.0008f) *
                          std::min(1.0f, (length - u) / 0.01f);
        const float x = hp2.High(hp1.High(raw)) * env * velocity;
        v.Put(n, x, x);
    }
}

void Crash(Mix &mix, double time, float velocity, const Placement &place)
{
    const float length = 3.0f;
    Voice v(mix, time, length, place);
    Metal metal(mix.sampleRate, mix.rng);
    Svf hpL(mix.sampleRate), hpR(mix.sampleRate);
    hpL.Set(4500.0f, 0.6f);
    hpR.Set(4700.0f, 0.6f);
    for (size_t n = 0; n < v.count(); ++n) {
        const float u = v.Seconds(n);
        const float env =
            std::exp(-u * 1.5f) * std::min(1.0f, u / 0.002f) * std::min(1.0f, (length - u) / 0.2f);
        const float m = metal.Next() * 0.4f;
        const float l = hpL.High(m + mix.rng.Bipolar()) * env * velocity;
        const float r = hpR.High(m + mix.rng.Bipolar()) * env * velocity;
        v.Put(n, l, r);
    }
}

void Riser(Mix &mix, double time, double seconds, const Placement &place)
{
    Voice v(mix, time, seconds, place);
    Svf bpL(mix.sampleRate), bpR(mix.sampleRate);
    const float total = static_cast<float>(seconds);
    for (size_t n = 0; n < v.count(); ++n) {
        const float x = v.Seconds(n) / total;
        if (n % 16 == 0) {
            const float hz = 350.0f * std::pow(30.0f, x);  // 350 Hz up to about 10 kHz
            bpL.Set(hz, 2.5f);
            bpR.Set(hz * 1.07f, 2.5f);
        }
        const float env = x * x * std::min(1.0f, (1.0f - x) * total / 0.02f);
        const float l = bpL.Band(mix.rng.Bipolar()) * env * 2.0f;
        const float r = bpR.Band(mix.rng.Bipolar()) * env * 2.0f;
        v.Put(n, l, r);
    }
}

void Boom(Mix &mix, double time, const Placement &place)
{
    Voice v(mix, time, 1.6, place);
    double phase = 0.0;
    for (size_t n = 0; n < v.count(); ++n) {
        const float u = v.Seconds(n);
        phase += (36.0 + 40.0 * std::exp(-u * 3.0f)) / mix.sampleRate;
        phase -= std::floor(phase);
        const float env =
            std::exp(-u * 2.6f) * std::min(1.0f, u / 0.004f) * std::min(1.0f, (1.6f - u) / 0.1f);
        const float x = std::sin(static_cast<float>(kTwoPi * phase)) * env;
        v.Put(n, x, x);
    }
}

void Bass(Mix &mix, double time, double seconds, int note, float velocity, const BassTone &tone,
          const Placement &place)
{
    const Envelope amp{0.003f, 0.15f, 0.85f, 0.04f};
    const float gate = static_cast<float>(seconds);
    Voice v(mix, time, amp.Length(gate), place);
    const double hz = NoteHz(note);
    Oscillator saw(Wave::Saw, mix.sampleRate, mix.rng.Unit());
    Oscillator sub(Wave::Sine, mix.sampleRate, 0.0);
    saw.SetFrequency(hz);
    sub.SetFrequency(hz);
    Svf lp(mix.sampleRate);
    for (size_t n = 0; n < v.count(); ++n) {
        const float u = v.Seconds(n);
        if (n % 8 == 0)
            lp.Set(tone.cutoffHz + tone.envelopeHz * std::exp(-u / tone.envelopeDecay), tone.q);
        const float body = lp.Low(saw.Next()) * 0.85f + sub.Next() * 0.4f;
        const float x = std::tanh(1.4f * body) * amp.Level(u, gate) * velocity;
        v.Put(n, x, x);
    }
}

void Pad(Mix &mix, double time, double seconds, const std::vector<int> &notes, float cutoffFromHz,
         float cutoffToHz, const Placement &place)
{
    const Envelope amp{0.2f, 0.6f, 0.85f, 0.9f};
    const float gate = static_cast<float>(seconds);
    const float length = amp.Length(gate);
    Voice v(mix, time, length, place);
    // Three saws per note, detuned by about 10 cents and spread left, centre and right.
    static const float kCents[] = {-11.0f, 0.0f, 11.0f};
    static const float kSide[] = {1.0f, 0.55f, 0.0f};  // share of each saw on the left
    FilteredSpread spread(mix.sampleRate);
    for (int note : notes) {
        for (int k = 0; k < 3; ++k)
            spread.Add(Wave::Saw, mix.rng.Unit(), kSide[k])
                .SetFrequency(NoteHz(note + kCents[k] / 100.0f));
    }
    const float perNote = 1.0f / std::sqrt(static_cast<float>(std::max<size_t>(1, notes.size())));
    for (size_t n = 0; n < v.count(); ++n) {
        const float u = v.Seconds(n);
        if (n % 16 == 0)
            spread.SetCutoff(cutoffFromHz *
                                 std::pow(cutoffToHz / cutoffFromHz, std::min(1.0f, u / length)),
                             0.8f);
        spread.PutNext(v, n, amp.Level(u, gate) * perNote * 0.5f);
    }
}

void Lead(Mix &mix, double time, double seconds, int note, float velocity, float brightness,
          const Placement &place)
{
    const Envelope amp{0.004f, 0.3f, 0.65f, 0.12f};
    const float gate = static_cast<float>(seconds);
    Voice v(mix, time, amp.Length(gate), place);
    static const float kCents[] = {-17.0f, -8.0f, 0.0f, 8.0f, 17.0f};
    static const float kLeft[] = {1.0f, 0.2f, 0.5f, 0.8f, 0.0f};
    FilteredSpread saws(mix.sampleRate);
    for (int k = 0; k < 5; ++k) saws.Add(Wave::Saw, mix.rng.Unit(), kLeft[k]);
    const float base = 900.0f + 2600.0f * std::clamp(brightness, 0.0f, 1.0f);
    for (size_t n = 0; n < v.count(); ++n) {
        const float u = v.Seconds(n);
        if (n % 8 == 0) {
            // Vibrato eases in on held notes only.
            const float depth = std::clamp((u - 0.25f) / 0.3f, 0.0f, 1.0f) * 0.12f;
            const float bend = std::sin(static_cast<float>(kTwoPi) * 5.5f * u) * depth;
            for (int k = 0; k < 5; ++k)
                saws[k].SetFrequency(NoteHz(note + bend + kCents[k] / 100.0f));
            saws.SetCutoff(base * (1.0f + 1.6f * std::exp(-u * 9.0f)), 1.1f);
        }
        saws.PutNext(v, n, amp.Level(u, gate) * velocity * 0.4f);
    }
}

void Pluck(Mix &mix, double time, double seconds, int note, float velocity, float cutoffHz,
           const Placement &place)
{
    const Envelope amp{0.002f, 0.18f, 0.0f, 0.05f};
    const float gate = static_cast<float>(seconds);
    Voice v(mix, time, amp.Length(gate), place);
    Oscillator saw(Wave::Saw, mix.sampleRate, mix.rng.Unit());
    Oscillator square(Wave::Square, mix.sampleRate, mix.rng.Unit());
    saw.SetFrequency(NoteHz(note));
    square.SetFrequency(NoteHz(note + 0.07));
    Svf lp(mix.sampleRate);
    for (size_t n = 0; n < v.count(); ++n) {
        const float u = v.Seconds(n);
        if (n % 8 == 0) lp.Set(cutoffHz * (1.0f + 3.0f * std::exp(-u * 22.0f)), 1.3f);
        const float x =
            lp.Low(0.5f * saw.Next() + 0.4f * square.Next()) * amp.Level(u, gate) * velocity;
        v.Put(n, x, x);
    }
}

void Bell(Mix &mix, double time, double seconds, int note, float velocity, const Placement &place)
{
    const Envelope amp{0.002f, 1.4f, 0.25f, 0.6f};
    const float gate = static_cast<float>(seconds);
    Voice v(mix, time, amp.Length(gate), place);
    const double hz = NoteHz(note);
    // Two carriers 4 cents apart, one per side, for a slow chorus.
    const double hzL = hz * std::pow(2.0, -2.0 / 1200.0), hzR = hz * std::pow(2.0, 2.0 / 1200.0);
    double carrierL = 0.0, carrierR = 0.0, strikeL = 0.0, strikeR = 0.0;
    auto advance = [&mix](double &phase, double stepHz) {
        phase += stepHz / mix.sampleRate;
        phase -= std::floor(phase);
        return static_cast<float>(kTwoPi * phase);
    };
    for (size_t n = 0; n < v.count(); ++n) {
        const float u = v.Seconds(n);
        const float index = 0.35f + 2.4f * std::exp(-u * 6.0f);
        // The modulator runs at the carrier's frequency, so one phase serves both.
        const float cl = advance(carrierL, hzL), cr = advance(carrierR, hzR);
        float l = cl + index * std::sin(cl), r = cr + index * std::sin(cr);
        const float shimmer = 0.25f * std::exp(-u * 14.0f);  // the 3.5:1 partial of the strike
        if (shimmer > 0.001f) {
            l += shimmer * std::sin(advance(strikeL, 3.5 * hzL));
            r += shimmer * std::sin(advance(strikeR, 3.5 * hzR));
        }
        l = std::sin(l);
        r = std::sin(r);
        const float env = amp.Level(u, gate) * velocity;
        v.Put(n, l * env, r * env);
    }
}

}  // namespace music
