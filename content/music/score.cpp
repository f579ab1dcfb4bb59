#include "score.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace music {
namespace {

constexpr double kSwing = 0.017;  // off-beat sixteenths lag a little: the groove

enum ChordName { Am, F, C, G, Dm, E };

const Chord &ChordOf(ChordName name)
{
    static const Chord kChords[] = {
        {33, {57, 60, 64, 69}},  // Am
        {29, {57, 60, 65, 69}},  // F
        {36, {55, 60, 64, 67}},  // C
        {31, {55, 59, 62, 67}},  // G
        {38, {57, 62, 65, 69}},  // Dm
        {28, {56, 59, 64, 68}},  // E, the dominant that pulls into the drops
    };
    return kChords[name];
}

// One chord per bar: Am F C G through the song, a turn to the dominant before each drop,
// a darker progression in the breakdown.
ChordName HarmonyAt(int bar)
{
    static const ChordName kSong[] = {
        Am, F,  C, G,  Am, F,  C, G,  // intro
        Am, F,  G, E,                 // build
        Am, F,  C, G,  Am, F,  C, G,  // drop
        Am, F,  C, G,  Am, F,  C, G,  // groove
        Dm, Am, F, G,  Dm, Am, F, E,  // breakdown and build
        Am, F,  C, G,  Am, F,  C, G,  // second drop
        Am, Am, F, G,                 // electro break
        Am, F,  C, G,  Am, F,  C, G,  // climax
        Am, F,  G, Am,                // outro
    };
    static_assert(std::size(kSong) == kBars, "a chord for every bar of the show");
    return kSong[std::clamp(bar, 0, kBars - 1)];
}

// A cutoff that moves exponentially from `from` to `to` over bars [first, first + bars).
float Sweep(float from, float to, int bar, int first, int bars)
{
    return from * std::pow(to / from, static_cast<float>(bar - first) / bars);
}

// The pad through `bar`, its cutoff following Sweep(from, to, ..., first, bars) from the bar's
// start to its end.
void SweptPad(Band &band, int bar, float from, float to, int first, int bars, float level = 1.0f)
{
    band.Pad(bar, Sweep(from, to, bar, first, bars), Sweep(from, to, bar + 1, first, bars), level);
}

// The eight bars of a drop: the full beat, rolling bass and an open pad; the arp joins for
// the second half.
void Drop(Band &band, int firstBar, float padHz, float arpHz, float arpLevel)
{
    for (int bar = firstBar; bar < firstBar + 8; ++bar) {
        band.Drums(bar, Beat::Drive);
        band.Bass(bar, BassLine::Rolling);
        band.Pad(bar, padHz, padHz);
        if (bar >= firstBar + 4) band.Arp(bar, arpHz, arpLevel);
    }
}

}  // namespace

double At(int bar, double step)
{
    return bar * kBar + step * kStep;
}
double Swung(int bar, int step)
{
    return At(bar, step) + (step % 2 != 0 ? kSwing : 0.0);
}

const Chord &ChordAt(int bar)
{
    return ChordOf(HarmonyAt(bar));
}

