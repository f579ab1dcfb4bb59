#pragma once
// The soundtrack's score: its time grid, its harmony, its phrases and the arrangement that
// says which part plays what in every bar. It names parts and patterns; how they sound is
// the band's business (performer.h).

#include <vector>

#include "showplan.h"

namespace music {

// 120 BPM in 4/4: a bar lasts 2 s, so every 8 s scene is 4 bars and every cut is a downbeat.
constexpr double kBar = 2.0;
constexpr double kStep = kBar / 16.0;  // one sixteenth
constexpr int kBars = showplan::ShowLengthMs / 2000;
static_assert(kBars * kBar * 1000 == showplan::ShowLengthMs, "the show is whole bars long");

// Seconds at sixteenth `step` of bar `bar`; Swung lets off-beat sixteenths lag a little.
double At(int bar, double step);
double Swung(int bar, int step);

struct Chord {
    int bass;              // root for the bass line (octave 1-2)
    std::vector<int> pad;  // voicing around A3-A4, moving as little as possible
};

// The chord of a bar (bars outside the song take the nearest end's).
const Chord &ChordAt(int bar);

// A note of a phrase: bar offset within the phrase, start and length in sixteenths, pitch.
struct Note {
    int bar, step, steps, pitch;
};

// The pitch `degrees` steps of the A minor scale below `pitch` (for harmonies in thirds).
int ScaleBelow(int pitch, int degrees);

enum class Beat { Pulse, Drive, Groove, Broken, Climax };
enum class BassLine { Held, Offbeat, Rolling, Electro };

// The parts the arrangement calls on, bar by bar.
class Band {
public:
    virtual ~Band() = default;

    virtual void Drums(int bar, Beat beat) = 0;
    // Kick on every beat for `beats` beats of the bar, then silence until the drop.
    virtual void KicksOnly(int bar, int beats, float velocity, float pump) = 0;
    // Snare roll over `bars` bars, ever denser and louder.
    virtual void Roll(int firstBar, int bars) = 0;
    virtual void Crash(int bar, float velocity = 1.0f) = 0;
    virtual void Boom(int bar) = 0;
    // A riser that peaks exactly at the downbeat of `untilBar`.
    virtual void Riser(int fromBar, int untilBar) = 0;

    virtual void Bass(int bar, BassLine line, float velocity = 1.0f) = 0;
    virtual void Pad(int bar, float cutoffFromHz, float cutoffToHz, float level = 1.0f) = 0;
    // Sixteenth-note arpeggio over the bar's chord.
    virtual void Arp(int bar, float cutoffHz, float level) = 0;
    // Plays bars [fromBar, toBar) of a phrase, starting at song bar `atBar`, on the lead.
    // `octave` adds a quieter copy an octave up; `third` a harmony a third below.
    virtual void LeadPhrase(const std::vector<Note> &phrase, int atBar, int fromBar, int toBar,
                            float velocity, float brightness, bool octave = false,
                            bool third = false) = 0;
    virtual void BellPhrase(const std::vector<Note> &phrase, int atBar, int fromBar, int toBar,
                            float velocity) = 0;
};

// The whole song, one block per scene slot, played on `band`.
void Arrange(Band &band);

}  // namespace music
