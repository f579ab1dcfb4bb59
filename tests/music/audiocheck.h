#pragma once
// Test support: decoding MP3 files with libmpg123, level and spectrum measurements on 16-bit PCM
// and a scratch directory that removes itself.

#include <string>
#include <vector>

struct DecodedAudio {
    long sampleRate = 0;
    int channels = 0;
    std::vector<short> samples;  // interleaved
    size_t Frames() const { return channels ? samples.size() / channels : 0; }
    double Seconds() const { return sampleRate ? static_cast<double>(Frames()) / sampleRate : 0.0; }
};

// Decodes a whole file to signed 16-bit samples at the file's own rate. Answers false with
// the decoder's message in `error` if the file cannot be decoded.
bool DecodeMp3File(const std::string &path, DecodedAudio *out, std::string *error);

// Level in dB relative to full scale of channel `channel` (or of all channels for -1) over
// frames [first, last) of interleaved stereo audio; -200 for digital silence.
double RmsDb(const std::vector<short> &stereo, size_t first, size_t last, int channel = -1);
int PeakAbs(const std::vector<short> &stereo);

// Energy of the sum of both channels over [fromSeconds, toSeconds) in bands of `bandHz` from
// 0 Hz up, from Hann-windowed spectra about 0.19 s long (libavutil's real FFT). Scaled so that
// the same sound measured at different sample rates gives the same band energies.
std::vector<double> BandEnergies(const std::vector<short> &stereo, int sampleRate,
                                 double fromSeconds, double toSeconds, double bandHz);

// Frequency of a tone in Hz from the rising zero crossings of one channel.
double ToneHz(const std::vector<short> &stereo, int channel, double sampleRate);

// Interleaved PCM at about half of full scale: a tone of `leftHz` on the left and of
// `rightHz` on the right, so that swapped or mixed channels show; mono holds the left one.
std::vector<short> Tones(int sampleRate, double seconds, double leftHz, double rightHz,
                         int channels = 2);

// A fresh directory under /tmp, deleted with its files when this goes out of scope.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir &) = delete;
    ScratchDir &operator=(const ScratchDir &) = delete;
    std::string File(const std::string &name) const { return path_ + "/" + name; }
    const std::string &Path() const { return path_; }

private:
    std::string path_;
};

std::vector<unsigned char> ReadBytes(const std::string &path);
bool FileExists(const std::string &path);
