#pragma once
// Signal-processing building blocks of the soundtrack: a seeded noise source, band-limited
// oscillators, envelopes, filters, echo, reverb and the output limiter. Each works one sample
// at a time in float; none allocates after construction.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace music {

constexpr double kPi = 3.14159265358979323846;

// xorshift32: the whole sequence follows from the seed, so every render is the same.
class Rng {
public:
    explicit Rng(uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
    uint32_t Next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    float Unit() { return static_cast<float>(Next() >> 8) * (1.0f / 16777216.0f); }  // [0, 1)
    float Bipolar() { return Unit() * 2.0f - 1.0f; }                                 // [-1, 1)

private:
    uint32_t state_;
};

// Frequency in Hz of a MIDI note number (69 = A4 = 440 Hz); fractions detune.
double NoteHz(double midiNote);

enum class Wave { Sine, Saw, Square, Triangle };

// A free-running oscillator. Saw and square are band-limited with PolyBLEP, so high notes
// do not alias into inharmonic tones. Output stays within about [-1.1, 1.1].
class Oscillator {
public:
    Oscillator(Wave wave, double sampleRate, double phase = 0.0);
    void SetFrequency(double hz) { step_ = hz / sampleRate_; }
    float Next()
    {
        const float out = Shape(phase_);
        phase_ += step_;
        if (phase_ >= 1.0) phase_ -= static_cast<long>(phase_);
        return out;
    }

private:
    float Shape(double t) const;

    Wave wave_;
    double sampleRate_;
    double phase_;  // [0, 1)
    double step_ = 0.0;
};

// Attack / decay / sustain / release as a closed-form curve of the time since note-on.
// The gate is how long the note is held; the level is exactly 0 from gate + release on.
struct Envelope {
    float attack = 0.005f;  // s, linear rise to 1
    float decay = 0.2f;     // s, exponential fall that has nearly reached the sustain level
    float sustain = 0.7f;   // level held while the gate lasts
    float release = 0.1f;   // s, from the level at gate-off down to 0

    float Level(float t, float gate) const;
    float Length(float gate) const { return gate + release; }

private:
    float Held(float t) const;
};

// Zero-delay-feedback state-variable filter: stable however fast the cutoff moves.
class Svf {
public:
    struct Out {
        float low, band, high;
    };
    Svf(double sampleRate) : sampleRate_(sampleRate) {}
    // q of 0.707 is flat; higher values ring at the cutoff. Cutoff is kept below Nyquist.
    void Set(float cutoffHz, float q);
    Out Process(float x)
    {
        const float v3 = x - ic2_;
        const float v1 = a1_ * ic1_ + a2_ * v3;
        const float v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
        ic1_ = 2.0f * v1 - ic1_;
        ic2_ = 2.0f * v2 - ic2_;
        return {v2, v1, x - k_ * v1 - v2};
    }
    float Low(float x) { return Process(x).low; }
    float High(float x) { return Process(x).high; }
    float Band(float x) { return Process(x).band; }

private:
    double sampleRate_;
    float a1_ = 1, a2_ = 0, a3_ = 0, k_ = 1.414f;
    float ic1_ = 0, ic2_ = 0;
};

// One-pole low-pass, used for damping inside feedback loops.
class OnePole {
public:
    OnePole(float cutoffHz, double sampleRate);
    float Process(float x) { return state_ += coeff_ * (x - state_); }

private:
    float coeff_;
    float state_ = 0.0f;
};

// Removes the DC offset that asymmetric waveshaping leaves (about 10 Hz corner).
class DcBlocker {
public:
    explicit DcBlocker(double sampleRate);
    float Process(float x);

private:
    float r_;
    float x1_ = 0.0f, y1_ = 0.0f;
};

// Circular delay line of a fixed maximum length.
class DelayLine {
public:
    explicit DelayLine(size_t samples) : buffer_(samples ? samples : 1) {}
    float Read() const { return buffer_[pos_]; }  // the sample written `size` samples ago
    void Write(float x)
    {
        buffer_[pos_] = x;
        if (++pos_ == buffer_.size()) pos_ = 0;
    }

private:
    std::vector<float> buffer_;
    size_t pos_ = 0;
};

// Ping-pong echo: each repeat crosses to the other side and loses `feedback` and some treble.
// Feedback is clamped below 0.95 so the echoes always die away.
class PingPongDelay {
public:
    PingPongDelay(double delaySeconds, float feedback, float dampingHz, double sampleRate);
    void Process(float inL, float inR, float &outL, float &outR);
    float feedback() const { return feedback_; }

private:
    DelayLine left_, right_;
    OnePole dampLeft_, dampRight_;
    float feedback_;
};

// Schroeder-Moorer reverb (eight damped combs and four all-passes per side, the right side
// slightly longer for width). `size` in [0, 1] sets the decay, `damping` in [0, 1] the
// darkening of the tail.
class Reverb {
public:
    Reverb(float size, float damping, double sampleRate);
    void Process(float inL, float inR, float &outL, float &outR);

private:
    struct Comb {
        DelayLine line;
        float store = 0.0f;
    };
    struct Side {
        std::vector<Comb> combs;
        std::vector<DelayLine> allpasses;
        float Process(float in, float feedback, float damping);
    };
    Side left_, right_;
    float feedback_, damping_;
};

// Passes |x| <= knee unchanged and bends larger values smoothly towards `ceiling`, which the
// output never reaches. Needs 0 < knee < ceiling.
float SoftLimit(float x, float knee, float ceiling);

// Equal-power stereo gains for a pan position in [-1 (left), 1 (right)].
void PanGains(float pan, float &left, float &right);

}  // namespace music
