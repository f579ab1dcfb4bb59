#include "performer.h"

namespace music {
namespace {

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

// Calls play(note, bar) for each note of `phrase` in its bars [fromBar, toBar), in the
// phrase's order, with the window moved to start at song bar `atBar`.
template <typename Play>
void PlayWindow(const std::vector<Note> &phrase, int atBar, int fromBar, int toBar, Play play)
{
    for (const Note &n : phrase)
        if (n.bar >= fromBar && n.bar < toBar) play(n, atBar + n.bar - fromBar);
}

}  // namespace

void Performer::Perform()
{
    for (const Cue &cue : rhythm_) cue();
    for (const Cue &cue : tonal_) cue();
}

void Performer::Drums(int bar, Beat beat)
{
    rhythm_.push_back([=] {
        const bool fill =
            bar % 4 == 3 && (beat == Beat::Drive || beat == Beat::Climax || beat == Beat::Groove);
        for (int step = 0; step < 16; ++step) DrumStep(bar, step, beat, fill);
    });
}

void Performer::KicksOnly(int bar, int beats, float velocity, float pump)
{
    rhythm_.push_back([=] {
        for (int b = 0; b < beats; ++b) Kick(mix_, At(bar, 4 * b), velocity, pump, kKickPlace);
    });
}

void Performer::Roll(int firstBar, int bars)
{
    // Eighths, then sixteenths, then thirty-seconds.
    rhythm_.push_back([=] {
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
    });
}

void Performer::Bass(int bar, BassLine line, float velocity)
{
    tonal_.push_back([=] {
        const int root = ChordAt(bar).bass;
        switch (line) {
        case BassLine::Held:
            music::Bass(mix_, At(bar, 0), kBar - 0.05, root, 0.75f * velocity,
                        {160.0f, 250.0f, 0.4f, 0.8f}, kBassPlace);
            break;
        case BassLine::Offbeat:
            for (int step = 2; step < 16; step += 4)
                music::Bass(mix_, Swung(bar, step), 0.11, root, velocity,
                            {180.0f, 700.0f, 0.07f, 1.0f}, kBassPlace);
            break;
        case BassLine::Rolling:
            // Three sixteenths after each kick, the middle one an octave up.
            for (int step = 0; step < 16; ++step) {
                if (step % 4 == 0) continue;
                const int pitch = root + (step % 4 == 2 ? 12 : 0);
                music::Bass(mix_, Swung(bar, step), 0.1, pitch,
                            velocity * (step % 4 == 2 ? 0.85f : 1.0f),
                            {240.0f, 1300.0f, 0.07f, 1.1f}, kBassPlace);
            }
            break;
        case BassLine::Electro: {
            static const int kSteps[] = {0, 3, 6, 8, 10, 11, 14};
            static const int kOffsets[] = {0, 0,  12, 0,
                                           7, 12, 7};  // roots, octaves and fifths stay in key
            static const int kLengths[] = {2, 2, 2, 2, 1, 2, 2};
            for (int k = 0; k < 7; ++k)
                music::Bass(mix_, Swung(bar, kSteps[k]), kLengths[k] * kStep * 0.8,
                            root + kOffsets[k], velocity, {200.0f, 2400.0f, 0.13f, 3.2f},
                            kBassPlace);
            break;
        }
        }
    });
}

void Performer::Pad(int bar, float cutoffFromHz, float cutoffToHz, float level)
{
    tonal_.push_back([=] {
        Placement place = kPadPlace;
        place.gain *= level;
        music::Pad(mix_, At(bar, 0), kBar, ChordAt(bar).pad, cutoffFromHz, cutoffToHz, place);
    });
}

void Performer::Arp(int bar, float cutoffHz, float level)
{
    // An octave above the pad, swinging left-right.
    tonal_.push_back([=] {
        static const int kPattern[] = {0, 2, 1, 3, 2, 4, 3, 1, 0, 2, 1, 3, 2, 4, 3, 4};
        const std::vector<int> &pad = ChordAt(bar).pad;
        const int tones[] = {pad[0] + 12, pad[1] + 12, pad[2] + 12, pad[3] + 12, pad[1] + 24};
        for (int step = 0; step < 16; ++step) {
            Placement place{0.15f * level, step % 2 ? 0.35f : -0.35f, 0.38f, 0.15f, 0.4f};
            const float accent = step % 4 == 0 ? 1.0f : (step % 2 ? 0.7f : 0.85f);
            Pluck(mix_, Swung(bar, step), 0.09, tones[kPattern[step]], accent, cutoffHz, place);
        }
    });
}

void Performer::LeadPhrase(const std::vector<Note> &phrase, int atBar, int fromBar, int toBar,
                           float velocity, float brightness, bool octave, bool third)
{
    tonal_.push_back([=] {
        PlayWindow(phrase, atBar, fromBar, toBar, [&](const Note &n, int bar) {
            const double time = Swung(bar, n.step), seconds = n.steps * kStep * 0.92;
            Lead(mix_, time, seconds, n.pitch, velocity, brightness, kLeadPlace);
            if (octave)
                Lead(mix_, time, seconds, n.pitch + 12, velocity * 0.35f, brightness, kLeadPlace);
            if (third)
                Lead(mix_, time, seconds, ScaleBelow(n.pitch, 2), velocity * 0.5f, brightness,
                     kLeadPlace);
        });
    });
}

void Performer::BellPhrase(const std::vector<Note> &phrase, int atBar, int fromBar, int toBar,
                           float velocity)
{
    tonal_.push_back([=] {
        PlayWindow(phrase, atBar, fromBar, toBar, [&](const Note &n, int bar) {
            Bell(mix_, Swung(bar, n.step), n.steps * kStep, n.pitch, velocity, kBellPlace);
        });
    });
}

void Performer::Crash(int bar, float velocity)
{
    rhythm_.push_back([=] { music::Crash(mix_, At(bar, 0), velocity, kCrashPlace); });
}

void Performer::Boom(int bar)
{
    rhythm_.push_back([=] { music::Boom(mix_, At(bar, 0), kBoomPlace); });
}

void Performer::Riser(int fromBar, int untilBar)
{
    rhythm_.push_back(
        [=] { music::Riser(mix_, At(fromBar, 0), (untilBar - fromBar) * kBar, kRiserPlace); });
}

void Performer::DrumStep(int bar, int step, Beat beat, bool fill)
{
    Rng &rng = mix_.rng;
    const bool onBeat = step % 4 == 0;
    const bool offBeat = step % 4 == 2;
    const float humanize = 0.85f + 0.15f * rng.Unit();
    const double time = Swung(bar, step);
    switch (beat) {
    case Beat::Pulse:
        if (onBeat) Kick(mix_, time, 0.6f, 0.3f, kKickPlace);
        if (offBeat) HiHat(mix_, time, 0.6f * humanize, false, kHatPlace);
        return;
    case Beat::Broken:
        if (step == 0 || step == 6 || step == 10) Kick(mix_, time, 1.0f, 0.9f, kKickPlace);
        if (step == 4 || step == 12) Clap(mix_, time, 1.0f, kClapPlace);
        if (step == 15) Snare(mix_, time, 0.3f, kSnarePlace);
        HiHat(mix_, time, (offBeat ? 0.9f : 0.45f) * humanize, step == 14,
              step == 14 ? kOpenHatPlace : kHatPlace);
        return;
    case Beat::Drive:
    case Beat::Groove:
    case Beat::Climax: break;
    }
    if (onBeat) Kick(mix_, time, 1.0f, 0.9f, kKickPlace);
    if (step == 4 || step == 12) {
        Clap(mix_, time, 1.0f, kClapPlace);
        if (beat == Beat::Climax) Snare(mix_, time, 0.6f, kSnarePlace);
    }
    if (offBeat && (beat != Beat::Groove || step == 14))
        HiHat(mix_, time, 0.9f * humanize, true, kOpenHatPlace);
    if (beat == Beat::Drive ? step % 2 == 1 : !onBeat)
        HiHat(mix_, time, (step % 2 ? 0.4f : 0.6f) * humanize, false, kHatPlace);
    if (beat == Beat::Groove && (step == 7 || step == 10 || step == 15))
        Snare(mix_, time, 0.22f * humanize, kSnarePlace);
    if (fill && step >= 13) Snare(mix_, time, 0.35f + 0.15f * (step - 13), kSnarePlace);
}

}  // namespace music
