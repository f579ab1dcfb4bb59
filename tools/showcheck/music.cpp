// The music as the show's start-up loads it and the sound device plays it.
#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <stdio.h>
#include <sys/stat.h>

#include <string>

#include "checks.h"
#include "musicformat.h"
#include "showplan.h"

namespace showcheck {
namespace {

std::string Describe(const MusicFormat &format)
{
    char text[48];
    DescribeMusicFormat(format, text, sizeof text);
    return text;
}

// Music the mixer converts to the sound device's format while it plays.
void CheckFormat(Report *report, const char *name, const MusicFormat &format)
{
    const MusicFormat device = {showplan::MusicRateHz, showplan::MusicChannels};
    if (format.rate == device.rate && format.channels == device.channels) return;
    const std::string found = Describe(format);
    const std::string wanted = Describe(device);
    char version[32];
    if (OnSdl12Compat(version, sizeof version)) {
        report->Error(name, found + ": the show on sdl12-compat " + version +
                                " refuses music the mixer would convert, anything but " + wanted +
                                " (it stops at start-up: Couldn't load music)");
    } else if (format.rate != device.rate) {
        report->Warning(name, found + ": classic SDL 1.2 resamples it to " + wanted +
                                  " as it plays, dropping or repeating samples, which aliases "
                                  "(sdl12-compat refuses it)");
    } else {
        report->Warning(name, found + ": classic SDL 1.2 converts it to " + wanted +
                                  " as it plays (sdl12-compat refuses it)");
    }
}

}  // namespace

void CheckMusic(Report *report)
{
    const char *name = showplan::MusicFile;
    const std::string path = report->Path(name);
    const std::string stops =
        std::string(" (the show stops at start-up: Couldn't load music : data/") + name + ")";
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        report->Error(name, "missing" + stops);
        return;
    }
    Mix_Music *music = Mix_LoadMUS(path.c_str());
    if (!music) {
        report->Error(name, std::string("SDL_mixer cannot load it: ") + Mix_GetError() + stops);
        return;
    }
    Mix_FreeMusic(music);
    // The mixer takes a file named .mp3 for MP3 whatever it holds.
    MusicFormat format;
    if (!ReadMusicFormat(path.c_str(), &format)) {
        report->Error(name,
                      "it holds no MPEG audio: the show plays no music (on sdl12-compat it stops "
                      "at start-up: Couldn't load music)");
        return;
    }
    CheckFormat(report, name, format);

    const double seconds = MusicSeconds(path.c_str());
    const double showSeconds = showplan::ShowLengthMs / 1000.0;
    if (seconds >= 0 && seconds < showSeconds) {
        char text[160];
        snprintf(text, sizeof text, "it lasts %.1f s, the show %.0f s: the last %.1f s are silent",
                 seconds, showSeconds, showSeconds - seconds);
        report->Warning(name, text);
    }
}

}  // namespace showcheck
