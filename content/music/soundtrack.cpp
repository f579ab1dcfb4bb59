#include "soundtrack.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

#include "instruments.h"
#include "mp3.h"
#include "synth.h"

namespace music {
namespace {

// 120 BPM in 4/4: a bar lasts 2 s, so every 8 s scene is 4 bars and every cut is a downbeat.
constexpr double kBar = 2.0;
constexpr double kStep = kBar / 16.0;  // one sixteenth
constexpr double kSwing = 0.017;       // off-beat sixteenths lag a little: the groove
constexpr int kBars = 60;
constexpr double kFadeStart = 112.0;
constexpr double kFadeEnd = 120.0;
constexpr uint32_t kSeed = 0x2A11E5u;

double At(int bar, double step) { return bar * kBar + step * kStep; }
double Swung(int bar, int step) { return At(bar, step) + (step % 2 != 0 ? kSwing : 0.0); }

// ---- Harmony ---------------------------------------------------------------------------

enum ChordName { Am, F, C, G, Dm, E };

struct Chord {
  int bass;              // root for the bass line (octave 1-2)
  std::vector<int> pad;  // voicing around A3-A4, moving as little as possible
};

const Chord& ChordOf(ChordName name) {
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
ChordName HarmonyAt(int bar) {
  static const ChordName kSong[kBars] = {
      Am, F,  C, G, Am, F,  C, G,  // intro
      Am, F,  G, E,                // build
      Am, F,  C, G, Am, F,  C, G,  // drop
      Am, F,  C, G, Am, F,  C, G,  // groove
      Dm, Am, F, G, Dm, Am, F, E,  // breakdown and build
      Am, F,  C, G, Am, F,  C, G,  // second drop
      Am, Am, F, G,                // electro break
      Am, F,  C, G, Am, F,  C, G,  // climax
      Am, F,  G, Am,               // outro
  };
  return kSong[std::clamp(bar, 0, kBars - 1)];
}

// A note of a phrase: bar offset within the phrase, start and length in sixteenths, pitch.
struct Note {
  int bar, step, steps, pitch;
};

// The hook: a 3-3-4-2-2-2 rhythm sequenced down the main progression, answered in bars 7-8.
const std::vector<Note>& Hook() {
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
const std::vector<Note>& Theme() {
  static const std::vector<Note> kTheme = {
      {0, 0, 4, 69}, {0, 4, 4, 74}, {0, 8, 8, 77},                  //
      {1, 0, 6, 76}, {1, 6, 2, 74}, {1, 8, 8, 72},                  //
      {2, 0, 4, 72}, {2, 4, 4, 77}, {2, 8, 8, 81},                  //
      {3, 0, 6, 79}, {3, 6, 2, 77}, {3, 8, 8, 74},                  //
      {4, 0, 4, 69}, {4, 4, 4, 74}, {4, 8, 8, 77},                  //
      {5, 0, 6, 76}, {5, 6, 2, 74}, {5, 8, 4, 72}, {5, 12, 4, 76},  //
      {6, 0, 8, 81}, {6, 8, 4, 79}, {6, 12, 4, 77},                 //
      {7, 0, 4, 68}, {7, 4, 4, 71}, {7, 8, 8, 76},                  //
  };
  return kTheme;
}

// A syncopated counter-melody for the bell over the main progression.
const std::vector<Note>& Counter() {
  static const std::vector<Note> kCounter = {
      {0, 2, 2, 69}, {0, 4, 2, 72}, {0, 6, 4, 76}, {0, 12, 4, 74},                 //
      {1, 2, 2, 69}, {1, 4, 2, 72}, {1, 6, 4, 77}, {1, 12, 4, 76},                 //
      {2, 2, 2, 67}, {2, 4, 2, 72}, {2, 6, 4, 76}, {2, 12, 2, 79}, {2, 14, 2, 76},  //
      {3, 2, 2, 74}, {3, 4, 2, 71}, {3, 6, 6, 67}, {3, 12, 4, 74},                 //
  };
  return kCounter;
}

// The pitch `degrees` steps of the A minor scale below `pitch` (for harmonies in thirds).
int ScaleBelow(int pitch, int degrees) {
  static const int kScale[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  for (int p = pitch - 1, found = 0; p > pitch - 13; --p) {
    if (std::find(std::begin(kScale), std::end(kScale), ((p % 12) + 12) % 12) != std::end(kScale) &&
        ++found == degrees)
      return p;
  }
  return pitch - 4;
}

// ---- Parts -----------------------------------------------------------------------------

enum class Beat { None, Pulse, Drive, Groove, Broken, Climax };
enum class BassLine { None, Held, Offbeat, Rolling, Electro };

// Where each part sits in the mix. Pads and bass pump hardest with the kick.
const Placement kKickPlace{0.62f, 0.0f, 0.0f, 0.02f, 0.0f};
const Placement kClapPlace{0.36f, 0.0f, 0.0f, 0.20f, 0.0f};
const Placement kSnarePlace{0.26f, 0.05f, 0.0f, 0.14f, 0.0f};
const Placement kHatPlace{0.20f, 0.28f, 0.0f, 0.03f, 0.0f};
const Placement kOpenHatPlace{0.15f, -0.22f, 0.0f, 0.06f, 0.0f};
const Placement kCrashPlace{0.14f, 0.0f, 0.0f, 0.25f, 0.0f};
const Placement kRiserPlace{0.09f, 0.0f, 0.12f, 0.35f, 0.0f};
const Placement kBoomPlace{0.26f, 0.0f, 0.0f, 0.10f, 0.0f};
const Placement kBassPlace{0.30f, 0.0f, 0.0f, 0.0f, 0.6f};
const Placement kPadPlace{0.26f, 0.0f, 0.0f, 0.30f, 0.65f};
const Placement kLeadPlace{0.42f, 0.0f, 0.30f, 0.22f, 0.25f};
const Placement kBellPlace{0.24f, 0.0f, 0.32f, 0.35f, 0.2f};

// The arrangement is played twice: percussion first, so that every kick has shaped the
// sidechain curve before the pads and bass that pump with it are rendered.
enum class Pass { Rhythm, Tonal };

class Song {
 public:
  explicit Song(Mix& mix) : mix_(mix) {}
  void SetPass(Pass pass) { pass_ = pass; }

  void Drums(int bar, Beat beat) {
    if (pass_ != Pass::Rhythm) return;
    if (beat == Beat::None) return;
    const bool fill = bar % 4 == 3 && (beat == Beat::Drive || beat == Beat::Climax || beat == Beat::Groove);
    for (int step = 0; step < 16; ++step) DrumStep(bar, step, beat, fill);
  }

  // Kick on every beat for `beats` beats of the bar, then silence until the drop.
  void KicksOnly(int bar, int beats, float velocity, float pump) {
    if (pass_ != Pass::Rhythm) return;
    for (int b = 0; b < beats; ++b) Kick(mix_, At(bar, 4 * b), velocity, pump, kKickPlace);
  }

  // Snare roll over `bars` bars: eighths, then sixteenths, then thirty-seconds, ever louder.
  void Roll(int firstBar, int bars) {
    if (pass_ != Pass::Rhythm) return;
    const int total = bars * 16;
    for (int step = 0; step < total; ++step) {
      const float progress = static_cast<float>(step) / total;
      const int every = progress < 0.5f ? 2 : 1;
      if (step % every != 0) continue;
      const float velocity = 0.25f + 0.75f * progress * progress;
      const int bar = firstBar + step / 16;
      Snare(mix_, At(bar, step % 16), velocity, kSnarePlace);
      if (progress >= 0.75f) Snare(mix_, At(bar, step % 16 + 0.5), velocity, kSnarePlace);
    }
  }

  void Bass(int bar, BassLine line, float velocity = 1.0f) {
    if (pass_ != Pass::Tonal) return;
    const int root = ChordOf(HarmonyAt(bar)).bass;
    switch (line) {
      case BassLine::None:
        break;
      case BassLine::Held:
        music::Bass(mix_, At(bar, 0), kBar - 0.05, root, 0.75f * velocity, {160.0f, 250.0f, 0.4f, 0.8f},
                    kBassPlace);
        break;
      case BassLine::Offbeat:
        for (int step = 2; step < 16; step += 4)
          music::Bass(mix_, Swung(bar, step), 0.11, root, velocity, {180.0f, 700.0f, 0.07f, 1.0f}, kBassPlace);
        break;
      case BassLine::Rolling:
        // Three sixteenths after each kick, the middle one an octave up.
        for (int step = 0; step < 16; ++step) {
          if (step % 4 == 0) continue;
          const int pitch = root + (step % 4 == 2 ? 12 : 0);
          music::Bass(mix_, Swung(bar, step), 0.1, pitch, velocity * (step % 4 == 2 ? 0.85f : 1.0f),
                      {240.0f, 1300.0f, 0.07f, 1.1f}, kBassPlace);
        }
        break;
      case BassLine::Electro: {
        static const int kSteps[] = {0, 3, 6, 8, 10, 11, 14};
        static const int kOffsets[] = {0, 0, 12, 0, 7, 12, 7};  // roots, octaves and fifths stay in key
        static const int kLengths[] = {2, 2, 2, 2, 1, 2, 2};
        for (int k = 0; k < 7; ++k)
          music::Bass(mix_, Swung(bar, kSteps[k]), kLengths[k] * kStep * 0.8, root + kOffsets[k], velocity,
                      {200.0f, 2400.0f, 0.13f, 3.2f}, kBassPlace);
        break;
      }
    }
  }

  void Pad(int bar, float cutoffFromHz, float cutoffToHz, float level = 1.0f) {
    if (pass_ != Pass::Tonal) return;
    Placement place = kPadPlace;
    place.gain *= level;
    music::Pad(mix_, At(bar, 0), kBar, ChordOf(HarmonyAt(bar)).pad, cutoffFromHz, cutoffToHz, place);
  }

  // Sixteenth-note arpeggio over the bar's chord, an octave above the pad, swinging left-right.
  void Arp(int bar, float cutoffHz, float level) {
    if (pass_ != Pass::Tonal) return;
    static const int kPattern[] = {0, 2, 1, 3, 2, 4, 3, 1, 0, 2, 1, 3, 2, 4, 3, 4};
    const std::vector<int>& pad = ChordOf(HarmonyAt(bar)).pad;
    const int tones[] = {pad[0] + 12, pad[1] + 12, pad[2] + 12, pad[3] + 12, pad[1] + 24};
    for (int step = 0; step < 16; ++step) {
      Placement place{0.15f * level, step % 2 ? 0.35f : -0.35f, 0.38f, 0.15f, 0.4f};
      const float accent = step % 4 == 0 ? 1.0f : (step % 2 ? 0.7f : 0.85f);
      Pluck(mix_, Swung(bar, step), 0.09, tones[kPattern[step]], accent, cutoffHz, place);
    }
  }

  // Plays bars [fromBar, toBar) of a phrase, starting at song bar `atBar`, on the lead.
  // `octave` adds a quieter copy an octave up; `third` a harmony a third below.
  void LeadPhrase(const std::vector<Note>& phrase, int atBar, int fromBar, int toBar, float velocity,
                  float brightness, bool octave = false, bool third = false) {
    if (pass_ != Pass::Tonal) return;
    for (const Note& n : phrase) {
      if (n.bar < fromBar || n.bar >= toBar) continue;
      const int bar = atBar + n.bar - fromBar;
      const double time = Swung(bar, n.step), seconds = n.steps * kStep * 0.92;
      Lead(mix_, time, seconds, n.pitch, velocity, brightness, kLeadPlace);
      if (octave) Lead(mix_, time, seconds, n.pitch + 12, velocity * 0.35f, brightness, kLeadPlace);
      if (third) Lead(mix_, time, seconds, ScaleBelow(n.pitch, 2), velocity * 0.5f, brightness, kLeadPlace);
    }
  }

  void BellPhrase(const std::vector<Note>& phrase, int atBar, int fromBar, int toBar, float velocity) {
    if (pass_ != Pass::Tonal) return;
    for (const Note& n : phrase) {
      if (n.bar < fromBar || n.bar >= toBar) continue;
      const int bar = atBar + n.bar - fromBar;
      Bell(mix_, Swung(bar, n.step), n.steps * kStep, n.pitch, velocity, kBellPlace);
    }
  }

  void Crash(int bar, float velocity = 1.0f) {
    if (pass_ != Pass::Rhythm) return;
    music::Crash(mix_, At(bar, 0), velocity, kCrashPlace);
  }
  void Boom(int bar) {
    if (pass_ != Pass::Rhythm) return;
    music::Boom(mix_, At(bar, 0), kBoomPlace);
  }
  // A riser that peaks exactly at the downbeat of `untilBar`.
  void Riser(int fromBar, int untilBar) {
    if (pass_ != Pass::Rhythm) return;
    music::Riser(mix_, At(fromBar, 0), (untilBar - fromBar) * kBar, kRiserPlace);
  }

 private:
  void DrumStep(int bar, int step, Beat beat, bool fill) {
    Rng& rng = mix_.rng;
    const bool onBeat = step % 4 == 0;
    const bool offBeat = step % 4 == 2;
    const float humanize = 0.85f + 0.15f * rng.Unit();
    const double time = Swung(bar, step);
    switch (beat) {
      case Beat::None:
        return;
      case Beat::Pulse:
        if (onBeat) Kick(mix_, time, 0.6f, 0.3f, kKickPlace);
        if (offBeat) HiHat(mix_, time, 0.6f * humanize, false, kHatPlace);
        return;
      case Beat::Broken:
        if (step == 0 || step == 6 || step == 10) Kick(mix_, time, 1.0f, 0.9f, kKickPlace);
        if (step == 4 || step == 12) Clap(mix_, time, 1.0f, kClapPlace);
        if (step == 15) Snare(mix_, time, 0.3f, kSnarePlace);
        HiHat(mix_, time, (offBeat ? 0.9f : 0.45f) * humanize, step == 14, step == 14 ? kOpenHatPlace : kHatPlace);
        return;
      case Beat::Drive:
      case Beat::Groove:
      case Beat::Climax:
        break;
    }
    if (onBeat) Kick(mix_, time, 1.0f, 0.9f, kKickPlace);
    if (step == 4 || step == 12) {
      Clap(mix_, time, 1.0f, kClapPlace);
      if (beat == Beat::Climax) Snare(mix_, time, 0.6f, kSnarePlace);
    }
    if (offBeat && (beat != Beat::Groove || step == 14)) HiHat(mix_, time, 0.9f * humanize, true, kOpenHatPlace);
    if (beat == Beat::Drive ? step % 2 == 1 : !onBeat)
      HiHat(mix_, time, (step % 2 ? 0.4f : 0.6f) * humanize, false, kHatPlace);
    if (beat == Beat::Groove && (step == 7 || step == 10 || step == 15))
      Snare(mix_, time, 0.22f * humanize, kSnarePlace);
    if (fill && step >= 13) Snare(mix_, time, 0.35f + 0.15f * (step - 13), kSnarePlace);
  }

  Mix& mix_;
  Pass pass_ = Pass::Rhythm;
};

// A cutoff that moves exponentially from `from` to `to` over bars [first, first + bars).
float Sweep(float from, float to, int bar, int first, int bars) {
  return from * std::pow(to / from, static_cast<float>(bar - first) / bars);
}

// ---- Arrangement: one block per scene slot ---------------------------------------------

void Arrange(Song& s) {
  // 0-8 s: the pad opens out of the dark over a held bass; a muted arp; the bell hints at
  // the end of the hook.
  for (int bar = 0; bar < 4; ++bar) {
    s.Pad(bar, Sweep(220, 1600, bar, 0, 4), Sweep(220, 1600, bar + 1, 0, 4), 1.3f);
    s.Arp(bar, Sweep(350, 900, bar, 0, 4), 0.8f);
    s.Bass(bar, BassLine::Held, 0.8f);
  }
  s.BellPhrase(Hook(), 2, 2, 4, 0.5f);

  // 8-16 s: a soft pulse of kick and hats under off-beat bass; the arp brightens and the
  // bell plays the hook's first half.
  s.Crash(4, 0.6f);
  for (int bar = 4; bar < 8; ++bar) {
    s.Drums(bar, Beat::Pulse);
    s.Bass(bar, BassLine::Offbeat, 0.8f);
    s.Pad(bar, 1600, 1900);
    s.Arp(bar, Sweep(900, 1800, bar, 4, 4), 0.7f);
  }
  s.BellPhrase(Hook(), 4, 0, 4, 0.55f);
  s.Riser(7, 8);

  // 16-20 s: the full beat and rolling bass arrive; a dark first glimpse of the hook.
  s.Crash(8);
  for (int bar = 8; bar < 10; ++bar) {
    s.Drums(bar, Beat::Drive);
    s.Bass(bar, BassLine::Rolling, 0.9f);
    s.Pad(bar, 900, 1100, 0.8f);
  }
  s.LeadPhrase(Hook(), 8, 0, 2, 0.75f, 0.1f);

  // 20-24 s: build. Snare roll, riser, opening filters; the kick stops two beats early.
  s.Crash(10, 0.5f);
  s.Drums(10, Beat::Drive);
  s.KicksOnly(11, 2, 1.0f, 0.9f);
  s.Roll(10, 2);
  s.Riser(10, 12);
  for (int bar = 10; bar < 12; ++bar) {
    s.Bass(bar, BassLine::Offbeat, 0.9f);
    s.Pad(bar, Sweep(1100, 5000, bar, 10, 2), Sweep(1100, 5000, bar + 1, 10, 2));
    s.Arp(bar, Sweep(1200, 4000, bar, 10, 2), 0.8f);
  }

  // 24-40 s: the drop, with the hook over two scenes; the arp joins for its answer.
  s.Crash(12);
  s.Boom(12);
  for (int bar = 12; bar < 20; ++bar) {
    s.Drums(bar, Beat::Drive);
    s.Bass(bar, BassLine::Rolling);
    s.Pad(bar, 2600, 2600);
    if (bar >= 16) s.Arp(bar, 1800, 0.55f);
  }
  s.LeadPhrase(Hook(), 12, 0, 8, 1.0f, 0.7f);
  s.Crash(16, 0.7f);

  // 40-48 s: groove. The lead rests; shuffled hats, ghost snares, squelchy electro bass,
  // the arp up front.
  s.Crash(20, 0.7f);
  for (int bar = 20; bar < 24; ++bar) {
    s.Drums(bar, Beat::Groove);
    s.Bass(bar, BassLine::Electro);
    s.Pad(bar, 1300, 1300, 0.7f);
    s.Arp(bar, Sweep(1500, 3000, bar, 20, 4), 1.0f);
  }

  // 48-56 s: the groove goes on; the bell adds its counter-melody.
  s.Crash(24, 0.6f);
  for (int bar = 24; bar < 28; ++bar) {
    s.Drums(bar, Beat::Groove);
    s.Bass(bar, BassLine::Electro);
    s.Pad(bar, 1500, 1500, 0.7f);
    s.Arp(bar, 2200, 0.6f);
  }
  s.BellPhrase(Counter(), 24, 0, 4, 0.8f);

  // 56-64 s: breakdown. No drums; held bass, wide pads, the bell's slow theme in the reverb.
  s.Crash(28, 0.8f);
  for (int bar = 28; bar < 32; ++bar) {
    s.Bass(bar, BassLine::Held);
    s.Pad(bar, Sweep(900, 2000, bar, 28, 4), Sweep(900, 2000, bar + 1, 28, 4));
  }
  s.BellPhrase(Theme(), 28, 0, 4, 0.8f);

  // 64-72 s: build. The lead takes the theme, the pulse returns, then roll and riser to
  // the dominant.
  for (int bar = 32; bar < 36; ++bar) {
    s.Pad(bar, Sweep(1200, 6000, bar, 32, 4), Sweep(1200, 6000, bar + 1, 32, 4), 1.1f);
    s.Arp(bar, Sweep(800, 3500, bar, 32, 4), 0.7f);
    s.Bass(bar, BassLine::Offbeat, 0.9f);
  }
  s.Drums(32, Beat::Pulse);
  s.Drums(33, Beat::Pulse);
  s.KicksOnly(34, 4, 0.9f, 0.6f);
  s.KicksOnly(35, 2, 1.0f, 0.6f);
  s.LeadPhrase(Theme(), 32, 4, 8, 0.8f, 0.45f);
  s.BellPhrase(Theme(), 32, 4, 8, 0.5f);
  s.Roll(34, 2);
  s.Riser(33, 36);

  // 72-88 s: second drop, the hook brighter and doubled an octave up; the arp joins in the
  // second half.
  s.Crash(36);
  s.Boom(36);
  for (int bar = 36; bar < 44; ++bar) {
    s.Drums(bar, Beat::Drive);
    s.Bass(bar, BassLine::Rolling);
    s.Pad(bar, 3000, 3000);
    if (bar >= 40) s.Arp(bar, 2400, 0.6f);
  }
  s.LeadPhrase(Hook(), 36, 0, 8, 1.0f, 0.85f, true);
  s.Crash(40, 0.8f);

  // 88-96 s: electro break. Broken beat and the squelch bass alone with a low pad; a short
  // riser into the climax.
  s.Crash(44, 0.6f);
  for (int bar = 44; bar < 48; ++bar) {
    s.Drums(bar, bar == 47 ? Beat::Pulse : Beat::Broken);
    s.Bass(bar, BassLine::Electro);
    s.Pad(bar, 700, 900, 0.8f);
  }
  s.BellPhrase(Hook(), 46, 1, 2, 0.6f);
  s.Roll(47, 1);
  s.Riser(46, 48);

  // 96-112 s: climax. Everything: the hook in octaves with a harmony a third below, arp,
  // bell counter-melody, snare on the backbeat.
  s.Crash(48);
  s.Boom(48);
  s.Crash(52, 0.9f);
  for (int bar = 48; bar < 56; ++bar) {
    s.Drums(bar, Beat::Climax);
    s.Bass(bar, BassLine::Rolling);
    s.Pad(bar, 3600, 3600);
    s.Arp(bar, 2600, 0.55f);
  }
  s.LeadPhrase(Hook(), 48, 0, 8, 1.0f, 1.0f, true, true);
  s.BellPhrase(Counter(), 52, 0, 4, 0.5f);

  // 112-120 s: outro under the fade. The beat thins out and the hook's opening echoes away.
  s.Crash(56, 0.8f);
  for (int bar = 56; bar < 60; ++bar) {
    if (bar < 58) s.Drums(bar, Beat::Pulse);
    s.Bass(bar, BassLine::Held, 0.8f);
    s.Pad(bar, Sweep(2600, 600, bar, 56, 4), Sweep(2600, 600, bar + 1, 56, 4));
  }
  s.LeadPhrase(Hook(), 56, 0, 2, 0.7f, 0.5f);
  s.BellPhrase(Hook(), 58, 0, 1, 0.5f);
}

// ---- Master ----------------------------------------------------------------------------

// Flush-to-zero for the decaying feedback loops, whose denormals would cost more than the
// rest of the render; restored on the way out.
class DenormalGuard {
 public:
#if defined(__SSE__)
  DenormalGuard() : saved_(_mm_getcsr()) { _mm_setcsr(saved_ | 0x8040); }
  ~DenormalGuard() { _mm_setcsr(saved_); }

 private:
  unsigned int saved_;
#endif
};

float FadeGain(double seconds) {
  if (seconds <= kFadeStart) return 1.0f;
  if (seconds >= kFadeEnd) return 0.0f;
  const double x = (seconds - kFadeStart) / (kFadeEnd - kFadeStart);
  return static_cast<float>(0.5 * (1.0 + std::cos(3.14159265358979323846 * x)));
}

std::vector<short> Master(Mix& mix) {
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
    room.Process(roomHighPassL.High(mix.roomL[i] + 0.25f * echoL), roomHighPassR.High(mix.roomR[i] + 0.25f * echoR),
                 roomL, roomR);
    const float gain = masterGain * FadeGain(i / rate);
    const float l = SoftLimit(dcL.Process(mix.dryL[i] + echoL + roomL) * gain, 0.6f, 0.9f);
    const float r = SoftLimit(dcR.Process(mix.dryR[i] + echoR + roomR) * gain, 0.6f, 0.9f);
    out[2 * i] = static_cast<short>(std::lround(l * 32767.0f));
    out[2 * i + 1] = static_cast<short>(std::lround(r * 32767.0f));
  }
  return out;
}

}  // namespace
}  // namespace music

std::vector<short> RenderSoundtrack(int sampleRate) {
  if (sampleRate < 8000 || sampleRate > 192000) return {};
  music::DenormalGuard guard;
  music::Mix mix(sampleRate, kSoundtrackSeconds, music::kSeed);
  music::Song song(mix);
  for (music::Pass pass : {music::Pass::Rhythm, music::Pass::Tonal}) {
    song.SetPass(pass);
    music::Arrange(song);
  }
  return music::Master(mix);
}

bool WriteSoundtrack(const std::string& path, std::string* error) {
  // Find out that the file cannot be made before spending seconds on the render.
  FILE* probe = path.empty() ? nullptr : std::fopen(path.c_str(), "ab");
  if (!probe) {
    if (error) *error = "cannot create " + path + ": " + std::strerror(path.empty() ? ENOENT : errno);
    return false;
  }
  std::fclose(probe);
  return EncodeMp3(path, RenderSoundtrack(44100), 44100, 192, error);
}
