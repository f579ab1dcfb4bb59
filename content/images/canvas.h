// Floating-point RGB canvas, colour arithmetic and small shaping helpers
// shared by the image generators.
#pragma once

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace imagegen {

struct Color {
    float r = 0, g = 0, b = 0;
    constexpr Color() = default;
    constexpr Color(float red, float green, float blue) : r(red), g(green), b(blue) {}
};

inline Color operator+(Color a, Color b)
{
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Color operator-(Color a, Color b)
{
    return {a.r - b.r, a.g - b.g, a.b - b.b};
}
inline Color operator*(Color a, Color b)
{
    return {a.r * b.r, a.g * b.g, a.b * b.b};
}
inline Color operator*(Color a, double k)
{
    return {float(a.r * k), float(a.g * k), float(a.b * k)};
}
inline Color operator*(double k, Color a)
{
    return a * k;
}
inline Color &operator+=(Color &a, Color b)
{
    return a = a + b;
}

// 0xRRGGBB to a colour.
constexpr Color Hex(uint32_t rgb)
{
    return {((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f};
}

// NaN maps to 0, so a stray division can never reach an 8-bit cast.
inline double Clamp01(double v)
{
    return v > 0 ? (v < 1 ? v : 1) : 0;
}
inline double Mix(double a, double b, double t)
{
    return a + (b - a) * t;
}
inline Color Mix(Color a, Color b, double t)
{
    return a + (b - a) * t;
}
inline double Fract(double v)
{
    return v - std::floor(v);
}
inline double Smoothstep(double e0, double e1, double x)
{
    double t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}
// Distance between two positions on a circle of circumference 1 (wrapped texture space).
inline double WrappedDistance(double a, double b)
{
    double d = Fract(a - b);
    return d < 0.5 ? d : 1 - d;
}
// Exposure curve: 0 stays 0, large values approach 1 without a hard clip.
inline Color Expose(Color c)
{
    return {float(1 - std::exp(-c.r)), float(1 - std::exp(-c.g)), float(1 - std::exp(-c.b))};
}

struct ColorStop {
    double at;
    Color color;
};
// Piecewise-linear colour ramp; stops must be in ascending order of 'at'.
Color Ramp(std::initializer_list<ColorStop> stops, double t);

class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height), pixels_(size_t(width) * height)
    {
    }
    int Width() const { return width_; }
    int Height() const { return height_; }
    Color &At(int x, int y) { return pixels_[size_t(y) * width_ + x]; }
    const Color &At(int x, int y) const { return pixels_[size_t(y) * width_ + x]; }
    // Adds to a pixel with both coordinates wrapped, for splats that cross the tile edge.
    void AddWrapped(int x, int y, Color c);

    // Sets every pixel from shader(u, v), u rightwards and v downwards in [0, 1),
    // averaging samples x samples points spread over the pixel (anti-aliasing).
    template <class Shader> void Shade(int samples, Shader shader)
    {
        const double inv = 1.0 / (samples * samples);
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                Color sum;
                for (int sy = 0; sy < samples; ++sy) {
                    for (int sx = 0; sx < samples; ++sx) {
                        double u = (x + (sx + 0.5) / samples) / width_;
                        double v = (y + (sy + 0.5) / samples) / height_;
                        sum += shader(u, v);
                    }
                }
                At(x, y) = sum * inv;
            }
        }
    }

    // 8-bit RGB, top row first, each channel clamped to [0, 1] and rounded.
    std::vector<unsigned char> ToRgb8() const;

private:
    int width_;
    int height_;
    std::vector<Color> pixels_;
};

}  // namespace imagegen
