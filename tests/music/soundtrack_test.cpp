// The soundtrack as the show plays it: written to MP3, decoded with libmpg123, measured.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>
#include <vector>

#include "audiocheck.h"
#include "soundtrack.h"

namespace {

constexpr int kRate = kSoundtrackFileRate;
// Where the show cuts from one scene to the next, in seconds; the last scene runs to 120 s.
const double kCuts[] = {0, 8, 16, 20, 24, 32, 40, 48, 56, 64, 72, 80, 88, 96, 112, 120};

size_t Frame(double seconds)
{
    return static_cast<size_t>(seconds * kRate);
}

// Energy below about 90 Hz, where the kick lives, in 10 ms bins folded onto one beat
// (0.5 s at 120 BPM) and summed over [from, to) seconds.
std::vector<double> LowBandBeatProfile(const std::vector<short> &stereo, double from, double to)
{
    const double a = 1.0 - std::exp(-2.0 * M_PI * 90.0 / kRate);
    double s1 = 0, s2 = 0, s3 = 0, s4 = 0;
    std::vector<double> bins(50, 0.0);
    for (size_t f = Frame(std::max(0.0, from - 0.1)); f < Frame(to); ++f) {
        const double x = (stereo[2 * f] + stereo[2 * f + 1]) / 65536.0;
        s1 += a * (x - s1);
        s2 += a * (s1 - s2);
        s3 += a * (s2 - s3);
        s4 += a * (s3 - s4);
        if (f < Frame(from)) continue;  // filter warm-up
        const size_t inBeat = (f - Frame(from)) % (kRate / 2);
        bins[std::min<size_t>(49, inBeat / (kRate / 100))] += s4 * s4;
    }
    return bins;
}

// Low-end energy in the 100 ms after the beat against the 100 ms after the half-beat.
double KickToOffbeat(const std::vector<double> &profile)
{
    return std::accumulate(profile.begin(), profile.begin() + 10, 0.0) /
           std::accumulate(profile.begin() + 25, profile.begin() + 35, 0.0);
}

// For each 500 Hz band from 2 to 9.5 kHz over [from, to) seconds: how many dB more of the
// band `file` (at kRate) holds than the synthesized samples, relative to the 0.5-2 kHz range,
// which sets the codec's overall level. Aliasing adds energy folded down from above 11 kHz; too
// steep a filter takes some away.
std::vector<double> BandExcessDb(const std::vector<short> &file,
                                 const std::vector<short> &synthesized, double from, double to)
{
    const std::vector<double> got = BandEnergies(file, kRate, from, to, 500.0);
    const std::vector<double> want =
        BandEnergies(synthesized, kSoundtrackSynthesisRate, from, to, 500.0);
    const double level = (got[1] + got[2] + got[3]) / (want[1] + want[2] + want[3]);
    std::vector<double> excess;
    for (size_t band = 4; band < 19; ++band)
        excess.push_back(10.0 * std::log10(got[band] / want[band] / level));
    return excess;
}

class Soundtrack : public ::testing::Test {
protected:
    // Renders and encodes as WriteSoundtrack does, keeping the synthesized samples for
    // comparison.
    static void SetUpTestSuite()
    {
        dir_ = new ScratchDir;
        pcm_ = RenderSoundtrack();
        std::string error;
        ok_ = EncodeSoundtrack(dir_->File("soundtrack.mp3"), pcm_, &error) &&
              DecodeMp3File(dir_->File("soundtrack.mp3"), &audio_, &error);
        error_ = error;
    }
    static void TearDownTestSuite()
    {
        delete dir_;
        dir_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(ok_) << error_; }

    static const std::vector<short> &Samples() { return audio_.samples; }

    static ScratchDir *dir_;
    static std::vector<short> pcm_;
    static DecodedAudio audio_;
    static bool ok_;
    static std::string error_;
};

ScratchDir *Soundtrack::dir_ = nullptr;
std::vector<short> Soundtrack::pcm_;
DecodedAudio Soundtrack::audio_;
bool Soundtrack::ok_ = false;
std::string Soundtrack::error_;

}  // namespace

TEST_F(Soundtrack, IsStereoAtTheDevicesRateAtLeastTheShowsLengthCentredAndNeverClips)
{
    EXPECT_EQ(audio_.sampleRate, 22050) << "the rate the show opens its audio device at";
    EXPECT_EQ(audio_.channels, 2);
    EXPECT_GE(audio_.Seconds(), 120.0);
    EXPECT_LT(audio_.Seconds(), 122.0);
    const int peak = PeakAbs(Samples());
    EXPECT_LT(peak, 32767 * 95 / 100) << "decoded peak " << peak << " leaves no headroom";
    EXPECT_GT(peak, 32767 / 2) << "the mix should use its range";
    for (int channel = 0; channel < 2; ++channel) {
        double sum = 0.0;
        for (size_t f = 0; f < audio_.Frames(); ++f) sum += Samples()[2 * f + channel];
        EXPECT_LT(std::fabs(sum / audio_.Frames()), 33.0) << "DC offset on channel " << channel;
    }
    // Width: the difference of the sides carries real signal, but less than their sum.
    double mid = 0.0, side = 0.0;
    for (size_t f = 0; f < audio_.Frames(); ++f) {
        const double l = Samples()[2 * f], r = Samples()[2 * f + 1];
        mid += (l + r) * (l + r);
        side += (l - r) * (l - r);
    }
    const double sideDb = 10.0 * std::log10(side / mid);
    EXPECT_GT(sideDb, -20.0) << "nearly mono";
    EXPECT_LT(sideDb, -3.0) << "sides out of phase";
}

