#include "offscreen.h"

#include <GL/gl.h>

#include <algorithm>

namespace headless {

OffscreenGl::OffscreenGl(int width, int height) : width_(width), height_(height)
{
    if (width < 1 || height < 1 || width > MaxSide || height > MaxSide) return;
    buffer_.assign(size_t(width) * height * 4, 0);
    context_ = OSMesaCreateContextExt(OSMESA_RGBA, 24, 8, 0, NULL);
    if (!context_) return;
    if (!OSMesaMakeCurrent(context_, buffer_.data(), GL_UNSIGNED_BYTE, width, height)) {
        OSMesaDestroyContext(context_);
        context_ = NULL;
        return;
    }
    glViewport(0, 0, width, height);
}

OffscreenGl::~OffscreenGl()
{
    if (context_) OSMesaDestroyContext(context_);
}

Image OffscreenGl::Read() const
{
    Image image;
    if (!ok()) return image;
    image.width = width_;
    image.height = height_;
    image.rgb.resize(size_t(width_) * height_ * 3);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    std::vector<unsigned char> bottomUp(image.rgb.size());
    glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    // GL rows run bottom up.
    const size_t row = size_t(width_) * 3;
    for (int y = 0; y < height_; y++)
        std::copy_n(&bottomUp[size_t(height_ - 1 - y) * row], row, &image.rgb[size_t(y) * row]);
    return image;
}

}  // namespace headless
