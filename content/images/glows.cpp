// Glow images for additive drawing: black adds nothing, so each one is light
// on exact black. Everything on and outside the inscribed circle is forced to
// zero, so a quad carrying one never shows its edges.
#include "generators.h"
#include "noise.h"

#include <algorithm>
#include <cmath>

namespace imagegen {

namespace {

double Sq(double v)
{
    return v * v;
}

// Gaussian-like falloff from 1 at r = 0 to exactly 0 at r = 1.
double Falloff(double r, double sharpness)
{
    if (r >= 1) return 0;
    return (std::exp(-r * r * sharpness) - std::exp(-sharpness)) / (1 - std::exp(-sharpness));
}

// Calls light(x, y) with x right and y down, both in [-1, 1] across the
// image, and clears everything from the inscribed circle outwards.
template <class Light> Canvas RenderGlow(int w, int h, int samples, Light light)
{
    Canvas c(w, h);
    c.Shade(samples, [&](double u, double v) {
        double x = 2 * u - 1, y = 2 * v - 1;
        if (x * x + y * y >= 1) return Color();
        return light(x, y);
    });
    return c;
}

// A soft round glow: white-hot in the middle, 'tint' in the halo.
Canvas SoftGlow(int w, int h, Color tint)
{
    return RenderGlow(w, h, 1, [&](double x, double y) {
        double r = std::hypot(x, y);
        double halo = Falloff(r, 5.0);
        double core = Falloff(r, 40.0);
        return Expose(tint * (2.2 * halo) + Color(1, 1, 1) * (2.5 * core));
    });
}

}  // namespace

Canvas GlowWhite(int w, int h)
{
    return SoftGlow(w, h, Color(1.0f, 0.95f, 0.85f));
}
Canvas GlowBlue(int w, int h)
{
    return SoftGlow(w, h, Color(0.15f, 0.45f, 1.3f));
}
Canvas GlowOrange(int w, int h)
{
    return SoftGlow(w, h, Color(1.3f, 0.45f, 0.08f));
}
Canvas GlowMagenta(int w, int h)
{
    return SoftGlow(w, h, Color(1.2f, 0.12f, 0.9f));
}

Canvas Beam(int w, int h)
{
    return RenderGlow(w, h, 2, [](double x, double y) {
        double along = std::pow(1 - x * x, 1.5);
        double core = std::exp(-Sq(y / (0.05 + 0.04 * along)));
        double halo = std::exp(-Sq(y / 0.35)) * (1 - y * y);
        return Expose(Color(0.3f, 0.8f, 1.4f) * (along * (1.8 * halo)) +
                      Color(1, 1, 1) * (along * 2.5 * core));
    });
}

Canvas FlareRing(int w, int h)
{
    return RenderGlow(w, h, 2, [](double x, double y) {
        double r = std::hypot(x, y);
        // Red, green and blue rings at slightly different radii: a chromatic rim.
        auto ring = [r](double radius) { return std::exp(-Sq((r - radius) / 0.035)); };
        double haze = 0.12 * Falloff(r / 0.72, 2.0);
        double fade = 1 - Smoothstep(0.85, 1.0, r);
        return Color(float(0.85 * ring(0.74) + haze * 0.7), float(0.75 * ring(0.71) + haze * 0.5),
                     float(0.9 * ring(0.68) + haze * 1.0)) *
               fade;
    });
}

Canvas Particle(int w, int h)
{
    return RenderGlow(w, h, 2, [](double x, double y) {
        double r = std::hypot(x, y);
        double core = std::exp(-r * r / 0.006);
        double halo = Falloff(r, 8.0);
        return Expose(Color(1.0f, 0.9f, 0.6f) * (0.8 * halo) + Color(1, 1, 1) * (3.0 * core));
    });
}

Canvas Sparkle(int w, int h)
{
    return RenderGlow(w, h, 2, [](double x, double y) {
        double r = std::hypot(x, y);
        auto spike = [](double along, double across, double length, double width) {
            double a = std::fabs(along) / length;
            if (a >= 1) return 0.0;
            return std::pow(1 - a, 3) * std::exp(-Sq(across / (width * (1 - 0.7 * a))));
        };
        double d1 = (x + y) * M_SQRT1_2, d2 = (x - y) * M_SQRT1_2;
        double spikes = spike(x, y, 1.0, 0.02) + spike(y, x, 1.0, 0.02) +
                        0.6 * spike(d1, d2, 0.55, 0.015) + 0.6 * spike(d2, d1, 0.55, 0.015);
        double core = Falloff(r, 30.0);
        double halo = Falloff(r, 6.0);
        return Expose(Color(0.7f, 0.85f, 1.3f) * (1.6 * spikes + 0.5 * halo) +
                      Color(1, 1, 1) * (2.5 * core));
    });
}

Canvas FlareHex(int w, int h)
{
    const double root3 = std::sqrt(3.0);
    return RenderGlow(w, h, 3, [&](double x, double y) {
        // Flat-topped hexagon: the ghost of a six-bladed aperture.
        double ax = std::fabs(x), ay = std::fabs(y);
        double hd = std::max(ay, 0.5 * ay + root3 / 2 * ax) / (root3 / 2);
        double body = 1 - Smoothstep(0.66, 0.7, hd);
        double rim = std::exp(-Sq((hd - 0.68) / 0.03));
        double fade = 1 - Smoothstep(0.9, 1.0, std::hypot(x, y));
        return Expose(Color(0.4f, 1.0f, 0.75f) * ((0.35 * body + 1.6 * rim) * fade));
    });
}

}  // namespace imagegen
