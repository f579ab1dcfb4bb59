// The music file's format as the start-up reads it: MP3s of every rate and channel count
// the refusal on sdl12-compat must tell apart, and files that hold no MPEG audio.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "audiocheck.h"
#include "mp3.h"
#include "musicformat.h"

namespace {

class MusicFormatTest : public ::testing::Test {
protected:
    // Half a second of a tone, written as MP3.
    std::string Mp3(const std::string &name, int rate, int channels)
    {
        std::string error;
        const std::string path = dir_.File(name);
        EXPECT_TRUE(
            EncodeMp3(path, Tones(rate, 0.5, 440.0, 440.0, channels), rate, 64, &error, channels))
            << error;
        return path;
    }
    std::string Bytes(const std::string &name, const std::string &bytes)
    {
        const std::string path = dir_.File(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    ScratchDir dir_;
};

}  // namespace

TEST_F(MusicFormatTest, ReadsTheRateAndChannelsOfEveryKindOfMpegAudio)
{
    const struct {
        int rate, channels;
    } kinds[] = {{22050, 2}, {44100, 2}, {22050, 1}, {44100, 1}, {48000, 2}, {8000, 2}};
    for (const auto &kind : kinds) {
        const std::string path =
            Mp3(std::to_string(kind.rate) + "-" + std::to_string(kind.channels) + ".mp3", kind.rate,
                kind.channels);
        MusicFormat format{0, 0};
        ASSERT_TRUE(ReadMusicFormat(path.c_str(), &format)) << path;
        EXPECT_EQ(format.rate, kind.rate) << path;
        EXPECT_EQ(format.channels, kind.channels) << path;
    }
}

TEST_F(MusicFormatTest, LooksPastAnId3TagToTheFirstFrame)
{
    std::ifstream in(Mp3("plain.mp3", 44100, 1), std::ios::binary);
    const std::string frames((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    // An ID3v2.3 tag of 100 bytes of padding.
    const std::string tag =
        std::string("ID3\x03\x00\x00\x00\x00\x00\x64", 10) + std::string(100, '\0');
    MusicFormat format{0, 0};
    ASSERT_TRUE(ReadMusicFormat(Bytes("tagged.mp3", tag + frames).c_str(), &format));
    EXPECT_EQ(format.rate, 44100);
    EXPECT_EQ(format.channels, 1);
}

TEST_F(MusicFormatTest, FilesWithoutMpegAudioHaveNoFormat)
{
    MusicFormat format{0, 0};
    EXPECT_FALSE(ReadMusicFormat(dir_.File("missing.mp3").c_str(), &format));
    EXPECT_FALSE(ReadMusicFormat(Bytes("empty.mp3", "").c_str(), &format));
    EXPECT_FALSE(ReadMusicFormat(Bytes("text.mp3", "not music at all\n").c_str(), &format));
    const std::string wave = std::string("RIFF\x24\0\0\0WAVEfmt ", 16) + std::string(200, '\0');
    EXPECT_FALSE(ReadMusicFormat(Bytes("riff.mp3", wave).c_str(), &format));
    EXPECT_FALSE(ReadMusicFormat(dir_.Path().c_str(), &format)) << "a directory";
    EXPECT_EQ(format.rate, 0) << "no format is reported for what is not read";
}
