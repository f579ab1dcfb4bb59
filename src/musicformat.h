#ifndef SHOW_MUSICFORMAT_H
#define SHOW_MUSICFORMAT_H

// The format of an MPEG audio file (MP3) as its first frame gives it, read
// with libmpg123 without decoding the music.
struct MusicFormat {
    long rate;     // Hz
    int channels;  // 1 for mono, 2 for stereo, joint stereo and dual channel
};

// Answers 1 with the format of the first MPEG audio frame of the file at
// path, or 0 when the file cannot be opened or holds no MPEG audio frame.
int ReadMusicFormat(const char *path, MusicFormat *format);

// Seconds of audio in the MPEG audio file at path, the whole file scanned;
// -1 when libmpg123 cannot tell.
double MusicSeconds(const char *path);

// Writes "<rate> Hz mono" or "<rate> Hz stereo" into text (at most size
// bytes, terminated): the one way the show and its checker name a format.
void DescribeMusicFormat(const MusicFormat &format, char *text, unsigned size);

// Answers 1 when the SDL 1.2 the program runs on is sdl12-compat (SDL 1.2's
// interface on SDL 2, 1.2.50 or later), whose mixer cannot convert music to
// the device's format; writes the version, "1.2.68", into text either way.
int OnSdl12Compat(char *version, unsigned size);

#endif
