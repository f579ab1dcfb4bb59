#include "offscreengl.h"

#include <GL/gl.h>
#include <stdlib.h>

#include <algorithm>

namespace showtest {

std::ostream &operator<<(std::ostream &out, Rgb c)
{
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

int ColourDistance(Rgb a, Rgb b)
{
    return std::max({abs(a.r - b.r), abs(a.g - b.g), abs(a.b - b.b)});
}

Rgb Image::At(int x, int y) const
{
    const unsigned char *p = &rgb[(size_t(y) * width + x) * 3];
    return {p[0], p[1], p[2]};
}

Rgb Image::Mean(int x, int y, int w, int h) const
{
    long sum[3] = {0, 0, 0};
    for (int j = y; j < y + h; j++) {
        for (int i = x; i < x + w; i++) {
            const Rgb c = At(i, j);
            sum[0] += c.r;
            sum[1] += c.g;
            sum[2] += c.b;
        }
    }
    const long n = long(w) * h;
    return {int((sum[0] + n / 2) / n), int((sum[1] + n / 2) / n), int((sum[2] + n / 2) / n)};
}

OffscreenGl::OffscreenGl(int width, int height)
    : width_(width), height_(height), buffer_(size_t(width) * height * 4)
{
    context_ = OSMesaCreateContextExt(OSMESA_RGBA, 24, 8, 0, NULL);
    if (!context_)
        return;
    if (!OSMesaMakeCurrent(context_, buffer_.data(), GL_UNSIGNED_BYTE, width, height)) {
        OSMesaDestroyContext(context_);
        context_ = NULL;
        return;
    }
    glViewport(0, 0, width, height);
}

OffscreenGl::~OffscreenGl()
{
    if (context_)
        OSMesaDestroyContext(context_);
}

Image OffscreenGl::Read() const
{
    Image image;
    image.width = width_;
    image.height = height_;
    image.rgb.resize(size_t(width_) * height_ * 3);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    std::vector<unsigned char> bottomUp(image.rgb.size());
    glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    const size_t row = size_t(width_) * 3;
    for (int y = 0; y < height_; y++)
        std::copy_n(&bottomUp[size_t(height_ - 1 - y) * row], row, &image.rgb[size_t(y) * row]);
    return image;
}

} // namespace showtest