namespace {

// The hook: a 3-3-4-2-2-2 rhythm sequenced down the main progression, answered in bars 7-8.
const std::vector<Note> &Hook()
{
    static const std::vector<Note> kHook = {
        {0, 0, 3, 76}, {0, 3, 3, 76}, {0, 6, 4, 81}, {0, 10, 2, 79}, {0, 12, 2, 76}, {0, 14, 2, 74},
        {1, 0, 3, 72}, {1, 3, 3, 72}, {1, 6, 4, 77}, {1, 10, 2, 76}, {1, 12, 2, 72}, {1, 14, 2, 69},
        {2, 0, 3, 76}, {2, 3, 3, 76}, {2, 6, 4, 79}, {2, 10, 2, 81}, {2, 12, 2, 79}, {2, 14, 2, 76},
        {3, 0, 3, 74}, {3, 3, 3, 74}, {3, 6, 4, 79}, {3, 10, 2, 77}, {3, 12, 2, 76}, {3, 14, 2, 74},
        {4, 0, 3, 76}, {4, 3, 3, 76}, {4, 6, 4, 81}, {4, 10, 2, 79}, {4, 12, 2, 76}, {4, 14, 2, 74},
        {5, 0, 3, 72}, {5, 3, 3, 72}, {5, 6, 4, 77}, {5, 10, 2, 76}, {5, 12, 2, 72}, {5, 14, 2, 69},
        {6, 0, 3, 79}, {6, 3, 3, 76}, {6, 6, 4, 72}, {6, 10, 2, 74}, {6, 12, 2, 76}, {6, 14, 2, 79},
        {7, 0, 3, 81}, {7, 3, 3, 79}, {7, 6, 6, 74}, {7, 12, 4, 71},
    };
    return kHook;
}

// The breakdown's slow theme over Dm Am F G Dm Am F E.
const std::vector<Note> &Theme()
{
    static const std::vector<Note> kTheme = {
        {0, 0, 4, 69}, {0, 4, 4, 74}, {0, 8, 8, 77},                   //
        {1, 0, 6, 76}, {1, 6, 2, 74}, {1, 8, 8, 72},                   //
        {2, 0, 4, 72}, {2, 4, 4, 77}, {2, 8, 8, 81},                   //
        {3, 0, 6, 79}, {3, 6, 2, 77}, {3, 8, 8, 74},                   //
        {4, 0, 4, 69}, {4, 4, 4, 74}, {4, 8, 8, 77},                   //
        {5, 0, 6, 76}, {5, 6, 2, 74}, {5, 8, 4, 72},  {5, 12, 4, 76},  //
        {6, 0, 8, 81}, {6, 8, 4, 79}, {6, 12, 4, 77},                  //
        {7, 0, 4, 68}, {7, 4, 4, 71}, {7, 8, 8, 76},                   //
    };
    return kTheme;
}

// A syncopated counter-melody for the bell over the main progression.
const std::vector<Note> &Counter()
{
    static const std::vector<Note> kCounter = {
        {0, 2, 2, 69}, {0, 4, 2, 72}, {0, 6, 4, 76}, {0, 12, 4, 74},                  //
        {1, 2, 2, 69}, {1, 4, 2, 72}, {1, 6, 4, 77}, {1, 12, 4, 76},                  //
        {2, 2, 2, 67}, {2, 4, 2, 72}, {2, 6, 4, 76}, {2, 12, 2, 79}, {2, 14, 2, 76},  //
        {3, 2, 2, 74}, {3, 4, 2, 71}, {3, 6, 6, 67}, {3, 12, 4, 74},                  //
    };
    return kCounter;
}

}  // namespace

