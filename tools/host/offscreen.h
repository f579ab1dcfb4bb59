// An OpenGL context without a window or X server (OSMesa), and its pictures
// read back top row first. Needs no part of the show: link `offscreengl`
// (CMake), or `showhost`, which brings it.
#ifndef SHOW_HOST_OFFSCREEN_H
#define SHOW_HOST_OFFSCREEN_H

#include <GL/osmesa.h>

#include <vector>

namespace headless {

// 8-bit RGB pixels, top row first, no padding.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

// An RGBA context with a 24-bit depth and an 8-bit stencil buffer, current
// from construction for the object's life, its viewport the whole picture.
// The same frame is bit-identical to one drawn through GLX on Mesa.
class OffscreenGl {
public:
    enum { MaxSide = 4096 };

    // Sides of 1 to MaxSide; otherwise, or when OSMesa cannot, ok() is false
    // and no context is current.
    OffscreenGl(int width, int height);
    ~OffscreenGl();
    OffscreenGl(const OffscreenGl &) = delete;
    OffscreenGl &operator=(const OffscreenGl &) = delete;

    bool ok() const { return context_ != nullptr; }
    int width() const { return width_; }
    int height() const { return height_; }
    // Waits for the drawing and reads the colour buffer (empty when !ok()).
    Image Read() const;

private:
    int width_;
    int height_;
    std::vector<unsigned char> buffer_;
    OSMesaContext context_ = nullptr;
};

}  // namespace headless

#endif
