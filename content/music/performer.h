#pragma once
// The band that plays the score: each part on its instrument, with its place in the mix and
// its patterns (beats, bass lines, the arpeggio).

#include <functional>
#include <vector>

#include "instruments.h"
#include "score.h"

namespace music {

// Takes the arrangement's calls as cues and renders them into `mix` on Perform().
class Performer : public Band {
public:
    explicit Performer(Mix &mix) : mix_(mix) {}

    // Renders every cue taken: percussion first, so that every kick has shaped the sidechain
    // curve before the pads and bass that pump with it are rendered.
    void Perform();

    void Drums(int bar, Beat beat) override;
    void KicksOnly(int bar, int beats, float velocity, float pump) override;
    void Roll(int firstBar, int bars) override;
    void Crash(int bar, float velocity) override;
    void Boom(int bar) override;
    void Riser(int fromBar, int untilBar) override;

    void Bass(int bar, BassLine line, float velocity) override;
    void Pad(int bar, float cutoffFromHz, float cutoffToHz, float level) override;
    void Arp(int bar, float cutoffHz, float level) override;
    void LeadPhrase(const std::vector<Note> &phrase, int atBar, int fromBar, int toBar,
                    float velocity, float brightness, bool octave, bool third) override;
    void BellPhrase(const std::vector<Note> &phrase, int atBar, int fromBar, int toBar,
                    float velocity) override;

private:
    using Cue = std::function<void()>;
    void DrumStep(int bar, int step, Beat beat, bool fill);

    Mix &mix_;
    std::vector<Cue> rhythm_, tonal_;
};

}  // namespace music
