// build/capture: plays the show offscreen on an exact clock and writes every
// frame, with the music, to an MP4 (or PNG frames). Run where data/ is.
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>

extern "C" {
#include <libavutil/log.h>
}

#include "framepipeline.h"
#include "framesinks.h"
#include "main.h"
#include "mixermusic.h"
#include "options.h"
#include "outputfile.h"
#include "progress.h"
#include "showplan.h"
#include "showplayer.h"

namespace {

const int AudioRate = 44100;
const int FrameBuffers = 4;

volatile sig_atomic_t interruption = 0;
volatile sig_atomic_t capturing = 0;
FramePipeline *activePipeline = nullptr;

// Until the capture starts its output is empty: it goes at once, and so does
// the process. During the capture the loop stops at the next frame.
void OnSignal(int signal)
{
    if (capturing) {
        interruption = signal;
        return;
    }
    outputfile::DiscardFromSignal();
    static const char message[] = "capture: interrupted\n";
    const ssize_t ignored = write(STDERR_FILENO, message, sizeof message - 1);
    (void)ignored;
    _exit(128 + signal);
}

// Runs before the output is removed at exit: the writer must not be left
// writing into it when the core ends the process mid-capture.
void StopWriter()
{
    if (activePipeline) activePipeline->Abort();
}

// Show time of frame n, as the show's tick count would read it.
int FrameShowMs(int frame, int fps)
{
    return int((long long)frame * 1000 / fps);
}

// Frames from show time 0 through lastMs, and below limitMs when it is set.
int FrameCount(int fps, int lastMs, int limitMs)
{
    const long long last = limitMs > 0 ? std::min(lastMs, limitMs - 1) : lastMs;
    return int(((last + 1) * fps - 1) / 1000 + 1);
}

// The music as the show's mixer plays it, or the show's own message and exit.
void LoadMusic(MusicTrack *music)
{
    const std::string path = std::string("data/") + showplan::MusicFile;
    std::string reason;
    // Never more than the show's length and a second.
    const size_t longest = size_t(showplan::ShowLengthMs / 1000 + 1) * AudioRate;
    if (!DecodeMusic(path, AudioRate, longest, music, &reason)) {
        char message[512];
        snprintf(message, sizeof message, "Couldn't load music : %s %s\n", path.c_str(),
                 reason.c_str());
        Quit(1, message);
    }
    FadeIn(music, showplan::MusicFadeInMs);
}

int Fail(const std::string &message)
{
    fprintf(stderr, "capture: %s\n", message.c_str());
    return 1;
}

// Bytes of the file, or of the files in the directory.
long long OutputBytes(const std::string &path)
{
    std::error_code error;
    if (!std::filesystem::is_directory(path, error))
        return (long long)std::filesystem::file_size(path, error);
    long long bytes = 0;
    for (const auto &entry : std::filesystem::directory_iterator(path, error))
        bytes += (long long)entry.file_size(error);
    return bytes;
}

// Names the pipeline for StopWriter while it exists.
struct ActivePipeline {
    explicit ActivePipeline(FramePipeline *pipeline) { activePipeline = pipeline; }
    ~ActivePipeline() { activePipeline = nullptr; }
};

void CatchSignals()
{
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

// Draws frames 0 to frames - 1 into sink, the writer encoding one frame while
// the next is drawn. Answers 0, or the exit status after a failure or signal.
int CaptureFrames(int frames, const CaptureOptions &options, FrameSink *sink)
{
    FramePipeline pipeline(sink, size_t(options.width) * options.height * 4, FrameBuffers);
    const ActivePipeline active(&pipeline);
    atexit(StopWriter);
    capturing = 1;
    Progress progress(frames, stderr, isatty(STDERR_FILENO));
    for (int n = 0; n < frames && !interruption; n++) {
        unsigned char *buffer = pipeline.Acquire();
        if (!buffer) break;
        if (!showplayer::Draw(FrameShowMs(n, options.fps)))
            return Fail("the show ended before frame " + std::to_string(n));
        showplayer::Read(buffer);
        pipeline.Submit(buffer);
        progress.Update(pipeline.Written());
    }
    std::string error;
    const bool written = !interruption && pipeline.Close(&error) && sink->Finish(&error);
    progress.End(pipeline.Written());
    if (interruption) {
        fprintf(stderr, "%scapture: interrupted\n", isatty(STDERR_FILENO) ? "\n" : "");
        return 128 + interruption;
    }
    if (!written) return Fail("writing: " + error);
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    CaptureOptions options;
    std::string message;
    switch (ParseOptions(argc, argv, &options, &message)) {
    case ParseOutcome::Help: fputs(UsageText(), stdout); return 0;
    case ParseOutcome::Bad: fprintf(stderr, "capture: %s\n", message.c_str()); return 2;
    case ParseOutcome::Run: break;
    }
    // The encoders' statistics would bury the progress report.
    av_log_set_level(AV_LOG_ERROR);
    const bool video = options.framesDir.empty();
    const std::string target = video ? options.output : options.framesDir;
    CatchSignals();
    if (!outputfile::Begin(target, !video, &message)) return Fail(message);

    // In the show's order: the music, then the picture and its scenes.
    MusicTrack music;
    if (video) LoadMusic(&music);
    if (!showplayer::Open(options.width, options.height))
        return Fail("no offscreen GL context of " + std::to_string(options.width) + "x" +
                    std::to_string(options.height));
    const int frames = FrameCount(options.fps, showplayer::LastShowMs(), options.limitMs);
    if (video) Fit(&music, size_t((long long)frames * AudioRate / options.fps));

    const VideoSettings settings{options.width, options.height, options.fps, options.crf,
                                 options.preset};
    std::unique_ptr<FrameSink> sink =
        video ? OpenMp4(outputfile::TemporaryPath(), settings, music, &message)
              : OpenPngFrames(outputfile::TemporaryPath(), settings);
    if (!sink) return Fail("writing " + target + ": " + message);
    const auto start = std::chrono::steady_clock::now();
    const int status = CaptureFrames(frames, options, sink.get());
    showplayer::Close();
    if (status != 0) return status;  // the output goes at exit
    if (!outputfile::Commit(&message)) return Fail(message);
    Progress::Summary(
        stderr, target, frames, double(frames) / options.fps, OutputBytes(target),
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return 0;
}
