// The capture program run on the small test data: what it writes, read back
// through FFmpeg, and how it fails.
#include <gtest/gtest.h>
#include <GL/gl.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "effect_3dsplay.h"
#include "load3ds.h"
#include "main.h"
#include "mediafile.h"
#include "offscreengl.h"
#include "scenekit/primitives.h"
#include "scenekit/scenekit.h"
#include "texturemanager.h"
#include "workdir.h"

extern char **environ;

namespace {

using capturetest::MediaFile;
using showtest::Image;
namespace fs = std::filesystem;

struct Outcome {
    int status = -1;  // exit status, or 128 + signal
    std::string out, err;
};

std::string ReadText(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Starts program in dir with its standard output and error in files there.
pid_t Start(const std::string &dir, const std::string &program,
            const std::vector<std::string> &args)
{
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (std::string &arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, ".stdout", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, ".stderr", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

Outcome Wait(const std::string &dir, pid_t pid)
{
    Outcome outcome;
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid)
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    outcome.out = ReadText(dir + "/.stdout");
    outcome.err = ReadText(dir + "/.stderr");
    fs::remove(dir + "/.stdout");
    fs::remove(dir + "/.stderr");
    return outcome;
}

Outcome RunProgram(const std::string &dir, const std::string &program,
                   const std::vector<std::string> &args)
{
    return Wait(dir, Start(dir, program, args));
}

// Everything in dir but data/.
std::vector<std::string> Written(const std::string &dir)
{
    std::vector<std::string> names;
    for (const fs::directory_entry &entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename();
        if (name != "data" && name != ".stdout" && name != ".stderr") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Mean over the picture of the largest channel difference.
double MeanDifference(const Image &a, const Image &b)
{
    double sum = 0;
    for (int y = 0; y < a.height; y++)
        for (int x = 0; x < a.width; x++) sum += showtest::ColourDistance(a.At(x, y), b.At(x, y));
    return sum / (double(a.width) * a.height);
}

// First column from the left that is lit in the middle row.
int LeftEdge(const Image &image)
{
    int x = 0;
    while (x < image.width && image.At(x, image.height / 2).r < 100) x++;
    return x;
}

double Rms(const std::vector<float> &samples, size_t begin, size_t end)
{
    double sum = 0;
    for (size_t i = begin; i < end; i++) sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / double(end - begin));
}

class CaptureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(0, RunProgram(dir(), MAKETESTDATA_PROGRAM, {"data"}).status)
            << "maketestdata failed";
    }

    const std::string &dir() const { return workDir_.path(); }
    Outcome Capture(const std::vector<std::string> &args)
    {
        return RunProgram(dir(), CAPTURE_PROGRAM, args);
    }

    // Captures with args into name and reads it back.
    MediaFile CaptureAndRead(const std::vector<std::string> &args, const std::string &name)
    {
        std::vector<std::string> all = args;
        all.push_back(name);
        const Outcome outcome = Capture(all);
        EXPECT_EQ(0, outcome.status) << outcome.out << outcome.err;
        MediaFile media;
        std::string error;
        EXPECT_TRUE(capturetest::ReadMediaFile(dir() + "/" + name, &media, &error)) << error;
        return media;
    }

    showtest::ScopedWorkDir workDir_;
};

TEST_F(CaptureTest, ShortCaptureHoldsH264AndAacOfItsLengthWithTheIndexFirst)
{
    const MediaFile media =
        CaptureAndRead({"--size", "160x120", "--fps", "10", "--seconds", "3"}, "out.mp4");
    ASSERT_TRUE(media.hasVideo && media.hasAudio);
    EXPECT_EQ("h264", media.video.codec);
    EXPECT_EQ("yuv420p", media.video.pixelFormat);
    EXPECT_EQ(160, media.video.width);
    EXPECT_EQ(120, media.video.height);
    EXPECT_EQ(30u, media.video.frames.size());
    EXPECT_DOUBLE_EQ(0, media.video.startSeconds);
    EXPECT_NEAR(3.0, media.video.durationSeconds, 1e-6);
    EXPECT_EQ("aac", media.audio.codec);
    EXPECT_EQ(44100, media.audio.rate);
    EXPECT_EQ(2, media.audio.channels);
    EXPECT_DOUBLE_EQ(0, media.audio.startSeconds);
    EXPECT_NEAR(3.0, media.audio.durationSeconds, 0.001);
    EXPECT_NEAR(3.0 * 44100, double(media.audio.left.size()), 1024);

    // Players can start before the whole file is read.
    const std::string bytes = ReadText(dir() + "/out.mp4");
    EXPECT_LT(bytes.find("moov"), bytes.find("mdat"));
    EXPECT_EQ(std::vector<std::string>{"out.mp4"}, Written(dir()));
}

// The test data shows one flat colour per scene; the first scene is
// replaced by a quad that crosses the picture in two seconds.
TEST_F(CaptureTest, EachFrameIsTheLiveShowsPictureAtItsShowTime)
{
    using namespace scenekit;
    Scene moving;
    moving.AddMaterial(Material::Textured("Flat", "i2.png"));
    Mesh quad = Grid("Quad", {0, 0, 0}, 60, 40, 1, 1, 1, "Flat");
    quad.Transform(Rotation({1, 0, 0}, 90));
    moving.AddObject(quad, Motion::Path({{0, {-50, 0, 0}}, {20, {50, 0, 0}}}));
    moving.AddAnimatedCamera("Camera01", {{0, {0, -100, 0}}}, {{0, {0, 0, 0}}}, 45);
    moving.SetFrames(100);
    std::string error;
    ASSERT_TRUE(moving.Save(workDir_.DataPath("_i2.3ds"), &error)) << error;

    const int fps = 5;
    const MediaFile media =
        CaptureAndRead({"--size", "160x120", "--fps", "5", "--seconds", "8.4"}, "out.mp4");
    ASSERT_EQ(size_t(8.4 * fps), media.video.frames.size());

    // The live show draws a frame with the animation the frame before it
    // evaluated: frame 5 (1000 ms) shows the quad where it was at 800 ms.
    showtest::OffscreenGl gl(160, 120);
    ASSERT_TRUE(gl.ok());
    SetShowGlState();
    textureManager = new TextureManager;
    Load3ds scene;
    scene.Open("_i2.3ds");
    auto render = [&](int evaluatedMs, int drawnMs) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        scene.Play(evaluatedMs);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        scene.Play(drawnMs);
        return gl.Read();
    };
    const Image live = render(800, 1000), ahead = render(1000, 1000);
    const Image &frame = media.video.frames[5];
    // Edges on odd rows share their colour with the row beside them in 4:2:0.
    EXPECT_LT(MeanDifference(frame, live), 5.0);
    EXPECT_NEAR(LeftEdge(live), LeftEdge(frame), 1);
    EXPECT_GT(std::abs(LeftEdge(ahead) - LeftEdge(live)), 10) << "the test cannot tell the lag";
    delete textureManager;
    textureManager = nullptr;

    // The second scene starts at 8000 ms: frame 39 (7800 ms) still shows the
    // first, frame 40 the second, flat green.
    const showtest::Rgb green{0, 214, 0};
    EXPECT_GT(showtest::ColourDistance(media.video.frames[39].Mean(70, 50, 20, 20), green), 100);
    EXPECT_LE(showtest::ColourDistance(media.video.frames[40].Mean(70, 50, 20, 20), green), 4);
}

TEST_F(CaptureTest, MusicStartsWithTheShowAndFadesInLikeTheMixer)
{
    const MediaFile media =
        CaptureAndRead({"--size", "32x24", "--fps", "10", "--seconds", "3"}, "out.mp4");
    const std::vector<float> &left = media.audio.left;
    ASSERT_GE(left.size(), size_t(3 * 44100) - 1024);

    // The mixer's MP3 decoder plays a silent tag frame and the encoder's
    // delay first: 576 + 1105 frames at 22050 Hz, 76 ms.
    size_t onset = 0;
    while (onset < left.size() && std::fabs(left[onset]) < 0.01f) onset++;
    EXPECT_NEAR(76.0, onset * 1000.0 / 44100, 5.0);

    // Full volume from the tenth mixer buffer of 4096 frames at 22050 Hz on;
    // before it the volume is 12/128, 25/128 ... 115/128 of it, a buffer each.
    const size_t buffer = 8192;
    const double full = Rms(left, 10 * buffer, 16 * buffer);
    EXPECT_NEAR(12000.0 / 32768 / std::sqrt(2.0), full, 0.02);
    for (int k = 1; k < 10; k++) {
        const double expected = double(128 * (k + 1) / 10) / 128;
        const double seen =
            Rms(left, k * buffer + buffer / 8, (k + 1) * buffer - buffer / 8) / full;
        EXPECT_NEAR(expected, seen, 0.02) << "mixer buffer " << k;
    }
}

TEST_F(CaptureTest, TheSameDataAndOptionsDecodeToTheSameFramesAndSound)
{
    const std::vector<std::string> options{"--size", "96x72", "--fps", "12", "--seconds", "9"};
    const MediaFile first = CaptureAndRead(options, "first.mp4");
    const MediaFile second = CaptureAndRead(options, "second.mp4");
    ASSERT_EQ(first.video.frames.size(), second.video.frames.size());
    for (size_t i = 0; i < first.video.frames.size(); i++)
        ASSERT_TRUE(first.video.frames[i].rgb == second.video.frames[i].rgb) << "frame " << i;
    EXPECT_TRUE(first.audio.left == second.audio.left && first.audio.right == second.audio.right);
}

// 1000 / 7 ms is no whole number: frame 840 is at 120000 ms, the show's
// last drawn moment, frame 841 would be past it.
TEST_F(CaptureTest, WholeShowEndsWithTheShowsLastFrame)
{
    const MediaFile media = CaptureAndRead({"--size", "32x24", "--fps", "7"}, "show.mp4");
    ASSERT_EQ(841u, media.video.frames.size());
    EXPECT_NEAR(841.0 / 7, media.video.durationSeconds, 1e-6);
    EXPECT_NEAR(841.0 / 7, media.audio.durationSeconds, 0.001);
    const showtest::Rgb endColour{214, 108, 108};
    EXPECT_LE(showtest::ColourDistance(media.video.frames.back().Mean(12, 9, 8, 6), endColour), 6);
}

TEST_F(CaptureTest, FramesOptionWritesNumberedPngsInstead)
{
    const Outcome outcome =
        Capture({"--size", "40x30", "--fps", "4", "--seconds", "9", "--frames", "shots"});
    ASSERT_EQ(0, outcome.status) << outcome.err;
    std::vector<std::string> names;
    for (const fs::directory_entry &entry : fs::directory_iterator(dir() + "/shots"))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    ASSERT_EQ(36u, names.size());
    EXPECT_EQ("000000.png", names.front());
    EXPECT_EQ("000035.png", names.back());
    EXPECT_EQ(std::vector<std::string>{"shots"}, Written(dir()));
}

// Each failure leaves nothing behind in the working directory.
TEST_F(CaptureTest, BrokenDataFailsWithTheShowsMessages)
{
    struct Case {
        const char *file;
        const char *bytes;  // null: the file is removed
        int status;
        const char *stdoutText;  // all of it; for a broken file how it begins
    } cases[] = {
        {"tor.3ds", nullptr, 1, "Load3ds error : Can't load 3ds file data/tor.3ds\n"},
        {"end.png", nullptr, 2, "Error : Can't load texture data/end.png\n\n"},
        {"2minute.mp3", nullptr, 1,
         "Couldn't load music : data/2minute.mp3 Couldn't open 'data/2minute.mp3'\n\n"},
        {"2minute.mp3", "not music at all", 1, "Couldn't load music : data/2minute.mp3 "},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.file) + (c.bytes ? " broken" : " missing"));
        const std::string saved = ReadText(workDir_.DataPath(c.file));
        ASSERT_TRUE(c.bytes ? workDir_.WriteDataFile(c.file, c.bytes)
                            : workDir_.RemoveDataFile(c.file));
        const Outcome outcome = Capture({"--size", "32x24", "out.mp4"});
        EXPECT_EQ(c.status, outcome.status);
        EXPECT_EQ(c.stdoutText,
                  c.bytes ? outcome.out.substr(0, strlen(c.stdoutText)) : outcome.out);
        EXPECT_EQ(std::vector<std::string>{}, Written(dir()));
        ASSERT_TRUE(workDir_.WriteDataFile(c.file, saved));
    }

    ASSERT_EQ(0, RunProgram(dir(), MAKETESTDATA_PROGRAM, {"data", "--no-camera", "c.3ds"}).status);
    const Outcome outcome = Capture({"--size", "32x24", "out.mp4"});
    EXPECT_EQ(1, outcome.status);
    EXPECT_EQ("Load3ds error : no camera\n", outcome.out);
    EXPECT_EQ(std::vector<std::string>{}, Written(dir()));
}

