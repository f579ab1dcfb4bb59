// Where the captured frames go: an H.264/AAC MP4 file or a directory of PNGs.
#ifndef CAPTURE_FRAMESINKS_H
#define CAPTURE_FRAMESINKS_H

#include <memory>
#include <string>

#include "mixermusic.h"

struct VideoSettings {
    int width = 0;
    int height = 0;
    int fps = 0;
    int crf = 0;
    std::string preset;  // x264's
};

// Takes the frames in order, one call each, then Finish once. A sink that
// failed or was never finished leaves its output incomplete: the caller
// removes it.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    // Takes the next frame: RGBA, bottom row first, width * height * 4 bytes.
    virtual bool Write(const unsigned char *rgba, std::string *error) = 0;
    // Completes the output after the last frame.
    virtual bool Finish(std::string *error) = 0;
};

// An MP4 at path (an existing file is replaced): H.264 video (yuv420p,
// BT.709, the index at the front for streaming) and, unless audio is empty,
// AAC stereo at audio.rate, sample i of audio at time i / audio.rate beside
// frame n at time n / fps. Answers null with the reason in *error.
std::unique_ptr<FrameSink> OpenMp4(const std::string &path, const VideoSettings &video,
                                   const MusicTrack &audio, std::string *error);
// Frame n as dir/NNNNNN.png (six digits or more), in an existing directory.
std::unique_ptr<FrameSink> OpenPngFrames(const std::string &dir, const VideoSettings &video);

#endif
