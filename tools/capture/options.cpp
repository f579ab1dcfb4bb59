#include "options.h"

#include <errno.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const int MaxSide = 4096;  // the offscreen context's limit
const int MaxFps = 240;
const int MaxCrf = 51;
const double MaxSeconds = 3600;
const char *const Presets[] = {"ultrafast", "superfast", "veryfast", "faster",  "fast",
                               "medium",    "slow",      "slower",   "veryslow"};

bool ParseInt(const char *text, int low, int high, int *value)
{
    errno = 0;
    char *end = nullptr;
    const long parsed = strtol(text, &end, 10);
    if (errno || end == text || *end || parsed < low || parsed > high) return false;
    *value = int(parsed);
    return true;
}

bool ParseSize(const std::string &text, int *width, int *height)
{
    const size_t x = text.find('x');
    if (x == std::string::npos) return false;
    return ParseInt(text.substr(0, x).c_str(), 1, MaxSide, width) &&
           ParseInt(text.substr(x + 1).c_str(), 1, MaxSide, height);
}

bool ParseSeconds(const char *text, int *ms)
{
    errno = 0;
    char *end = nullptr;
    const double seconds = strtod(text, &end);
    if (errno || end == text || *end || !(seconds > 0) || seconds > MaxSeconds) return false;
    *ms = int(std::ceil(seconds * 1000));
    return true;
}

}  // namespace

const char *UsageText()
{
    return "usage: capture [OPTIONS] OUT.mp4\n"
           "       capture [OPTIONS] --frames DIR\n"
           "Plays the show offscreen on an exact clock, run where data/ is, and writes every\n"
           "frame: frame n shows show time n*1000/fps ms, from 0 to the show's last frame,\n"
           "with the music faded in as the show does (H.264 and AAC in MP4).\n"
           "\n"
           "  --size WxH      picture size, default 1024x768 (even sides for video). The\n"
           "                  show's projection is always 4:3: another aspect stretches\n"
           "                  the picture to fill the frame, as a resized window does.\n"
           "  --fps N         frames per second, 1-240, default 60\n"
           "  --crf N         video quality, 0 (lossless) to 51 (worst), default 18\n"
           "  --preset NAME   x264's speed: ultrafast (default: the fastest, the largest\n"
           "                  file), superfast, veryfast, faster, fast, medium, slow,\n"
           "                  slower, veryslow (slowest, smallest)\n"
           "  --seconds S     only the first S seconds of the show\n"
           "  --frames DIR    PNG frames 000000.png, 000001.png, ... into DIR (new or\n"
           "                  empty) instead of a video; no sound\n"
           "  --help          this text\n";
}

ParseOutcome ParseOptions(int argc, char **argv, CaptureOptions *options, std::string *message)
{
    std::string output;
    for (int i = 1; i < argc; i++) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") return ParseOutcome::Help;
        const bool takesValue = arg == "--size" || arg == "--fps" || arg == "--crf" ||
                                arg == "--preset" || arg == "--seconds" || arg == "--frames";
        if (takesValue && i + 1 >= argc) {
            *message = arg + " needs a value";
            return ParseOutcome::Bad;
        }
        if (arg == "--size") {
            if (!ParseSize(argv[++i], &options->width, &options->height)) {
                *message =
                    "bad --size '" + std::string(argv[i]) + "': expected WxH, each side 1-4096";
                return ParseOutcome::Bad;
            }
        } else if (arg == "--fps") {
            if (!ParseInt(argv[++i], 1, MaxFps, &options->fps)) {
                *message =
                    "bad --fps '" + std::string(argv[i]) + "': expected a whole number 1-240";
                return ParseOutcome::Bad;
            }
        } else if (arg == "--crf") {
            if (!ParseInt(argv[++i], 0, MaxCrf, &options->crf)) {
                *message = "bad --crf '" + std::string(argv[i]) + "': expected a whole number 0-51";
                return ParseOutcome::Bad;
            }
        } else if (arg == "--preset") {
            options->preset = argv[++i];
            if (std::find(std::begin(Presets), std::end(Presets), options->preset) ==
                std::end(Presets)) {
                *message = "bad --preset '" + options->preset +
                           "': expected ultrafast, superfast, veryfast, "
                           "faster, fast, medium, slow, slower or veryslow";
                return ParseOutcome::Bad;
            }
        } else if (arg == "--seconds") {
            if (!ParseSeconds(argv[++i], &options->limitMs)) {
                *message =
                    "bad --seconds '" + std::string(argv[i]) + "': expected a number above 0";
                return ParseOutcome::Bad;
            }
        } else if (arg == "--frames") {
            options->framesDir = argv[++i];
            if (options->framesDir.empty()) {
                *message = "--frames needs a directory";
                return ParseOutcome::Bad;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            *message = "unknown option '" + arg + "' (--help lists them)";
            return ParseOutcome::Bad;
        } else if (output.empty()) {
            output = arg;
        } else {
            *message = "more than one output: '" + output + "' and '" + arg + "'";
            return ParseOutcome::Bad;
        }
    }
    if (options->framesDir.empty() == output.empty()) {
        *message = output.empty() ? "no output: give OUT.mp4 or --frames DIR"
                                  : "give either OUT.mp4 or --frames DIR, not both";
        return ParseOutcome::Bad;
    }
    if (!output.empty() && (options->width % 2 || options->height % 2)) {
        *message = "bad --size " + std::to_string(options->width) + "x" +
                   std::to_string(options->height) + ": H.264 video needs even sides";
        return ParseOutcome::Bad;
    }
    options->output = output;
    return ParseOutcome::Run;
}
