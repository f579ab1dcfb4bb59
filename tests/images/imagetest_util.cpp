#include "imagetest_util.h"

#include "SDL_image.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

Decoded DecodeWithSdlImage(const std::string &path)
{
    Decoded d;
    SDL_Surface *surface = IMG_Load(path.c_str());
    if (!surface) {
        return d;
    }
    const SDL_PixelFormat *f = surface->format;
    d.ok = true;
    d.width = surface->w;
    d.height = surface->h;
    d.bitsPerPixel = f->BitsPerPixel;
    // On this little-endian machine the byte at offset k has the mask 0xFF << (8 * k).
    d.rgbByteOrder = f->BytesPerPixel == 3 && f->Rmask == 0x0000FFu && f->Gmask == 0x00FF00u &&
                     f->Bmask == 0xFF0000u;
    if (f->BytesPerPixel == 3) {
        d.rgb.resize(size_t(d.width) * d.height * 3);
        SDL_LockSurface(surface);
        for (int y = 0; y < d.height; ++y) {
            std::memcpy(&d.rgb[size_t(y) * d.width * 3],
                        static_cast<unsigned char *>(surface->pixels) + y * surface->pitch,
                        size_t(d.width) * 3);
        }
        SDL_UnlockSurface(surface);
    }
    SDL_FreeSurface(surface);
    return d;
}

ScratchDir::ScratchDir(const std::string &tag)
{
    std::string pattern =
        (std::filesystem::temp_directory_path() / ("images-" + tag + "-XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) {
        throw std::runtime_error("mkdtemp failed for " + pattern);
    }
    path_ = buffer.data();
}

ScratchDir::~ScratchDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::vector<unsigned char> ReadFileBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>());
}

double MeanAbsDiff(const std::vector<unsigned char> &a, const std::vector<unsigned char> &b)
{
    if (a.size() != b.size() || a.empty()) {
        return -1;
    }
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        sum += std::abs(int(a[i]) - int(b[i]));
    }
    return sum / a.size();
}
