// An OpenGL context without a window (OSMesa), and reading its pixels back.
#ifndef SHOWTEST_OFFSCREENGL_H
#define SHOWTEST_OFFSCREENGL_H

#include <GL/osmesa.h>

#include <ostream>
#include <vector>

namespace showtest {

struct Rgb {
    int r = 0, g = 0, b = 0;
};
inline bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
inline bool operator!=(Rgb a, Rgb b) { return !(a == b); }
std::ostream &operator<<(std::ostream &out, Rgb c);
// Largest difference of the three channels.
int ColourDistance(Rgb a, Rgb b);

// 8-bit RGB pixels, top row first, no padding.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    Rgb At(int x, int y) const;
    // Mean colour of the w x h block at (x, y).
    Rgb Mean(int x, int y, int w, int h) const;
};

// Makes an RGBA context with a 24-bit depth and 8-bit stencil buffer current
// for the object's life.
class OffscreenGl {
public:
    explicit OffscreenGl(int width = 128, int height = 96);
    ~OffscreenGl();
    OffscreenGl(const OffscreenGl &) = delete;
    OffscreenGl &operator=(const OffscreenGl &) = delete;

    bool ok() const { return context_ != NULL; }
    int width() const { return width_; }
    int height() const { return height_; }
    // Waits for the drawing and reads the colour buffer.
    Image Read() const;

private:
    int width_;
    int height_;
    std::vector<unsigned char> buffer_;
    OSMesaContext context_ = NULL;
};

} // namespace showtest

#endif
