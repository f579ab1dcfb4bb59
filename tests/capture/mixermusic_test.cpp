// Where the show's mixer starts an MP3 compared with FFmpeg: the silent
// frame it plays for the encoder's tag, in samples of the file's rate.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "music/mp3.h"
#include "mixermusic.h"
#include "workdir.h"

namespace {

std::string WriteTone(const showtest::ScopedWorkDir &dir, const std::string &name, int rate)
{
    std::vector<short> stereo(size_t(rate) * 2);
    for (size_t i = 0; i < stereo.size(); i++) stereo[i] = short(8000 * std::sin(i / 2 * 0.05));
    const std::string path = dir.DataPath(name);
    std::string error;
    EXPECT_TRUE(EncodeMp3(path, stereo, rate, 128, &error)) << error;
    return path;
}

std::string ReadBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TEST(MixerLead, IsOneTagFrameOfTheFilesMpegVersion)
{
    showtest::ScopedWorkDir dir;
    EXPECT_EQ(576, MixerLeadFrames(WriteTone(dir, "half.mp3", 22050)));
    const std::string full = WriteTone(dir, "full.mp3", 44100);
    EXPECT_EQ(1152, MixerLeadFrames(full));

    // An ID3v2 tag before the frames: 10 bytes of header, then 300 (as 2 << 7 | 44).
    const std::string id3 =
        std::string("ID3\x03\x00\x00\x00\x00\x02\x2c", 10) + std::string(300, '\0');
    ASSERT_TRUE(dir.WriteDataFile("tagged.mp3", id3 + ReadBytes(full)));
    EXPECT_EQ(1152, MixerLeadFrames(dir.DataPath("tagged.mp3")));

    ASSERT_TRUE(dir.WriteDataFile("text.mp3", "no frames here"));
    EXPECT_EQ(0, MixerLeadFrames(dir.DataPath("text.mp3")));
    EXPECT_EQ(0, MixerLeadFrames(dir.DataPath("missing.mp3")));
}

}  // namespace
