#include "musicformat.h"

#include <SDL/SDL.h>
#include <mpg123.h>
#include <stdio.h>

namespace {

// A quiet decoder on the file at path; null when libmpg123 cannot open it.
mpg123_handle *OpenMusic(const char *path)
{
    int error = MPG123_OK;
    mpg123_handle *handle = mpg123_new(NULL, &error);
    if (!handle) return NULL;
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    if (mpg123_open(handle, path) == MPG123_OK) return handle;
    mpg123_delete(handle);
    return NULL;
}

void CloseMusic(mpg123_handle *handle)
{
    mpg123_close(handle);
    mpg123_delete(handle);
}

}  // namespace

int ReadMusicFormat(const char *path, MusicFormat *format)
{
    mpg123_handle *handle = OpenMusic(path);
    if (!handle) return 0;
    long rate = 0;
    int channels = 0, encoding = 0;
    // The output format is only known once the first frame has been read;
    // with every output format allowed it is that frame's own rate and
    // channels (two for stereo, joint stereo and dual channel alike).
    const int found = mpg123_getformat(handle, &rate, &channels, &encoding) == MPG123_OK;
    if (found) {
        format->rate = rate;
        format->channels = channels;
    }
    CloseMusic(handle);
    return found;
}

double MusicSeconds(const char *path)
{
    mpg123_handle *handle = OpenMusic(path);
    if (!handle) return -1;
    double seconds = -1;
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_scan(handle) == MPG123_OK &&
        mpg123_getformat(handle, &rate, &channels, &encoding) == MPG123_OK && rate > 0) {
        const off_t samples = mpg123_length(handle);
        if (samples >= 0) seconds = double(samples) / rate;
    }
    CloseMusic(handle);
    return seconds;
}

void DescribeMusicFormat(const MusicFormat &format, char *text, unsigned size)
{
    snprintf(text, size, "%ld Hz %s", format.rate, format.channels == 1 ? "mono" : "stereo");
}

int OnSdl12Compat(char *version, unsigned size)
{
    const SDL_version *sdl = SDL_Linked_Version();
    snprintf(version, size, "%d.%d.%d", sdl->major, sdl->minor, sdl->patch);
    return SDL_VERSIONNUM(sdl->major, sdl->minor, sdl->patch) >= SDL_VERSIONNUM(1, 2, 50);
}
