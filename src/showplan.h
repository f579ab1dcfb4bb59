#ifndef SHOW_SHOWPLAN_H
#define SHOW_SHOWPLAN_H

// The show's plan, compiled into the show: its length, the span of its one
// effect and the scenes in show order with their slot lengths. Everything that
// needs the plan (the generator, the tools, the tests, the benchmark through
// `showplan`) reads it from here.

namespace showplan {

constexpr int ShowLengthMs = 120000;
// Outlasts the show: the one effect runs throughout.
constexpr int EffectEndMs = 500000;
// Mix_FadeInMusic's fade at the start of the show.
constexpr int MusicFadeInMs = 2000;
constexpr char MusicFile[] = "2minute.mp3";
// The sound device's format; SDL_mixer converts music in any other.
constexpr int MusicRateHz = 22050;
constexpr int MusicChannels = 2;
// Frames the mixer mixes at a time: the music's volume changes only between
// them.
constexpr int MusicBufferFrames = 4096;

struct SceneSlot {
    const char *file;  // in data/
    int durationMs;    // length of its slot on the show clock
};

// The last slot plays on from the end of the others until the show ends, so
// the player never reads its duration; it is the length the show gives it.
constexpr SceneSlot Scenes[] = {
    {"_i2.3ds", 8000},    {"c.3ds", 8000},    {"gl.3ds", 4000},  {"tor.3ds", 4000},
    {"bloc.3ds", 8000},   {"puz.3ds", 8000},  {"tri.3ds", 8000}, {"c2.3ds", 8000},
    {"capsul.3ds", 8000}, {"tub2.3ds", 8000}, {"tub.3ds", 8000}, {"_i.3ds", 8000},
    {"cyl.3ds", 8000},    {"t.3ds", 16000},   {"end.3ds", 8000},
};
constexpr int SceneCount = sizeof Scenes / sizeof Scenes[0];

// Show-clock start of slot i (0 <= i <= SceneCount; SceneCount gives the sum).
constexpr int SlotStartMs(int i)
{
    int start = 0;
    for (int j = 0; j < i; j++) start += Scenes[j].durationMs;
    return start;
}

static_assert(SlotStartMs(SceneCount) == ShowLengthMs, "the slots fill the show");

}  // namespace showplan

#endif
