// The signal-processing parts on their own: what each promises, measured on its output.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "synth.h"

using namespace music;

namespace {

constexpr double kRate = 44100.0;
constexpr double kPi = 3.14159265358979323846;

// Amplitude of the component at `hz` in `x` (single-bin DFT over the whole signal).
double AmplitudeAt(const std::vector<float> &x, double hz)
{
    double re = 0.0, im = 0.0;
    for (size_t n = 0; n < x.size(); ++n) {
        re += x[n] * std::cos(2.0 * kPi * hz * n / kRate);
        im -= x[n] * std::sin(2.0 * kPi * hz * n / kRate);
    }
    return 2.0 * std::hypot(re, im) / x.size();
}

std::vector<float> Render(Oscillator osc, size_t samples)
{
    std::vector<float> out(samples);
    for (float &s : out) s = osc.Next();
    return out;
}

// Gain in dB of a settled sine at `hz` through `process`.
template <typename Process> double GainDb(double hz, Process process)
{
    double inSum = 0.0, outSum = 0.0;
    for (int n = 0; n < 44100; ++n) {
        const float x = static_cast<float>(std::sin(2.0 * kPi * hz * n / kRate));
        const float y = process(x);
        if (n < 22050) continue;  // let the filter settle
        inSum += x * x;
        outSum += y * y;
    }
    return 10.0 * std::log10(outSum / inSum);
}

double Energy(const std::vector<float> &x, size_t from, size_t to)
{
    double sum = 0.0;
    for (size_t i = from; i < to && i < x.size(); ++i) sum += x[i] * x[i];
    return sum;
}

}  // namespace

TEST(Rng, SameSeedSameSequenceAndValuesInRange)
{
    Rng a(42), b(42), c(43);
    bool differs = false;
    double sum = 0.0;
    for (int i = 0; i < 100000; ++i) {
        const float x = a.Bipolar();
        ASSERT_EQ(x, b.Bipolar());
        differs |= x != c.Bipolar();
        ASSERT_GE(x, -1.0f);
        ASSERT_LT(x, 1.0f);
        sum += x;
    }
    EXPECT_TRUE(differs) << "another seed should give another sequence";
    EXPECT_NEAR(sum / 100000, 0.0, 0.01) << "noise should have no DC";
    Rng zero(0);
    EXPECT_NE(zero.Next(), 0u) << "a zero seed must not lock xorshift at zero";
}

TEST(Oscillator, EachWaveHasItsFrequencyAndStaysBounded)
{
    for (Wave wave : {Wave::Sine, Wave::Saw, Wave::Square, Wave::Triangle}) {
        Oscillator osc(wave, kRate, 0.25);
        osc.SetFrequency(440.0);
        const std::vector<float> x = Render(osc, 44100);
        int rising = 0;
        double sum = 0.0;
        for (size_t n = 1; n < x.size(); ++n) {
            rising += x[n - 1] < 0.0f && x[n] >= 0.0f;
            sum += x[n];
            ASSERT_LE(std::fabs(x[n]), 1.12f)
                << "wave " << static_cast<int>(wave) << " at sample " << n;
        }
        EXPECT_NEAR(rising, 440, 1) << "wave " << static_cast<int>(wave);
        EXPECT_NEAR(sum / x.size(), 0.0, 0.01) << "wave " << static_cast<int>(wave);
    }
}

TEST(Oscillator, SawAndSquareDoNotAliasHighNotes)
{
    // At 5 kHz the 9th harmonic (45 kHz) folds back to 900 Hz, an inharmonic tone a naive saw
    // plays at 1/9 of the fundamental (-19 dB).
    for (Wave wave : {Wave::Saw, Wave::Square}) {
        Oscillator osc(wave, kRate);
        osc.SetFrequency(5000.0);
        const std::vector<float> x = Render(osc, 44100);
        const double fundamental = AmplitudeAt(x, 5000.0);
        const double folded = AmplitudeAt(x, 900.0);
        EXPECT_GT(fundamental, 0.5);
        EXPECT_LT(20.0 * std::log10(folded / fundamental), -30.0)
            << "wave " << static_cast<int>(wave);
    }
}

