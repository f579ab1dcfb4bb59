#include "audiocheck.h"

#include <dirent.h>
#include <mpg123.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

bool DecodeMp3File(const std::string& path, DecodedAudio* out, std::string* error) {
  *out = DecodedAudio();
  int err = MPG123_OK;
  mpg123_handle* mh = mpg123_new(nullptr, &err);
  if (!mh) {
    *error = mpg123_plain_strerror(err);
    return false;
  }
  // Keep the file's own rate and ask for plain 16-bit output.
  mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
  mpg123_format_none(mh);
  const long* rates = nullptr;
  size_t rateCount = 0;
  mpg123_rates(&rates, &rateCount);
  for (size_t i = 0; i < rateCount; ++i) mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);

  bool ok = mpg123_open(mh, path.c_str()) == MPG123_OK;
  int encoding = 0;
  ok = ok && mpg123_getformat(mh, &out->sampleRate, &out->channels, &encoding) == MPG123_OK;
  std::vector<unsigned char> buffer(1 << 16);
  while (ok) {
    size_t bytes = 0;
    const int r = mpg123_read(mh, buffer.data(), buffer.size(), &bytes);
    const short* s = reinterpret_cast<const short*>(buffer.data());
    out->samples.insert(out->samples.end(), s, s + bytes / 2);
    if (r == MPG123_DONE) break;
    if (r != MPG123_OK && r != MPG123_NEW_FORMAT) ok = false;
  }
  if (!ok) *error = std::string("cannot decode ") + path + ": " + mpg123_strerror(mh);
  mpg123_close(mh);
  mpg123_delete(mh);
  return ok;
}

double RmsDb(const std::vector<short>& stereo, size_t first, size_t last, int channel) {
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

int PeakAbs(const std::vector<short>& stereo) {
  int peak = 0;
  for (short s : stereo) peak = std::max(peak, std::abs(static_cast<int>(s)));
  return peak;
}

double ToneHz(const std::vector<short>& stereo, int channel, double sampleRate) {
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

ScratchDir::ScratchDir() {
  char pattern[] = "/tmp/music-test-XXXXXX";
  const char* made = mkdtemp(pattern);
  path_ = made ? made : "/tmp";
}

ScratchDir::~ScratchDir() {
  if (path_ == "/tmp") return;
  if (DIR* dir = opendir(path_.c_str())) {
    while (dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") unlink(File(name).c_str());
    }
    closedir(dir);
  }
  rmdir(path_.c_str());
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}