TEST_F(Soundtrack, EverySceneIsAudibleAndTheLastFadesToSilence)
{
    for (size_t k = 0; k + 2 < std::size(kCuts); ++k) {
        const double db = RmsDb(Samples(), Frame(kCuts[k]), Frame(kCuts[k + 1]));
        EXPECT_GT(db, -28.0) << "scene slot " << kCuts[k] << "-" << kCuts[k + 1] << " s";
    }
    double previous = RmsDb(Samples(), Frame(104), Frame(112));
    for (double t = 112; t < 120; t += 2) {
        const double db = RmsDb(Samples(), Frame(t), Frame(t + 2));
        EXPECT_LT(db, previous - 1.0) << "no fade at " << t << " s";
        previous = db;
    }
    EXPECT_LT(RmsDb(Samples(), Frame(119.5), Frame(120)), -55.0);
    EXPECT_LT(RmsDb(Samples(), Frame(120), audio_.Frames()), -80.0) << "silent after the show";
    EXPECT_GT(RmsDb(Samples(), Frame(112), Frame(113)),
              RmsDb(Samples(), Frame(104), Frame(112)) - 6.0)
        << "the fade should begin at the last scene, not before";
}

TEST_F(Soundtrack, KicksLandOnTheBeatInTheDrops)
{
    for (double from : {24.0, 72.0, 96.0}) {
        const std::vector<double> profile = LowBandBeatProfile(Samples(), from, from + 8);
        const size_t loudest = std::max_element(profile.begin(), profile.end()) - profile.begin();
        // The kick's boom follows its click by a few tens of milliseconds.
        EXPECT_LT(loudest, 10u) << "low end peaks " << loudest * 10 << " ms after the beat at "
                                << from << " s";
        EXPECT_GT(KickToOffbeat(profile), 3.0) << "no clear beat at " << from << " s";
    }
}

TEST_F(Soundtrack, ArrangementChangesAtTheCuts)
{
    const double intro = RmsDb(Samples(), Frame(0), Frame(8));
    const double breakdown = RmsDb(Samples(), Frame(56), Frame(64));
    for (double drop : {24.0, 72.0, 96.0}) {
        const double level = RmsDb(Samples(), Frame(drop), Frame(drop + 8));
        EXPECT_GT(level, intro + 4.0) << "drop at " << drop << " s against the intro";
        EXPECT_GT(level, breakdown + 3.0) << "drop at " << drop << " s against the breakdown";
    }
    // No drums in the opening scene and the breakdown: no beat in the low end.
    for (double from : {0.0, 56.0})
        EXPECT_LT(KickToOffbeat(LowBandBeatProfile(Samples(), from, from + 8)), 1.5)
            << "a beat at " << from << " s";
}

TEST_F(Soundtrack, NothingAboveTheFilesNyquistFrequencyFoldsBack)
{
    // Where hats, crashes and the bright lead put the most above 11 kHz: the groove and the climax.
    for (double from : {40.0, 96.0}) {
        const std::vector<double> excess = BandExcessDb(Samples(), pcm_, from, from + 8);
        for (size_t k = 0; k < excess.size(); ++k) {
            EXPECT_LT(excess[k], 0.5)
                << "band " << 2000 + 500 * k << " Hz at " << from << " s gained energy";
            EXPECT_GT(excess[k], -1.0)
                << "band " << 2000 + 500 * k << " Hz at " << from << " s lost energy";
        }
    }
    // The measurement sees the aliasing of a rate halved by dropping every other sample.
    std::vector<short> dropped(pcm_.size() / 2);
    for (size_t f = 0; 2 * f < dropped.size(); ++f) {
        dropped[2 * f] = pcm_[4 * f];
        dropped[2 * f + 1] = pcm_[4 * f + 1];
    }
    const std::vector<double> excess = BandExcessDb(dropped, pcm_, 96, 104);
    EXPECT_GT(*std::max_element(excess.begin(), excess.end()), 1.5);
}

TEST_F(Soundtrack, RendersAndFilesAreTheSameEveryTime)
{
    ASSERT_EQ(pcm_.size(),
              static_cast<size_t>(std::lround(kSoundtrackSeconds * kSoundtrackSynthesisRate)) * 2);
    EXPECT_TRUE(RenderSoundtrack() == pcm_);
    std::string error;
    ASSERT_TRUE(WriteSoundtrack(dir_->File("again.mp3"), &error)) << error;
    EXPECT_TRUE(ReadBytes(dir_->File("soundtrack.mp3")) == ReadBytes(dir_->File("again.mp3")));
}

TEST(SoundtrackRates, OtherRatesKeepTheLengthAndUnusableRatesGiveNothing)
{
    const std::vector<short> half = RenderSoundtrack(22050);
    EXPECT_EQ(half.size(), static_cast<size_t>(std::lround(kSoundtrackSeconds * 22050)) * 2);
    EXPECT_GT(RmsDb(half, 24 * 22050, 32 * 22050), -20.0);
    EXPECT_TRUE(RenderSoundtrack(0).empty());
    EXPECT_TRUE(RenderSoundtrack(-44100).empty());
    EXPECT_TRUE(RenderSoundtrack(1000000).empty());
}

TEST(SoundtrackWrite, UnwritablePathIsReported)
{
    std::string error;
    EXPECT_FALSE(WriteSoundtrack("/nonexistent-dir/2minute.mp3", &error));
    EXPECT_NE(error.find("/nonexistent-dir/2minute.mp3"), std::string::npos) << error;
}
