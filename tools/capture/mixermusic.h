// The show's music as its mixer plays it, decoded through FFmpeg into planar
// float stereo at the capture's sample rate.
#ifndef CAPTURE_MIXERMUSIC_H
#define CAPTURE_MIXERMUSIC_H

#include <string>
#include <vector>

struct MusicTrack {
    int rate = 0;
    std::vector<float> left, right;  // equal lengths; silence beyond them

    size_t size() const { return left.size(); }
};

// Decodes the music file, whatever its rate and channels, into *track at
// rate, placed on the show clock as the show's mixer plays it (see
// MixerLeadFrames); decoding stops once the track holds at least maxFrames.
// Answers false with FFmpeg's or the system's reason in *error when the file
// cannot be opened or holds no decodable audio.
bool DecodeMusic(const std::string &path, int rate, size_t maxFrames, MusicTrack *track,
                 std::string *error);

// Frames (at the file's own rate) of silence the mixer's MP3 decoder plays
// before the first sample FFmpeg gives when told not to trim: the LAME or
// Xing tag frame, which FFmpeg reads as a header and the mixer decodes as a
// silent frame. 0 for a file without such a tag or that is no MP3.
int MixerLeadFrames(const std::string &path);

// Fades the track in as Mix_FadeInMusic(music, 0, fadeMs) on the show's
// mixer does: the volume steps up once per mixer buffer, in fadeMs / (buffer
// length in whole ms) steps, from the first buffer's 1/steps of full.
void FadeIn(MusicTrack *track, int fadeMs);

// Cuts the track to frames, padding it with silence if it is shorter.
void Fit(MusicTrack *track, size_t frames);

#endif