TEST(Envelope, RisesHoldsSustainAndReachesZeroAtTheEndOfRelease)
{
    const Envelope env{0.01f, 0.1f, 0.5f, 0.2f};
    const float gate = 0.5f;
    EXPECT_EQ(env.Level(-0.001f, gate), 0.0f);
    EXPECT_EQ(env.Level(0.0f, gate), 0.0f);
    EXPECT_NEAR(env.Level(0.01f, gate), 1.0f, 1e-4);
    EXPECT_NEAR(env.Level(0.49f, gate), 0.5f, 0.01f);
    EXPECT_FLOAT_EQ(env.Length(gate), 0.7f);
    EXPECT_EQ(env.Level(0.7f, gate), 0.0f);
    EXPECT_EQ(env.Level(5.0f, gate), 0.0f);
    float previous = env.Level(gate, gate);
    for (float t = gate; t < 0.8f; t += 0.001f) {
        const float level = env.Level(t, gate);
        ASSERT_GE(level, 0.0f);
        ASSERT_LE(level, previous + 1e-6f) << "release rises at t = " << t;
        previous = level;
    }
}

TEST(Envelope, ShortGateReleasesFromWhereTheAttackGotWithoutAJump)
{
    const Envelope env{0.1f, 0.2f, 0.8f, 0.05f};
    const float gate = 0.02f;  // let go a fifth of the way up
    const float atGate = env.Level(gate - 1e-5f, gate);
    EXPECT_NEAR(atGate, 0.2f, 0.01f);
    EXPECT_NEAR(env.Level(gate + 1e-5f, gate), atGate, 0.01f);
    EXPECT_EQ(env.Level(gate + 0.05f, gate), 0.0f);
}

TEST(Envelope, ZeroTimesNeitherDivideByZeroNorLinger)
{
    const Envelope env{0.0f, 0.0f, 0.6f, 0.0f};
    EXPECT_FLOAT_EQ(env.Level(0.0f, 1.0f), 0.6f);
    EXPECT_TRUE(std::isfinite(env.Level(0.5f, 1.0f)));
    EXPECT_EQ(env.Level(1.0f, 1.0f), 0.0f);
}

TEST(Svf, LowPassKeepsLowsAndCutsHighsHighPassTheReverse)
{
    Svf low(kRate), high(kRate);
    low.Set(1000.0f, 0.707f);
    EXPECT_NEAR(GainDb(100.0, [&](float x) { return low.Low(x); }), 0.0, 0.5);
    low = Svf(kRate);
    low.Set(1000.0f, 0.707f);
    EXPECT_LT(GainDb(8000.0, [&](float x) { return low.Low(x); }), -30.0)
        << "two poles: 12 dB per octave";
    high.Set(1000.0f, 0.707f);
    EXPECT_LT(GainDb(100.0, [&](float x) { return high.High(x); }), -30.0);
    high = Svf(kRate);
    high.Set(1000.0f, 0.707f);
    EXPECT_NEAR(GainDb(8000.0, [&](float x) { return high.High(x); }), 0.0, 0.5);
}

TEST(Svf, StaysStableWhenTheCutoffJumpsEverySampleAndAboveNyquist)
{
    Svf filter(kRate);
    Rng rng(7);
    float peak = 0.0f;
    for (int n = 0; n < 200000; ++n) {
        filter.Set(20.0f + rng.Unit() * 40000.0f, 0.5f + rng.Unit() * 8.0f);
        const float y = filter.Low(rng.Bipolar());
        ASSERT_TRUE(std::isfinite(y)) << "at sample " << n;
        peak = std::max(peak, std::fabs(y));
    }
    EXPECT_LT(peak, 20.0f);
}

TEST(DcBlocker, RemovesOffsetAndPassesTones)
{
    DcBlocker dc(kRate);
    float y = 0.0f;
    for (int n = 0; n < 44100; ++n) y = dc.Process(0.5f);
    EXPECT_LT(std::fabs(y), 0.001f);
    DcBlocker tone(kRate);
    EXPECT_NEAR(GainDb(200.0, [&](float x) { return tone.Process(x); }), 0.0, 0.2);
}

