#include "canvas.h"

namespace imagegen {

Color Ramp(std::initializer_list<ColorStop> stops, double t)
{
    const ColorStop *first = stops.begin();
    const ColorStop *last = stops.end() - 1;
    if (t <= first->at) {
        return first->color;
    }
    for (const ColorStop *s = first; s != last; ++s) {
        const ColorStop *n = s + 1;
        if (t <= n->at) {
            double span = n->at - s->at;
            return Mix(s->color, n->color, span > 0 ? (t - s->at) / span : 1.0);
        }
    }
    return last->color;
}

void Canvas::AddWrapped(int x, int y, Color c)
{
    x %= width_;
    y %= height_;
    if (x < 0) {
        x += width_;
    }
    if (y < 0) {
        y += height_;
    }
    At(x, y) += c;
}

std::vector<unsigned char> Canvas::ToRgb8() const
{
    std::vector<unsigned char> out(pixels_.size() * 3);
    size_t i = 0;
    for (const Color &c : pixels_) {
        out[i++] = static_cast<unsigned char>(Clamp01(c.r) * 255.0 + 0.5);
        out[i++] = static_cast<unsigned char>(Clamp01(c.g) * 255.0 + 0.5);
        out[i++] = static_cast<unsigned char>(Clamp01(c.b) * 255.0 + 0.5);
    }
    return out;
}

}  // namespace imagegen
