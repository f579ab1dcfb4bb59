// The capture's command line.
#ifndef CAPTURE_OPTIONS_H
#define CAPTURE_OPTIONS_H

#include <string>

struct CaptureOptions {
    int width = 1024;
    int height = 768;
    int fps = 60;
    int crf = 18;                      // x264's constant rate factor: lower is better and larger
    std::string preset = "ultrafast";  // x264's speed preset
    int limitMs = 0;                   // > 0: only frames whose show time lies below it
    std::string output;                // the MP4, when framesDir is empty
    std::string framesDir;             // --frames: PNG frames instead of a video
};

enum class ParseOutcome { Run, Help, Bad };

// Reads argv into *options. Bad: *message holds one line saying what is wrong
// (the caller exits with status 2). Help: the caller prints UsageText().
ParseOutcome ParseOptions(int argc, char **argv, CaptureOptions *options, std::string *message);
const char *UsageText();

#endif
