#include "musicformat.h"

#include <mpg123.h>
#include <stdio.h>

int ReadMusicFormat(const char *path, MusicFormat *format)
{
    int error = MPG123_OK;
    mpg123_handle *handle = mpg123_new(NULL, &error);
    if (!handle) return 0;
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    long rate = 0;
    int channels = 0, encoding = 0;
    // The output format is only known once the first frame has been read;
    // with every output format allowed it is that frame's own rate and
    // channels (two for stereo, joint stereo and dual channel alike).
    const int found = mpg123_open(handle, path) == MPG123_OK &&
                      mpg123_getformat(handle, &rate, &channels, &encoding) == MPG123_OK;
    if (found) {
        format->rate = rate;
        format->channels = channels;
    }
    mpg123_close(handle);
    mpg123_delete(handle);
    return found;
}

void DescribeMusicFormat(const MusicFormat &format, char *text, unsigned size)
{
    snprintf(text, size, "%ld Hz %s", format.rate, format.channels == 1 ? "mono" : "stereo");
}
