// The offscreen GL context for tests, and the pictures read from it with
// what the tests ask of them.
#ifndef SHOWTEST_OFFSCREENGL_H
#define SHOWTEST_OFFSCREENGL_H

#include <ostream>

#include "offscreen.h"

namespace showtest {

using OffscreenGl = headless::OffscreenGl;

struct Rgb {
    int r = 0, g = 0, b = 0;
};
inline bool operator==(Rgb a, Rgb b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}
inline bool operator!=(Rgb a, Rgb b)
{
    return !(a == b);
}
std::ostream &operator<<(std::ostream &out, Rgb c);
// Largest difference of the three channels.
int ColourDistance(Rgb a, Rgb b);

// A picture read back, with the tests' ways of looking at it.
struct Image : headless::Image {
    Image() = default;
    Image(headless::Image &&read) : headless::Image(std::move(read)) {}

    Rgb At(int x, int y) const;
    // Mean colour of the w x h block at (x, y).
    Rgb Mean(int x, int y, int w, int h) const;
};

}  // namespace showtest

#endif
