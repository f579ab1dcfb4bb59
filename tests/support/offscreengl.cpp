#include "offscreengl.h"

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

}  // namespace showtest
