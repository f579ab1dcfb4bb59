#include "noise.h"

#include <cmath>
#include <limits>

namespace imagegen {

uint32_t Rng::NextU32()
{
    state_ += 0x9E3779B97F4A7C15ull;
    uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<uint32_t>(z >> 32);
}

double Rng::Uniform()
{
    return NextU32() * (1.0 / 4294967296.0);
}

int Rng::Below(int n)
{
    return static_cast<int>(Uniform() * n);
}

uint32_t Hash2(int x, int y, uint32_t seed)
{
    uint32_t h = seed * 0x27D4EB2Du;
    h ^= static_cast<uint32_t>(x) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

double HashUnit(int x, int y, uint32_t seed)
{
    return Hash2(x, y, seed) * (1.0 / 4294967296.0);
}

int Wrap(int i, int period)
{
    int m = i % period;
    return m < 0 ? m + period : m;
}

namespace {

double Fade(double t)
{
    return t * t * t * (t * (t * 6 - 15) + 10);
}

double Lerp(double a, double b, double t)
{
    return a + (b - a) * t;
}

// Splits a coordinate into its lattice cell and the offset within it.
// floor, not truncation: negative coordinates must land in the cell to their left.
void Split(double v, int *cell, double *offset)
{
    double f = std::floor(v);
    *cell = static_cast<int>(f);
    *offset = v - f;
}

// Sixteen unit directions, evenly spread, for the gradient lattice.
struct GradientTable {
    double x[16];
    double y[16];
    GradientTable()
    {
        for (int i = 0; i < 16; ++i) {
            double a = (i + 0.5) * (2.0 * M_PI / 16.0);
            x[i] = std::cos(a);
            y[i] = std::sin(a);
        }
    }
};
const GradientTable kGradients;

double CornerDot(int cx, int cy, double ox, double oy, int periodX, int periodY, uint32_t seed)
{
    uint32_t h = Hash2(Wrap(cx, periodX), Wrap(cy, periodY), seed) >> 28;
    return kGradients.x[h] * ox + kGradients.y[h] * oy;
}

}  // namespace

double ValueNoise(double x, double y, int periodX, int periodY, uint32_t seed)
{
    int ix, iy;
    double fx, fy;
    Split(x, &ix, &fx);
    Split(y, &iy, &fy);
    int x0 = Wrap(ix, periodX), x1 = Wrap(ix + 1, periodX);
    int y0 = Wrap(iy, periodY), y1 = Wrap(iy + 1, periodY);
    double a = HashUnit(x0, y0, seed), b = HashUnit(x1, y0, seed);
    double c = HashUnit(x0, y1, seed), d = HashUnit(x1, y1, seed);
    double u = Fade(fx), v = Fade(fy);
    return Lerp(Lerp(a, b, u), Lerp(c, d, u), v);
}

double GradientNoise(double x, double y, int periodX, int periodY, uint32_t seed)
{
    int ix, iy;
    double fx, fy;
    Split(x, &ix, &fx);
    Split(y, &iy, &fy);
    double a = CornerDot(ix, iy, fx, fy, periodX, periodY, seed);
    double b = CornerDot(ix + 1, iy, fx - 1, fy, periodX, periodY, seed);
    double c = CornerDot(ix, iy + 1, fx, fy - 1, periodX, periodY, seed);
    double d = CornerDot(ix + 1, iy + 1, fx - 1, fy - 1, periodX, periodY, seed);
    double u = Fade(fx), v = Fade(fy);
    // Unit gradients reach at most sqrt(1/2) in 2D; scale to fill [-1, 1].
    double n = Lerp(Lerp(a, b, u), Lerp(c, d, u), v) * M_SQRT2;
    return n < -1 ? -1 : (n > 1 ? 1 : n);
}

double Fbm(double x, double y, int periodX, int periodY, int octaves, uint32_t seed)
{
    double sum = 0, amplitude = 1, total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * GradientNoise(x, y, periodX, periodY, seed + 7919u * i);
        total += amplitude;
        amplitude *= 0.5;
        x *= 2;
        y *= 2;
        periodX *= 2;
        periodY *= 2;
    }
    return total > 0 ? sum / total : 0;
}

double Turbulence(double x, double y, int periodX, int periodY, int octaves, uint32_t seed)
{
    double sum = 0, amplitude = 1, total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * std::fabs(GradientNoise(x, y, periodX, periodY, seed + 7919u * i));
        total += amplitude;
        amplitude *= 0.5;
        x *= 2;
        y *= 2;
        periodX *= 2;
        periodY *= 2;
    }
    return total > 0 ? sum / total : 0;
}

CellSample Worley(double x, double y, int periodX, int periodY, uint32_t seed)
{
    int ix, iy;
    double fx, fy;
    Split(x, &ix, &fx);
    Split(y, &iy, &fy);
    CellSample s;
    s.f1 = s.f2 = std::numeric_limits<double>::max();
    // A cell's own point can be up to sqrt(2) away, so points two cells off
    // still compete; the four far corners of the 5x5 block never can.
    for (int oy = -2; oy <= 2; ++oy) {
        for (int ox = -2; ox <= 2; ++ox) {
            if ((ox == -2 || ox == 2) && (oy == -2 || oy == 2)) {
                continue;
            }
            int wx = Wrap(ix + ox, periodX), wy = Wrap(iy + oy, periodY);
            uint32_t h = Hash2(wx, wy, seed);
            double px = ox + (h & 0xFFFF) / 65536.0;
            double py = oy + (h >> 16) / 65536.0;
            double dx = px - fx, dy = py - fy;
            double d = std::sqrt(dx * dx + dy * dy);
            if (d < s.f1) {
                s.f2 = s.f1;
                s.f1 = d;
                s.id = Hash2(wx, wy, seed ^ 0xA5A5A5A5u);
                s.dx = dx;
                s.dy = dy;
            } else if (d < s.f2) {
                s.f2 = d;
            }
        }
    }
    return s;
}

}  // namespace imagegen
