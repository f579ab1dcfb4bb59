// Noise and random numbers: the properties the textures rely on to tile
// seamlessly and to come out the same on every run.
#include "images/noise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace imagegen;

using Field = std::function<double(double, double)>;

struct NamedField {
    std::string name;
    int periodX, periodY;
    Field f;
};

// Deliberately unequal periods, so swapped axes would show.
std::vector<NamedField> Fields()
{
    return {
        {"value", 5, 3, [](double x, double y) { return ValueNoise(x, y, 5, 3, 1); }},
        {"gradient", 5, 3, [](double x, double y) { return GradientNoise(x, y, 5, 3, 2); }},
        {"fbm", 5, 3, [](double x, double y) { return Fbm(x, y, 5, 3, 5, 3); }},
        {"turbulence", 5, 3, [](double x, double y) { return Turbulence(x, y, 5, 3, 4, 4); }},
        {"worley f1", 5, 3, [](double x, double y) { return Worley(x, y, 5, 3, 5).f1; }},
        {"worley f2", 5, 3, [](double x, double y) { return Worley(x, y, 5, 3, 5).f2; }},
    };
}

// Sample points that include negative coordinates and points on lattice lines.
std::vector<std::pair<double, double>> SamplePoints()
{
    std::vector<std::pair<double, double>> points;
    Rng rng(99);
    for (int i = 0; i < 400; ++i) {
        points.push_back({rng.Range(-12, 12), rng.Range(-12, 12)});
    }
    for (int k = -6; k <= 6; ++k) {
        points.push_back({double(k), 0.37 * k});
        points.push_back({0.61 * k, double(k)});
    }
    return points;
}

TEST(Noise, EveryFieldRepeatsWithItsPeriodInBothDirections)
{
    for (const NamedField &nf : Fields()) {
        for (auto [x, y] : SamplePoints()) {
            double here = nf.f(x, y);
            EXPECT_NEAR(nf.f(x + nf.periodX, y), here, 1e-9) << nf.name << " at " << x << "," << y;
            EXPECT_NEAR(nf.f(x - 2 * nf.periodX, y), here, 1e-9)
                << nf.name << " at " << x << "," << y;
            EXPECT_NEAR(nf.f(x, y + nf.periodY), here, 1e-9) << nf.name << " at " << x << "," << y;
            EXPECT_NEAR(nf.f(x, y - 3 * nf.periodY), here, 1e-9)
                << nf.name << " at " << x << "," << y;
        }
    }
}

TEST(Noise, FieldsAreContinuousAcrossCellEdgesAndTheWrap)
{
    // A jump at a lattice line (floor versus truncation, a wrong wrap in the
    // last cell, a non-matching corner) shows as a step across x = k.
    const double eps = 1e-7;
    for (const NamedField &nf : Fields()) {
        for (int k = -2 * nf.periodX; k <= 2 * nf.periodX; ++k) {
            for (double y : {-2.3, -0.5, 0.0, 0.4, 1.7, 2.99}) {
                EXPECT_NEAR(nf.f(k - eps, y), nf.f(k + eps, y), 1e-4)
                    << nf.name << " across x=" << k << " y=" << y;
                EXPECT_NEAR(nf.f(y, k - eps), nf.f(y, k + eps), 1e-4)
                    << nf.name << " across y=" << k << " x=" << y;
            }
        }
    }
}

TEST(Noise, WorleyNearestDistanceIsOneLipschitzAndConsistent)
{
    // F1 is a distance to a point set, so it cannot change faster than the
    // sample moves; a search that misses a closer point breaks this.
    Rng rng(7);
    for (int i = 0; i < 4000; ++i) {
        double x = rng.Range(-8, 8), y = rng.Range(-8, 8);
        double dx = rng.Range(-0.05, 0.05), dy = rng.Range(-0.05, 0.05);
        CellSample a = Worley(x, y, 4, 6, 11), b = Worley(x + dx, y + dy, 4, 6, 11);
        ASSERT_LE(std::fabs(a.f1 - b.f1), std::hypot(dx, dy) + 1e-12) << "at " << x << "," << y;
        ASSERT_LE(a.f1, a.f2);
        ASSERT_NEAR(a.f1, std::hypot(a.dx, a.dy), 1e-12);
        // The nearest point itself is at distance 0 from itself, with the same id.
        CellSample at = Worley(x + a.dx, y + a.dy, 4, 6, 11);
        ASSERT_NEAR(at.f1, 0.0, 1e-9);
        ASSERT_EQ(at.id, a.id);
    }
}

