// The instruments write into the mix where and as they are told: timing, placement, the
// sidechain, and notes that hang over either end of the buffers.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "instruments.h"

using namespace music;

namespace {

constexpr int kRate = 44100;

double Energy(const std::vector<float> &x, size_t from, size_t to)
{
    double sum = 0.0;
    for (size_t i = from; i < to && i < x.size(); ++i) sum += static_cast<double>(x[i]) * x[i];
    return sum;
}

size_t FirstNonZero(const std::vector<float> &x)
{
    for (size_t i = 0; i < x.size(); ++i)
        if (x[i] != 0.0f) return i;
    return x.size();
}

}  // namespace

TEST(Instruments, AHitStartsOnItsSampleAndGoesWhereItIsPanned)
{
    Mix mix(kRate, 2.0, 1);
    Kick(mix, 0.5, 1.0f, 0.0f, Placement{1.0f, -1.0f, 0.0f, 0.0f, 0.0f});
    // The attack ramps up from zero, so the first audible sample is right after the start.
    EXPECT_NEAR(static_cast<double>(FirstNonZero(mix.dryL)), kRate / 2, 2.0);
    EXPECT_EQ(Energy(mix.dryR, 0, mix.frames), 0.0) << "panned hard left";
    EXPECT_EQ(Energy(mix.echoL, 0, mix.frames), 0.0) << "no echo send asked for";
    EXPECT_GT(Energy(mix.dryL, kRate / 2, kRate / 2 + kRate / 10), 100.0);
    EXPECT_LT(Energy(mix.dryL, kRate / 2 + kRate / 2, mix.frames), 1e-9)
        << "a kick lasts half a second";
}

TEST(Instruments, SendsCarryTheirShareOfTheVoice)
{
    Mix mix(kRate, 1.0, 1);
    Pluck(mix, 0.0, 0.2, 69, 1.0f, 2000.0f, Placement{1.0f, 0.0f, 0.5f, 0.25f, 0.0f});
    const double dry = Energy(mix.dryL, 0, mix.frames);
    EXPECT_GT(dry, 0.0);
    EXPECT_NEAR(Energy(mix.echoL, 0, mix.frames) / dry, 0.25, 1e-6);
    EXPECT_NEAR(Energy(mix.roomL, 0, mix.frames) / dry, 0.0625, 1e-6);
}

TEST(Instruments, KicksPullTheSidechainDownAndItRecoversByTheNextBeat)
{
    Mix mix(kRate, 2.0, 1);
    Kick(mix, 1.0, 1.0f, 0.8f, Placement{0.0f});  // silent: only its sidechain is wanted
    EXPECT_FLOAT_EQ(mix.duck[kRate / 2], 1.0f);
    EXPECT_NEAR(mix.duck[kRate], 0.2f, 1e-6f) << "at the kick the curve sits at 1 - pump";
    EXPECT_LT(mix.duck[kRate + kRate / 20], 0.6f);
    EXPECT_FLOAT_EQ(mix.duck[kRate + kRate * 3 / 10], 1.0f);
    // The dive takes 4 ms: a jump in one sample would click in every pad.
    const float steepest = 0.8f / (kRate * 0.004f) * 1.05f;
    for (size_t i = 1; i < mix.frames; ++i)
        ASSERT_LE(std::fabs(mix.duck[i] - mix.duck[i - 1]), steepest)
            << "a click-sized step at " << i;

    // A pad placed with full ducking is nearly silent right at the kick.
    Pad(mix, 0.0, 2.0, {57, 60, 64}, 2000.0f, 2000.0f, Placement{1.0f, 0.0f, 0.0f, 0.0f, 1.0f});
    const double atKick = Energy(mix.dryL, kRate, kRate + kRate / 50);
    const double before = Energy(mix.dryL, kRate - kRate / 10, kRate - kRate / 10 + kRate / 50);
    EXPECT_LT(atKick, before * 0.2);
}

TEST(Instruments, NotesHangingOverEitherEndAreCutNotWrittenOutside)
{
    Mix mix(kRate, 0.5, 1);
    Lead(mix, -0.3, 0.5, 72, 1.0f, 1.0f, Placement{});
    Crash(mix, 0.45, 1.0f, Placement{});
    Bass(mix, 0.49, 1.0, 33, 1.0f, BassTone{}, Placement{});
    Riser(mix, -1.0, 1.2, Placement{});
    Bell(mix, 10.0, 1.0, 80, 1.0f, Placement{});
    Kick(mix, 0.499, 1.0f, 1.0f, Placement{});
    EXPECT_EQ(mix.dryL.size(), mix.frames);
    EXPECT_GT(Energy(mix.dryL, 0, 100), 0.0) << "the part of the lead after 0 s is kept";
    for (float x : mix.dryL) ASSERT_TRUE(std::isfinite(x));
}

TEST(Instruments, EveryVoiceEndsInSilence)
{
    // Each voice must be back to exactly zero after its length, or notes would click off.
    struct Case {
        const char *name;
        void (*play)(Mix &);
    };
    const Case cases[] = {
        {"snare", [](Mix &m) { Snare(m, 0.0, 1.0f, Placement{}); }},
        {"clap", [](Mix &m) { Clap(m, 0.0, 1.0f, Placement{}); }},
        {"open hat", [](Mix &m) { HiHat(m, 0.0, 1.0f, true, Placement{}); }},
        {"bass", [](Mix &m) { Bass(m, 0.0, 0.3, 33, 1.0f, BassTone{}, Placement{}); }},
        {"lead", [](Mix &m) { Lead(m, 0.0, 0.3, 76, 1.0f, 1.0f, Placement{}); }},
        {"pad",
         [](Mix &m) {
             Pad(m, 0.0, 0.5, {57, 60, 64}, 800.0f, 3000.0f, Placement{});
         }},
        {"bell", [](Mix &m) { Bell(m, 0.0, 0.3, 76, 1.0f, Placement{}); }},
    };
    for (const Case &c : cases) {
        Mix mix(kRate, 4.0, 1);
        c.play(mix);
        EXPECT_GT(Energy(mix.dryL, 0, kRate / 4), 0.0) << c.name;
        // The last sample a voice writes should already be close to silence.
        size_t last = 0;
        for (size_t i = 0; i < mix.frames; ++i)
            if (mix.dryL[i] != 0.0f) last = i;
        EXPECT_LT(std::fabs(mix.dryL[last]), 0.01f)
            << c.name << " stops abruptly at sample " << last;
    }
}
