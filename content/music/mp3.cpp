#include "mp3.h"

#include <lame/lame.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

bool Fail(std::string *error, const std::string &message)
{
    if (error) *error = message;
    return false;
}

bool IsMp3SampleRate(int rate)
{
    static const int kRates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
    for (int r : kRates)
        if (r == rate) return true;
    return false;
}

struct LameCloser {
    void operator()(lame_global_flags *gf) const { lame_close(gf); }
};
using Lame = std::unique_ptr<lame_global_flags, LameCloser>;

Lame MakeEncoder(int sampleRate, int kbps, int channels)
{
    Lame gf(lame_init());
    if (!gf) return gf;
    lame_set_in_samplerate(gf.get(), sampleRate);
    lame_set_out_samplerate(gf.get(), sampleRate);
    lame_set_num_channels(gf.get(), channels);
    lame_set_mode(gf.get(), channels == 1 ? MONO : JOINT_STEREO);
    lame_set_VBR(gf.get(), vbr_off);
    lame_set_brate(gf.get(), kbps);
    // 5 is LAME's balance of speed and quality; 2 doubles the time for no audible gain here.
    lame_set_quality(gf.get(), 5);
    lame_set_write_id3tag_automatic(gf.get(), 0);
    lame_set_bWriteVbrTag(gf.get(), 1);
    if (lame_init_params(gf.get()) < 0) gf.reset();
    return gf;
}

bool WriteFile(const std::string &path, const std::vector<unsigned char> &bytes, std::string *error)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return Fail(error, "cannot create " + path + ": " + std::strerror(errno));
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    int writeErrno = errno;
    if (std::fclose(f) != 0 && written) {
        written = false;
        writeErrno = errno;
    }
    if (written) return true;
    std::remove(path.c_str());
    return Fail(error, "cannot write " + path + ": " + std::strerror(writeErrno));
}

}  // namespace

bool EncodeMp3(const std::string &path, const std::vector<short> &interleaved, int sampleRate,
               int kbps, std::string *error, int channels)
{
    if (path.empty()) return Fail(error, "no output path given");
    if (channels != 1 && channels != 2)
        return Fail(error, "MP3 has no " + std::to_string(channels) + " channels");
    if (interleaved.empty()) return Fail(error, "no samples to encode");
    if (interleaved.size() % channels != 0)
        return Fail(error, "interleaved stereo needs an even number of samples, got " +
                               std::to_string(interleaved.size()));
    if (!IsMp3SampleRate(sampleRate))
        return Fail(error, "MP3 has no sample rate of " + std::to_string(sampleRate) + " Hz");
    if (kbps < 8 || kbps > 320)
        return Fail(error, "bitrate " + std::to_string(kbps) + " kbit/s is outside 8..320");

    Lame gf = MakeEncoder(sampleRate, kbps, channels);
    if (!gf)
        return Fail(error, "the MP3 encoder refused " + std::to_string(sampleRate) + " Hz at " +
                               std::to_string(kbps) + " kbit/s");

    const size_t totalFrames = interleaved.size() / channels;
    const size_t chunkFrames = 8192;
    std::vector<unsigned char> mp3;
    mp3.reserve(totalFrames / 4 + 16384);
    // LAME's worst case for n frames is 1.25 n + 7200 bytes.
    std::vector<unsigned char> chunk(chunkFrames * 5 / 4 + 7200);
    // LAME's interface takes a non-const pointer but only reads the input.
    short *pcm = const_cast<short *>(interleaved.data());
    for (size_t frame = 0; frame < totalFrames; frame += chunkFrames) {
        int frames = static_cast<int>(std::min(chunkFrames, totalFrames - frame));
        short *at = pcm + channels * frame;
        const int room = static_cast<int>(chunk.size());
        int n = channels == 1
                    ? lame_encode_buffer(gf.get(), at, at, frames, chunk.data(), room)
                    : lame_encode_buffer_interleaved(gf.get(), at, frames, chunk.data(), room);
        if (n < 0) return Fail(error, "the MP3 encoder failed (code " + std::to_string(n) + ")");
        mp3.insert(mp3.end(), chunk.begin(), chunk.begin() + n);
    }
    int n = lame_encode_flush(gf.get(), chunk.data(), static_cast<int>(chunk.size()));
    if (n < 0)
        return Fail(error, "the MP3 encoder failed to flush (code " + std::to_string(n) + ")");
    mp3.insert(mp3.end(), chunk.begin(), chunk.begin() + n);

    // The encoder left a blank first frame for the info tag (length, delay, padding).
    unsigned char tag[2880];
    size_t tagSize = lame_get_lametag_frame(gf.get(), tag, sizeof tag);
    if (tagSize > sizeof tag || tagSize > mp3.size())
        return Fail(error, "the MP3 info frame does not fit");
    std::memcpy(mp3.data(), tag, tagSize);

    return WriteFile(path, mp3, error);
}