TEST(Noise, WorleyFindsTheTrueNearestAndSecondNearestPoints)
{
    // Gather the feature points by asking for the nearest one all over a
    // period, then check F1 and F2 against a search over all of them.
    const int px = 12, py = 10;
    const uint32_t seed = 11;
    std::set<std::pair<long, long>> keys;
    std::vector<std::pair<double, double>> points;
    for (double y = 0; y < py; y += 0.05) {
        for (double x = 0; x < px; x += 0.05) {
            CellSample s = Worley(x, y, px, py, seed);
            double fx = std::fmod(x + s.dx + px, double(px)),
                   fy = std::fmod(y + s.dy + py, double(py));
            if (keys.insert({std::lround(fx * 1e6), std::lround(fy * 1e6)}).second)
                points.push_back({fx, fy});
        }
    }
    ASSERT_EQ(points.size(), size_t(px * py)) << "one feature point per cell";
    Rng rng(5);
    for (int i = 0; i < 20000; ++i) {
        double x = rng.Range(0, px), y = rng.Range(0, py);
        double f1 = 1e9, f2 = 1e9;
        for (auto [fx, fy] : points) {
            for (int ox = -1; ox <= 1; ++ox) {
                for (int oy = -1; oy <= 1; ++oy) {
                    double d = std::hypot(fx + ox * px - x, fy + oy * py - y);
                    if (d < f1) {
                        f2 = f1;
                        f1 = d;
                    } else if (d < f2) {
                        f2 = d;
                    }
                }
            }
        }
        CellSample s = Worley(x, y, px, py, seed);
        ASSERT_NEAR(s.f1, f1, 1e-5) << "at " << x << "," << y;
        ASSERT_NEAR(s.f2, f2, 1e-5) << "at " << x << "," << y;
    }
}

TEST(Noise, RangesHoldAndFieldsAreNotFlat)
{
    struct Range {
        std::string name;
        double lo, hi, minSpread;
        Field f;
    };
    const std::vector<Range> ranges = {
        {"value", 0, 1, 0.15, [](double x, double y) { return ValueNoise(x, y, 8, 8, 1); }},
        {"gradient", -1, 1, 0.15, [](double x, double y) { return GradientNoise(x, y, 8, 8, 2); }},
        {"fbm", -1, 1, 0.1, [](double x, double y) { return Fbm(x, y, 8, 8, 6, 3); }},
        {"turbulence", 0, 1, 0.05, [](double x, double y) { return Turbulence(x, y, 8, 8, 6, 4); }},
    };
    Rng rng(3);
    for (const Range &r : ranges) {
        double sum = 0, sumSq = 0;
        const int n = 20000;
        for (int i = 0; i < n; ++i) {
            double v = r.f(rng.Range(0, 8), rng.Range(0, 8));
            ASSERT_GE(v, r.lo) << r.name;
            ASSERT_LE(v, r.hi) << r.name;
            sum += v;
            sumSq += v * v;
        }
        double mean = sum / n, spread = std::sqrt(sumSq / n - mean * mean);
        EXPECT_GT(spread, r.minSpread) << r.name;
    }
    // Gradient noise passes through zero at every lattice point.
    for (int x = -3; x <= 3; ++x) {
        for (int y = -3; y <= 3; ++y) {
            EXPECT_NEAR(GradientNoise(x, y, 4, 4, 9), 0.0, 1e-12);
        }
    }
}

TEST(Noise, SeedsSelectFieldsAndTheSameSeedGivesTheSameField)
{
    int differ = 0;
    for (int i = 0; i < 50; ++i) {
        double x = 0.37 + i * 0.71, y = 0.13 + i * 0.29;
        EXPECT_EQ(Fbm(x, y, 16, 16, 5, 42), Fbm(x, y, 16, 16, 5, 42));
        differ += Fbm(x, y, 16, 16, 5, 42) != Fbm(x, y, 16, 16, 5, 43);
    }
    EXPECT_GT(differ, 45);
}

TEST(Random, WrapIsAPositiveModulo)
{
    EXPECT_EQ(Wrap(-1, 8), 7);
    EXPECT_EQ(Wrap(-8, 8), 0);
    EXPECT_EQ(Wrap(-9, 8), 7);
    EXPECT_EQ(Wrap(9, 8), 1);
    EXPECT_EQ(Wrap(0, 1), 0);
}

TEST(Random, RngIsRepeatableUniformAndInRange)
{
    Rng a(123), b(123), c(124);
    std::vector<uint32_t> first;
    int sameAsOtherSeed = 0;
    for (int i = 0; i < 100; ++i) {
        uint32_t v = a.NextU32();
        first.push_back(v);
        EXPECT_EQ(v, b.NextU32());
        sameAsOtherSeed += v == c.NextU32();
    }
    EXPECT_LT(sameAsOtherSeed, 3);
    EXPECT_GT(std::set<uint32_t>(first.begin(), first.end()).size(), 95u);

    Rng r(5);
    const int n = 100000, buckets = 10;
    std::vector<int> counts(buckets);
    for (int i = 0; i < n; ++i) {
        double u = r.Uniform();
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
        int k = r.Below(buckets);
        ASSERT_GE(k, 0);
        ASSERT_LT(k, buckets);
        counts[k]++;
    }
    for (int k = 0; k < buckets; ++k) {
        EXPECT_NEAR(counts[k], n / buckets, n / buckets * 0.05) << "bucket " << k;
    }
}

TEST(Random, HashSpreadsNeighbouringLatticePoints)
{
    // Neighbouring cells must not get correlated values, or value noise shows grid artefacts.
    std::set<uint32_t> seen;
    int highBitOn = 0;
    for (int y = -16; y < 16; ++y) {
        for (int x = -16; x < 16; ++x) {
            uint32_t h = Hash2(x, y, 77);
            seen.insert(h);
            highBitOn += (h >> 31) & 1;
        }
    }
    EXPECT_EQ(seen.size(), 1024u);
    EXPECT_NEAR(highBitOn, 512, 80);
}

}  // namespace