int ScaleBelow(int pitch, int degrees)
{
    static const int kScale[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    for (int p = pitch - 1, found = 0; p > pitch - 13; --p) {
        if (std::find(std::begin(kScale), std::end(kScale), ((p % 12) + 12) % 12) !=
                std::end(kScale) &&
            ++found == degrees)
            return p;
    }
    return pitch - 4;
}

void Arrange(Band &band)
{
    // 0-8 s: the pad opens out of the dark over a held bass; a muted arp; the bell hints at
    // the end of the hook.
    for (int bar = 0; bar < 4; ++bar) {
        SweptPad(band, bar, 220, 1600, 0, 4, 1.3f);
        band.Arp(bar, Sweep(350, 900, bar, 0, 4), 0.8f);
        band.Bass(bar, BassLine::Held, 0.8f);
    }
    band.BellPhrase(Hook(), 2, 2, 4, 0.5f);

    // 8-16 s: a soft pulse of kick and hats under off-beat bass; the arp brightens and the
    // bell plays the hook's first half.
    band.Crash(4, 0.6f);
    for (int bar = 4; bar < 8; ++bar) {
        band.Drums(bar, Beat::Pulse);
        band.Bass(bar, BassLine::Offbeat, 0.8f);
        band.Pad(bar, 1600, 1900);
        band.Arp(bar, Sweep(900, 1800, bar, 4, 4), 0.7f);
    }
    band.BellPhrase(Hook(), 4, 0, 4, 0.55f);
    band.Riser(7, 8);

    // 16-20 s: the full beat and rolling bass arrive; a dark first glimpse of the hook.
    band.Crash(8);
    for (int bar = 8; bar < 10; ++bar) {
        band.Drums(bar, Beat::Drive);
        band.Bass(bar, BassLine::Rolling, 0.9f);
        band.Pad(bar, 900, 1100, 0.8f);
    }
    band.LeadPhrase(Hook(), 8, 0, 2, 0.75f, 0.1f);

    // 20-24 s: build. Snare roll, riser, opening filters; the kick stops two beats early.
    band.Crash(10, 0.5f);
    band.Drums(10, Beat::Drive);
    band.KicksOnly(11, 2, 1.0f, 0.9f);
    band.Roll(10, 2);
    band.Riser(10, 12);
    for (int bar = 10; bar < 12; ++bar) {
        band.Bass(bar, BassLine::Offbeat, 0.9f);
        SweptPad(band, bar, 1100, 5000, 10, 2);
        band.Arp(bar, Sweep(1200, 4000, bar, 10, 2), 0.8f);
    }

    // 24-40 s: the drop, with the hook over two scenes; the arp joins for its answer.
    band.Crash(12);
    band.Boom(12);
    Drop(band, 12, 2600, 1800, 0.55f);
    band.LeadPhrase(Hook(), 12, 0, 8, 1.0f, 0.7f);
    band.Crash(16, 0.7f);

    // 40-48 s: groove. The lead rests; shuffled hats, ghost snares, squelchy electro bass,
    // the arp up front.
    band.Crash(20, 0.7f);
    for (int bar = 20; bar < 24; ++bar) {
        band.Drums(bar, Beat::Groove);
        band.Bass(bar, BassLine::Electro);
        band.Pad(bar, 1300, 1300, 0.7f);
        band.Arp(bar, Sweep(1500, 3000, bar, 20, 4), 1.0f);
    }

    // 48-56 s: the groove goes on; the bell adds its counter-melody.
    band.Crash(24, 0.6f);
    for (int bar = 24; bar < 28; ++bar) {
        band.Drums(bar, Beat::Groove);
        band.Bass(bar, BassLine::Electro);
        band.Pad(bar, 1500, 1500, 0.7f);
        band.Arp(bar, 2200, 0.6f);
    }
    band.BellPhrase(Counter(), 24, 0, 4, 0.8f);

    // 56-64 s: breakdown. No drums; held bass, wide pads, the bell's slow theme in the reverb.
    band.Crash(28, 0.8f);
    for (int bar = 28; bar < 32; ++bar) {
        band.Bass(bar, BassLine::Held);
        SweptPad(band, bar, 900, 2000, 28, 4);
    }
    band.BellPhrase(Theme(), 28, 0, 4, 0.8f);

    // 64-72 s: build. The lead takes the theme, the pulse returns, then roll and riser to
    // the dominant.
    for (int bar = 32; bar < 36; ++bar) {
        SweptPad(band, bar, 1200, 6000, 32, 4, 1.1f);
        band.Arp(bar, Sweep(800, 3500, bar, 32, 4), 0.7f);
        band.Bass(bar, BassLine::Offbeat, 0.9f);
    }
    band.Drums(32, Beat::Pulse);
    band.Drums(33, Beat::Pulse);
    band.KicksOnly(34, 4, 0.9f, 0.6f);
    band.KicksOnly(35, 2, 1.0f, 0.6f);
    band.LeadPhrase(Theme(), 32, 4, 8, 0.8f, 0.45f);
    band.BellPhrase(Theme(), 32, 4, 8, 0.5f);
    band.Roll(34, 2);
    band.Riser(33, 36);

    // 72-88 s: second drop, the hook brighter and doubled an octave up; the arp joins in the
    // second half.
    band.Crash(36);
    band.Boom(36);
    Drop(band, 36, 3000, 2400, 0.6f);
    band.LeadPhrase(Hook(), 36, 0, 8, 1.0f, 0.85f, true);
    band.Crash(40, 0.8f);

    // 88-96 s: electro break. Broken beat and the squelch bass alone with a low pad; a short
    // riser into the climax.
    band.Crash(44, 0.6f);
    for (int bar = 44; bar < 48; ++bar) {
        band.Drums(bar, bar == 47 ? Beat::Pulse : Beat::Broken);
        band.Bass(bar, BassLine::Electro);
        band.Pad(bar, 700, 900, 0.8f);
    }
    band.BellPhrase(Hook(), 46, 1, 2, 0.6f);
    band.Roll(47, 1);
    band.Riser(46, 48);

    // 96-112 s: climax. Everything: the hook in octaves with a harmony a third below, arp,
    // bell counter-melody, snare on the backbeat.
    band.Crash(48);
    band.Boom(48);
    band.Crash(52, 0.9f);
    for (int bar = 48; bar < 56; ++bar) {
        band.Drums(bar, Beat::Climax);
        band.Bass(bar, BassLine::Rolling);
        band.Pad(bar, 3600, 3600);
        band.Arp(bar, 2600, 0.55f);
    }
    band.LeadPhrase(Hook(), 48, 0, 8, 1.0f, 1.0f, true, true);
    band.BellPhrase(Counter(), 52, 0, 4, 0.5f);

    // 112-120 s: outro under the fade. The beat thins out and the hook's opening echoes away.
    band.Crash(56, 0.8f);
    for (int bar = 56; bar < 60; ++bar) {
        if (bar < 58) band.Drums(bar, Beat::Pulse);
        band.Bass(bar, BassLine::Held, 0.8f);
        SweptPad(band, bar, 2600, 600, 56, 4);
    }
    band.LeadPhrase(Hook(), 56, 0, 2, 0.7f, 0.5f);
    band.BellPhrase(Hook(), 58, 0, 1, 0.5f);
}

}  // namespace music
