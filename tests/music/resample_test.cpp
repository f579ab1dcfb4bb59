// Halving the rate keeps what lies below the new Nyquist frequency, in time and in level, and
// lets nothing above it fold back.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audiocheck.h"
#include "resample.h"

TEST(ResampleStereo, KeepsTonesBelowTheNewNyquistInPlaceAndDropsThoseAbove)
{
    // 15 kHz would fold to 7.05 kHz at full level if every other sample were dropped.
    const std::vector<short> in = Tones(44100, 2.0, 1000.0, 15000.0);
    const std::vector<short> out = ResampleStereo(in, 44100, 22050);
    ASSERT_EQ(out.size(), in.size() / 2);
    const size_t edge = 22050 / 10;  // the filter rings at the cut ends
    const size_t frames = out.size() / 2;
    EXPECT_NEAR(RmsDb(out, edge, frames - edge, 0), RmsDb(in, 2 * edge, 2 * (frames - edge), 0),
                0.05);
    EXPECT_LT(RmsDb(out, edge, frames - edge, 1), -90.0) << "the 15 kHz tone folded back";
    // No delay: the left side is the same sine sampled at 22050 Hz, give or take rounding.
    const std::vector<short> expected = Tones(22050, 2.0, 1000.0, 0.0);
    int worst = 0;
    for (size_t f = edge; f < frames - edge; ++f)
        worst = std::max(worst, std::abs(out[2 * f] - expected[2 * f]));
    EXPECT_LE(worst, 4) << "largest difference from the sine at 22050 Hz";
}

TEST(ResampleStereo, KeepsTheTopOfTheBandAtItsLevel)
{
    // 9.5 kHz is 86% of the way to 11025 Hz: still in the flat pass band.
    const std::vector<short> in = Tones(44100, 2.0, 9500.0, 9500.0);
    const std::vector<short> out = ResampleStereo(in, 44100, 22050);
    ASSERT_EQ(out.size(), in.size() / 2);
    EXPECT_NEAR(RmsDb(out, 2205, out.size() / 2 - 2205), RmsDb(in, 4410, in.size() / 2 - 4410),
                0.05);
    EXPECT_NEAR(ToneHz(out, 0, 22050), 9500.0, 1.0);
}

TEST(ResampleStereo, RefusesWhatIsNotStereoOrHasNoRate)
{
    const std::vector<short> in = Tones(8000, 2.0, 440.0, 440.0);
    EXPECT_TRUE(ResampleStereo({}, 44100, 22050).empty());
    EXPECT_TRUE(ResampleStereo({1, 2, 3}, 44100, 22050).empty());
    EXPECT_TRUE(ResampleStereo(in, 0, 22050).empty());
    EXPECT_TRUE(ResampleStereo(in, 44100, -1).empty());
    EXPECT_EQ(ResampleStereo(in, 8000, 8000).size(), in.size());
}
