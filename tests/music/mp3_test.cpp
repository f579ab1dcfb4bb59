// MP3 encoding checked by decoding the files with libmpg123.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "audiocheck.h"
#include "mp3.h"

TEST(EncodeMp3, ToneComesBackWithItsLengthChannelsPitchAndLevel)
{
    ScratchDir dir;
    const std::string path = dir.File("tone.mp3");
    const std::vector<short> pcm = Tones(44100, 3.0, 440.0, 660.0);
    std::string error;
    ASSERT_TRUE(EncodeMp3(path, pcm, 44100, 160, &error)) << error;

    DecodedAudio audio;
    ASSERT_TRUE(DecodeMp3File(path, &audio, &error)) << error;
    EXPECT_EQ(audio.sampleRate, 44100);
    EXPECT_EQ(audio.channels, 2);
    EXPECT_EQ(audio.Frames(), pcm.size() / 2)
        << "the info frame should let the decoder trim delay and padding";
    EXPECT_NEAR(ToneHz(audio.samples, 0, 44100), 440.0, 1.0);
    EXPECT_NEAR(ToneHz(audio.samples, 1, 44100), 660.0, 1.0);
    const size_t frames = audio.Frames();
    for (int channel = 0; channel < 2; ++channel)
        EXPECT_NEAR(RmsDb(audio.samples, frames / 10, frames * 9 / 10, channel),
                    RmsDb(pcm, frames / 10, frames * 9 / 10, channel), 0.5)
            << "channel " << channel;
    // 160 kbit/s CBR for 3 s, plus the info frame.
    const size_t bytes = ReadBytes(path).size();
    EXPECT_NEAR(static_cast<double>(bytes), 160000.0 / 8 * 3, 3000.0);
}

TEST(EncodeMp3, HalfRateFileAsTheTestDataUses)
{
    ScratchDir dir;
    const std::string path = dir.File("half.mp3");
    const std::vector<short> pcm = Tones(22050, 3.0, 440.0, 440.0);
    std::string error;
    ASSERT_TRUE(EncodeMp3(path, pcm, 22050, 128, &error)) << error;
    DecodedAudio audio;
    ASSERT_TRUE(DecodeMp3File(path, &audio, &error)) << error;
    EXPECT_EQ(audio.sampleRate, 22050);
    EXPECT_EQ(audio.channels, 2);
    EXPECT_NEAR(audio.Seconds(), 3.0, 0.001);
    EXPECT_NEAR(ToneHz(audio.samples, 0, 22050), 440.0, 1.0);
}

TEST(EncodeMp3, MonoFileHasOneChannel)
{
    ScratchDir dir;
    const std::string path = dir.File("mono.mp3");
    const std::vector<short> pcm = Tones(44100, 2.0, 440.0, 440.0, 1);
    std::string error;
    ASSERT_TRUE(EncodeMp3(path, pcm, 44100, 64, &error, 1)) << error;
    DecodedAudio audio;
    ASSERT_TRUE(DecodeMp3File(path, &audio, &error)) << error;
    EXPECT_EQ(audio.sampleRate, 44100);
    EXPECT_EQ(audio.channels, 1);
    EXPECT_NEAR(audio.Seconds(), 2.0, 0.001);
}

TEST(EncodeMp3, SameInputGivesTheSameBytes)
{
    ScratchDir dir;
    const std::vector<short> pcm = Tones(44100, 1.0, 300.0, 500.0);
    std::string error;
    ASSERT_TRUE(EncodeMp3(dir.File("a.mp3"), pcm, 44100, 192, &error)) << error;
    ASSERT_TRUE(EncodeMp3(dir.File("b.mp3"), pcm, 44100, 192, &error)) << error;
    const std::vector<unsigned char> a = ReadBytes(dir.File("a.mp3"));
    EXPECT_FALSE(a.empty());
    EXPECT_TRUE(a == ReadBytes(dir.File("b.mp3")));
    EXPECT_NE(a[0], 'I') << "no ID3 tag (it would carry nothing but vary with tools)";
}

TEST(EncodeMp3, ReplacesAnExistingLongerFile)
{
    ScratchDir dir;
    const std::string path = dir.File("x.mp3");
    std::string error;
    ASSERT_TRUE(EncodeMp3(path, Tones(44100, 3.0, 440.0, 440.0), 44100, 128, &error)) << error;
    ASSERT_TRUE(EncodeMp3(path, Tones(44100, 0.5, 440.0, 440.0), 44100, 128, &error)) << error;
    DecodedAudio audio;
    ASSERT_TRUE(DecodeMp3File(path, &audio, &error)) << error;
    EXPECT_NEAR(audio.Seconds(), 0.5, 0.001);
}

TEST(EncodeMp3, RejectsWhatItCannotEncodeWithAReasonAndNoFile)
{
    ScratchDir dir;
    const std::string path = dir.File("bad.mp3");
    const std::vector<short> pcm = Tones(44100, 0.2, 440.0, 440.0);
    std::vector<short> odd = pcm;
    odd.pop_back();
    struct Case {
        const char *what;
        std::string path;
        const std::vector<short> *samples;
        int rate, kbps;
    };
    const std::vector<short> none;
    const Case cases[] = {
        {"empty path", "", &pcm, 44100, 128},
        {"no samples", path, &none, 44100, 128},
        {"odd sample count", path, &odd, 44100, 128},
        {"sample rate MP3 lacks", path, &pcm, 44000, 128},
        {"negative sample rate", path, &pcm, -44100, 128},
        {"zero bitrate", path, &pcm, 44100, 0},
        {"bitrate too high", path, &pcm, 44100, 1000},
        {"directory that does not exist", dir.File("missing/dir/x.mp3"), &pcm, 44100, 128},
        {"path that is a directory", dir.File(""), &pcm, 44100, 128},
    };
    for (const Case &c : cases) {
        std::string error;
        EXPECT_FALSE(EncodeMp3(c.path, *c.samples, c.rate, c.kbps, &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
        EXPECT_FALSE(FileExists(path)) << c.what;
    }
    std::string error;
    EXPECT_FALSE(EncodeMp3(path, pcm, 44100, 128, &error, 3)) << "three channels";
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(EncodeMp3("", pcm, 44100, 128, nullptr)) << "no error string wanted";
}