TEST(PingPongDelay, EchoesAlternateSidesLoseFeedbackEachTimeAndDie)
{
    const double delay = 0.1;
    const size_t d = static_cast<size_t>(delay * kRate);
    PingPongDelay echo(delay, 0.5f, 20000.0f, kRate);
    std::vector<float> left, right;
    for (size_t n = 0; n < 20 * d; ++n) {
        float l, r;
        echo.Process(n == 0 ? 1.0f : 0.0f, n == 0 ? 1.0f : 0.0f, l, r);
        left.push_back(l);
        right.push_back(r);
    }
    auto around = [&](const std::vector<float> &x, size_t k) {
        return Energy(x, k * d - 20, k * d + 200);
    };
    EXPECT_GT(around(left, 1), 0.5);
    EXPECT_LT(around(right, 1), 1e-6) << "the first echo is on the left only";
    EXPECT_GT(around(right, 2), 0.0);
    EXPECT_LT(around(left, 2), 1e-6) << "the second echo is on the right only";
    for (size_t k = 1; k < 6; ++k) {
        const std::vector<float> &side = k % 2 ? left : right;
        const std::vector<float> &next = k % 2 ? right : left;
        // feedback 0.5 per hop is a quarter of the energy, a little less after damping
        const double ratio = around(next, k + 1) / around(side, k);
        EXPECT_GT(ratio, 0.15) << "echo " << k;
        EXPECT_LE(ratio, 0.2501) << "echo " << k;
    }
    EXPECT_LT(Energy(left, 18 * d, 20 * d) + Energy(right, 18 * d, 20 * d), 1e-9);
}

TEST(PingPongDelay, FeedbackAboveOneIsClampedSoEchoesStillDie)
{
    PingPongDelay echo(0.05, 1.5f, 4000.0f, kRate);
    EXPECT_LT(echo.feedback(), 1.0f);
    float l = 0.0f, r = 0.0f, tail = 0.0f;
    for (int n = 0; n < 30 * 44100; ++n) {
        echo.Process(n < 100 ? 1.0f : 0.0f, 0.0f, l, r);
        if (n > 29 * 44100) tail = std::max(tail, std::max(std::fabs(l), std::fabs(r)));
    }
    EXPECT_LT(tail, 1e-3f);
}

TEST(Reverb, TailIsStereoAndDecaysAway)
{
    Reverb room(0.82f, 0.5f, kRate);
    std::vector<float> left, right;
    for (int n = 0; n < 12 * 44100; ++n) {
        float l, r;
        room.Process(n == 0 ? 1.0f : 0.0f, n == 0 ? 1.0f : 0.0f, l, r);
        ASSERT_TRUE(std::isfinite(l) && std::isfinite(r));
        left.push_back(l);
        right.push_back(r);
    }
    const double early = Energy(left, 0, 22050) + Energy(right, 0, 22050);
    const double late =
        Energy(left, 10 * 44100, 12 * 44100) + Energy(right, 10 * 44100, 12 * 44100);
    EXPECT_GT(early, 0.0);
    EXPECT_LT(late, early * 1e-6) << "the tail should have fallen by 60 dB within 10 s";
    double cross = 0.0;
    for (size_t n = 0; n < 44100; ++n) cross += left[n] * right[n];
    const double correlation = cross / std::sqrt(Energy(left, 0, 44100) * Energy(right, 0, 44100));
    EXPECT_LT(std::fabs(correlation), 0.5) << "both sides should not carry the same tail";
}

TEST(SoftLimit, TransparentBelowKneeSmoothAboveAndNeverReachesCeiling)
{
    const float knee = 0.6f, ceiling = 0.9f;
    for (float x = -0.6f; x <= 0.6f; x += 0.01f) EXPECT_EQ(SoftLimit(x, knee, ceiling), x);
    float previous = SoftLimit(0.0f, knee, ceiling);
    for (float x = 0.0f; x < 50.0f; x += 0.001f) {
        const float y = SoftLimit(x, knee, ceiling);
        ASSERT_GE(y, previous) << "not monotonic at " << x;
        ASSERT_LT(y, ceiling) << "reaches the ceiling at " << x;
        ASSERT_EQ(SoftLimit(-x, knee, ceiling), -y);
        ASSERT_LT(y - previous, 0.0011f) << "a step in the curve at " << x;
        previous = y;
    }
    EXPECT_LT(SoftLimit(1e30f, knee, ceiling), ceiling);
    EXPECT_LT(SoftLimit(std::numeric_limits<float>::infinity(), knee, ceiling), ceiling);
    EXPECT_GT(SoftLimit(-std::numeric_limits<float>::infinity(), knee, ceiling), -ceiling);
}