TEST_F(CaptureTest, BadOptionsAndUnwritableOutputsAreRefusedInOneLine)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--size", "0x10", "out.mp4"},
        {"--size", "1024", "out.mp4"},
        {"--size", "161x120", "out.mp4"},
        {"--size", "5000x10", "out.mp4"},
        {"--fps", "0", "out.mp4"},
        {"--fps", "ten", "out.mp4"},
        {"--crf", "52", "out.mp4"},
        {"--seconds", "-1", "out.mp4"},
        {"--frames"},
        {"--preset", "fastest", "out.mp4"},
        {"--bogus", "out.mp4"},
        {},
        {"a.mp4", "b.mp4"},
        {"--frames", "d", "out.mp4"},
    };
    for (const std::vector<std::string> &args : bad) {
        const Outcome outcome = Capture(args);
        std::string joined;
        for (const std::string &arg : args) joined += arg + " ";
        EXPECT_EQ(2, outcome.status) << joined;
        EXPECT_EQ(0u, outcome.err.rfind("capture: ", 0)) << joined << ": " << outcome.err;
        EXPECT_EQ(1, std::count(outcome.err.begin(), outcome.err.end(), '\n'))
            << joined << ": " << outcome.err;
    }

    fs::create_directory(dir() + "/taken");
    fs::create_directory(dir() + "/full");
    std::ofstream(dir() + "/full/frame") << "x";
    const std::vector<std::pair<std::vector<std::string>, std::string>> unwritable = {
        {{"missing/out.mp4"}, "capture: cannot write missing/out.mp4: No such file or directory\n"},
        {{"taken"}, "capture: cannot write taken: it is a directory\n"},
        {{"--frames", "full"}, "capture: full exists and is not an empty directory\n"},
    };
    for (const auto &[args, message] : unwritable) {
        const Outcome outcome = Capture(args);
        EXPECT_EQ(1, outcome.status) << message;
        EXPECT_EQ(message, outcome.err);
    }
    EXPECT_EQ((std::vector<std::string>{"full", "taken"}), Written(dir()));
}

TEST_F(CaptureTest, InterruptStopsAndRemovesThePartialVideo)
{
    const pid_t pid = Start(dir(), CAPTURE_PROGRAM, {"--size", "320x240", "out.mp4"});
    ASSERT_GT(pid, 0);
    // Interrupted once frames reach the temporary file: it stays empty
    // until the first block of them is written.
    bool writing = false;
    for (int i = 0; i < 3000 && !writing; i++) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        for (const std::string &name : Written(dir()))
            writing = writing || fs::file_size(dir() + "/" + name) > 0;
    }
    kill(pid, SIGINT);
    const Outcome outcome = Wait(dir(), pid);
    ASSERT_TRUE(writing) << "no growing output seen";
    EXPECT_EQ(128 + SIGINT, outcome.status);
    EXPECT_NE(std::string::npos, outcome.err.find("capture: interrupted")) << outcome.err;
    EXPECT_EQ(std::vector<std::string>{}, Written(dir()));
}

}  // namespace
