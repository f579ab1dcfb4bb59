// Deterministic random numbers and tileable noise for the image generators.
// Every function here is a pure function of its arguments, so an image made
// from constant seeds has the same bytes on every run.
#pragma once

#include <cstdint>

namespace imagegen {

// splitmix64: small, fast, and its stream depends on nothing but the seed.
class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}
    uint32_t NextU32();
    // Uniform in [0, 1).
    double Uniform();
    // Uniform in [lo, hi).
    double Range(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
    // Uniform integer in [0, n); n must be positive.
    int Below(int n);

private:
    uint64_t state_;
};

// Integer hash of a lattice point; the same (x, y, seed) always gives the same word.
uint32_t Hash2(int x, int y, uint32_t seed);
// Hash2 scaled to [0, 1).
double HashUnit(int x, int y, uint32_t seed);

// Modulo that is never negative: Wrap(-1, 8) == 7. period must be positive.
int Wrap(int i, int period);

// All noise below is periodic: f(x + periodX, y) == f(x, y) == f(x, y + periodY),
// so sampling x in [0, periodX) over an image's width gives a seamless tile.
// Periods are in lattice cells and must be at least 1.

// Value noise with quintic interpolation, in [0, 1].
double ValueNoise(double x, double y, int periodX, int periodY, uint32_t seed);

// Gradient (Perlin) noise, in [-1, 1], 0 at every lattice point.
double GradientNoise(double x, double y, int periodX, int periodY, uint32_t seed);

// Fractal sum of gradient noise: octave i samples at 2^i times the frequency
// (and period), with amplitude 0.5^i; normalised so the result stays in [-1, 1].
double Fbm(double x, double y, int periodX, int periodY, int octaves, uint32_t seed);

// Like Fbm but summing |noise|: ridged, billowy patterns, in [0, 1].
double Turbulence(double x, double y, int periodX, int periodY, int octaves, uint32_t seed);

// Cellular (Worley) noise: one feature point per lattice cell.
struct CellSample {
    double f1 = 0;    // distance to the nearest feature point
    double f2 = 0;    // distance to the second nearest
    uint32_t id = 0;  // hash of the nearest point's cell (wrapped), stable per cell
    double dx = 0;    // offset from the sample to the nearest point
    double dy = 0;
};
CellSample Worley(double x, double y, int periodX, int periodY, uint32_t seed);

}  // namespace imagegen
