#pragma once
// The soundtrack's instruments. Each call renders one note (or hit) straight into the mix
// buffers at a time in seconds; notes past the end of the buffers are cut off.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "synth.h"

namespace music {

// The song's working buffers: a dry stereo bus, the echo and reverb send buses, and the
// sidechain curve that kicks pull down so that pads and bass pump with the beat.
struct Mix {
    Mix(int sampleRate, double seconds, uint32_t seed);

    int sampleRate;
    size_t frames;
    std::vector<float> dryL, dryR, echoL, echoR, roomL, roomR;
    std::vector<float> duck;  // 1 = untouched; a kick briefly takes it towards 0
    Rng rng;                  // every noise and start phase comes from here, in call order
};

// How loud a voice is, where it sits and how much of it feeds the echo and the reverb.
// `duck` is how deep the kicks' sidechain pumps it (0 none, 1 silenced at each kick).
struct Placement {
    float gain = 1.0f;
    float pan = 0.0f;
    float echo = 0.0f;
    float room = 0.0f;
    float duck = 0.0f;
};

// Drums. A kick also pulls the sidechain curve down in proportion to `pump`.
void Kick(Mix &mix, double time, float velocity, float pump, const Placement &place);
void Snare(Mix &mix, double time, float velocity, const Placement &place);
void Clap(Mix &mix, double time, float velocity, const Placement &place);
void HiHat(Mix &mix, double time, float velocity, bool open, const Placement &place);
void Crash(Mix &mix, double time, float velocity, const Placement &place);

// Effects: a noise sweep rising over `seconds`, and a falling sub boom for the drops.
void Riser(Mix &mix, double time, double seconds, const Placement &place);
void Boom(Mix &mix, double time, const Placement &place);

// Filter settings of the bass: base cutoff, how far the pluck envelope opens it, resonance.
struct BassTone {
    float cutoffHz = 220.0f;
    float envelopeHz = 900.0f;
    float envelopeDecay = 0.12f;  // s
    float q = 0.9f;
};

// Tonal voices. `note` is a MIDI note number; `seconds` is how long the key is held.
void Bass(Mix &mix, double time, double seconds, int note, float velocity, const BassTone &tone,
          const Placement &place);
// A chord of detuned saws whose low-pass cutoff glides from `cutoffFromHz` to `cutoffToHz`.
void Pad(Mix &mix, double time, double seconds, const std::vector<int> &notes, float cutoffFromHz,
         float cutoffToHz, const Placement &place);
// The supersaw lead; `brightness` in [0, 1] opens its filter.
void Lead(Mix &mix, double time, double seconds, int note, float velocity, float brightness,
          const Placement &place);
// A short filtered pluck for arpeggios.
void Pluck(Mix &mix, double time, double seconds, int note, float velocity, float cutoffHz,
           const Placement &place);
// A two-operator FM electric-piano bell.
void Bell(Mix &mix, double time, double seconds, int note, float velocity, const Placement &place);

}  // namespace music
