// Reads a captured MP4 back through FFmpeg: its streams, every decoded video
// frame as RGB and the decoded sound.
#ifndef CAPTURETEST_MEDIAFILE_H
#define CAPTURETEST_MEDIAFILE_H

#include <string>
#include <vector>

#include "offscreengl.h"

namespace capturetest {

struct VideoStream {
    std::string codec;        // FFmpeg's name, e.g. "h264"
    std::string pixelFormat;  // e.g. "yuv420p"
    int width = 0, height = 0;
    double startSeconds = 0, durationSeconds = 0;
    std::vector<showtest::Image> frames;  // in display order, BT.709 to RGB
};

struct AudioStream {
    std::string codec;  // e.g. "aac"
    int rate = 0, channels = 0;
    double startSeconds = 0, durationSeconds = 0;
    std::vector<float> left, right;
};

struct MediaFile {
    bool hasVideo = false, hasAudio = false;
    VideoStream video;
    AudioStream audio;
};

// Decodes path whole. Answers false with the reason in *error.
bool ReadMediaFile(const std::string &path, MediaFile *media, std::string *error);

}  // namespace capturetest

#endif
