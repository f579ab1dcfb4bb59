#include "audiocheck.h"

#include <dirent.h>
#include <mpg123.h>

extern "C" {
#include <libavutil/tx.h>
}
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

bool DecodeMp3File(const std::string &path, DecodedAudio *out, std::string *error)
{
    *out = DecodedAudio();
    int err = MPG123_OK;
    mpg123_handle *mh = mpg123_new(nullptr, &err);
    if (!mh) {
        *error = mpg123_plain_strerror(err);
        return false;
    }
    // Keep the file's own rate and ask for plain 16-bit output.
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    mpg123_format_none(mh);
    const long *rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);

    bool ok = mpg123_open(mh, path.c_str()) == MPG123_OK;
    int encoding = 0;
    ok = ok && mpg123_getformat(mh, &out->sampleRate, &out->channels, &encoding) == MPG123_OK;
    std::vector<unsigned char> buffer(1 << 16);
    while (ok) {
        size_t bytes = 0;
        const int r = mpg123_read(mh, buffer.data(), buffer.size(), &bytes);
        const short *s = reinterpret_cast<const short *>(buffer.data());
        out->samples.insert(out->samples.end(), s, s + bytes / 2);
        if (r == MPG123_DONE) break;
        if (r != MPG123_OK && r != MPG123_NEW_FORMAT) ok = false;
    }
    if (!ok) *error = std::string("cannot decode ") + path + ": " + mpg123_strerror(mh);
    mpg123_close(mh);
    mpg123_delete(mh);
    return ok;
}

double RmsDb(const std::vector<short> &stereo, size_t first, size_t last, int channel)
{
    double sum = 0.0;
    size_t count = 0;
    for (size_t f = first; f < last && 2 * f + 1 < stereo.size(); ++f) {
        for (int c = 0; c < 2; ++c) {
            if (channel >= 0 && c != channel) continue;
            const double x = stereo[2 * f + c] / 32768.0;
            sum += x * x;
            ++count;
        }
    }
    if (count == 0 || sum == 0.0) return -200.0;
    return 10.0 * std::log10(sum / count);
}

int PeakAbs(const std::vector<short> &stereo)
{
    int peak = 0;
    for (short s : stereo) peak = std::max(peak, std::abs(static_cast<int>(s)));
    return peak;
}

std::vector<double> BandEnergies(const std::vector<short> &stereo, int sampleRate,
                                 double fromSeconds, double toSeconds, double bandHz)
{
    int n = 1;
    while (n < sampleRate / 5) n *= 2;
    AVTXContext *tx = nullptr;
    av_tx_fn transform = nullptr;
    const float unscaled = 1.0f;
    if (av_tx_init(&tx, &transform, AV_TX_FLOAT_RDFT, 0, n, &unscaled, AV_TX_UNALIGNED) < 0)
        return {};
    std::vector<float> in(n);
    std::vector<AVComplexFloat> out(n / 2 + 1);
    std::vector<double> power(n / 2 + 1, 0.0);
    const size_t first = static_cast<size_t>(fromSeconds * sampleRate);
    const size_t last = std::min(stereo.size() / 2, static_cast<size_t>(toSeconds * sampleRate));
    int windows = 0;
    for (size_t f = first; f + n <= last; f += n / 2, ++windows) {
        for (int i = 0; i < n; ++i) {
            const double hann = 0.5 - 0.5 * std::cos(2.0 * M_PI * i / n);
            in[i] = static_cast<float>(hann * (stereo[2 * (f + i)] + stereo[2 * (f + i) + 1]) /
                                       65536.0);
        }
        transform(tx, out.data(), in.data(), sizeof(float));
        for (int k = 0; k <= n / 2; ++k) power[k] += out[k].re * out[k].re + out[k].im * out[k].im;
    }
    av_tx_uninit(&tx);
    std::vector<double> bands(static_cast<size_t>(sampleRate / 2.0 / bandHz) + 1, 0.0);
    if (windows == 0) return bands;
    for (int k = 0; k <= n / 2; ++k)
        bands[std::min(bands.size() - 1,
                       static_cast<size_t>(k * static_cast<double>(sampleRate) / n / bandHz))] +=
            power[k] / (static_cast<double>(windows) * n * n);
    return bands;
}

double ToneHz(const std::vector<short> &stereo, int channel, double sampleRate)
{
    long firstCrossing = -1, lastCrossing = -1, crossings = 0;
    for (size_t f = 1; 2 * f + 1 < stereo.size(); ++f) {
        if (stereo[2 * (f - 1) + channel] < 0 && stereo[2 * f + channel] >= 0) {
            if (firstCrossing < 0) firstCrossing = static_cast<long>(f);
            lastCrossing = static_cast<long>(f);
            ++crossings;
        }
    }
    if (crossings < 2) return 0.0;
    return (crossings - 1) * sampleRate / (lastCrossing - firstCrossing);
}

std::vector<short> Tones(int sampleRate, double seconds, double leftHz, double rightHz,
                         int channels)
{
    const size_t frames = static_cast<size_t>(sampleRate * seconds);
    std::vector<short> pcm(channels * frames);
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        for (int c = 0; c < channels; ++c)
            pcm[channels * i + c] = static_cast<short>(
                std::lround(16000.0 * std::sin(2.0 * M_PI * (c == 0 ? leftHz : rightHz) * t)));
    }
    return pcm;
}

ScratchDir::ScratchDir()
{
    char pattern[] = "/tmp/music-test-XXXXXX";
    const char *made = mkdtemp(pattern);
    path_ = made ? made : "/tmp";
}

ScratchDir::~ScratchDir()
{
    if (path_ == "/tmp") return;
    if (DIR *dir = opendir(path_.c_str())) {
        while (dirent *entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") unlink(File(name).c_str());
        }
        closedir(dir);
    }
    rmdir(path_.c_str());
}

std::vector<unsigned char> ReadBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>());
}

bool FileExists(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}
