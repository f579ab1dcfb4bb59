#include "testimages.h"

#include <SDL/SDL.h>
#include <SDL/SDL_image.h>
#include <png.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <filesystem>

#include "images/png.h"

namespace showtest {

namespace {

// Writes 8-bit samples of any PNG colour type through libpng.
::testing::AssertionResult WritePngOfType(const std::string &path, int width, int height,
                                          int colourType, int channels,
                                          const std::vector<unsigned char> &samples,
                                          const std::vector<Rgb> &palette)
{
    if (samples.size() != size_t(width) * height * channels)
        return ::testing::AssertionFailure() << path << ": " << samples.size() << " samples for "
                                             << width << "x" << height << "x" << channels;
    FILE *out = fopen(path.c_str(), "wb");
    if (!out) return ::testing::AssertionFailure() << "cannot create " << path;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL);
    png_infop info = png ? png_create_info_struct(png) : NULL;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        fclose(out);
        return ::testing::AssertionFailure() << "libpng failed on " << path;
    }
    png_init_io(png, out);
    png_set_IHDR(png, info, width, height, 8, colourType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> entries;
    for (Rgb c : palette) entries.push_back({png_byte(c.r), png_byte(c.g), png_byte(c.b)});
    if (colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_PLTE(png, info, entries.data(), int(entries.size()));
    png_write_info(png, info);
    for (int y = 0; y < height; y++) png_write_row(png, &samples[size_t(y) * width * channels]);
    png_write_end(png, NULL);
    png_destroy_write_struct(&png, &info);
    if (fclose(out) != 0) return ::testing::AssertionFailure() << "cannot write " << path;
    return ::testing::AssertionSuccess();
}

}  // namespace

std::vector<unsigned char> SolidRgb(int width, int height, Rgb colour)
{
    return RgbFrom(std::vector<Rgb>(size_t(width) * height, colour));
}

std::vector<unsigned char> RgbFrom(const std::vector<Rgb> &pixels)
{
    std::vector<unsigned char> rgb;
    for (Rgb c : pixels) {
        rgb.push_back(static_cast<unsigned char>(c.r));
        rgb.push_back(static_cast<unsigned char>(c.g));
        rgb.push_back(static_cast<unsigned char>(c.b));
    }
    return rgb;
}

::testing::AssertionResult WriteRgbPng(const std::string &path, int width, int height,
                                       const std::vector<unsigned char> &rgb)
{
    std::string error;
    if (!WritePng(path, width, height, rgb, &error)) return ::testing::AssertionFailure() << error;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult WriteGreyPng(const std::string &path, int width, int height,
                                        const std::vector<unsigned char> &grey)
{
    return WritePngOfType(path, width, height, PNG_COLOR_TYPE_GRAY, 1, grey, {});
}

::testing::AssertionResult WriteRgbaPng(const std::string &path, int width, int height,
                                        const std::vector<unsigned char> &rgba)
{
    return WritePngOfType(path, width, height, PNG_COLOR_TYPE_RGB_ALPHA, 4, rgba, {});
}

::testing::AssertionResult WritePalettePng(const std::string &path, int width, int height,
                                           const std::vector<Rgb> &palette,
                                           const std::vector<unsigned char> &indices)
{
    return WritePngOfType(path, width, height, PNG_COLOR_TYPE_PALETTE, 1, indices, palette);
}

::testing::AssertionResult WriteBmp(const std::string &path, int width, int height,
                                    const std::vector<unsigned char> &rgb)
{
    if (rgb.size() != size_t(width) * height * 3)
        return ::testing::AssertionFailure() << path << ": wrong pixel count";
    // BMP keeps blue, green, red: a surface with those masks is saved as is.
    SDL_Surface *image =
        SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 24, 0xff0000, 0x00ff00, 0x0000ff, 0);
    if (!image) return ::testing::AssertionFailure() << SDL_GetError();
    for (int y = 0; y < height; y++) {
        unsigned char *row = static_cast<unsigned char *>(image->pixels) + size_t(y) * image->pitch;
        for (int x = 0; x < width; x++) {
            const unsigned char *p = &rgb[(size_t(y) * width + x) * 3];
            Uint32 value = (Uint32(p[0]) << 16) | (Uint32(p[1]) << 8) | p[2];
            memcpy(row + x * 3, &value, 3);  // little-endian: blue, green, red
        }
    }
    const int failed = SDL_SaveBMP(image, path.c_str());
    SDL_FreeSurface(image);
    if (failed)
        return ::testing::AssertionFailure() << "cannot write " << path << ": " << SDL_GetError();
    return ::testing::AssertionSuccess();
}

bool LoadImage(const std::string &path, Image *image)
{
    SDL_Surface *decoded = IMG_Load(path.c_str());
    if (!decoded) return false;
    SDL_Surface *rgb = SDL_CreateRGBSurface(SDL_SWSURFACE, decoded->w, decoded->h, 32, 0x000000ff,
                                            0x0000ff00, 0x00ff0000, 0);
    if (!rgb) {
        SDL_FreeSurface(decoded);
        return false;
    }
    SDL_SetAlpha(decoded, 0, 255);
    SDL_BlitSurface(decoded, NULL, rgb, NULL);
    image->width = decoded->w;
    image->height = decoded->h;
    image->rgb.clear();
    for (int y = 0; y < rgb->h; y++) {
        const Uint32 *row = reinterpret_cast<const Uint32 *>(
            static_cast<unsigned char *>(rgb->pixels) + size_t(y) * rgb->pitch);
        for (int x = 0; x < rgb->w; x++) {
            image->rgb.push_back(row[x] & 0xff);
            image->rgb.push_back((row[x] >> 8) & 0xff);
            image->rgb.push_back((row[x] >> 16) & 0xff);
        }
    }
    SDL_FreeSurface(rgb);
    SDL_FreeSurface(decoded);
    return true;
}

::testing::AssertionResult MatchesReference(const Image &image, const ReferenceDirs &dirs,
                                            const std::string &name, int channelTolerance,
                                            double outlierFraction)
{
    const std::string reference = dirs.references + "/" + name + ".png";
    const char *update = getenv("SHOW_UPDATE_REFERENCES");
    if (update && strcmp(update, "1") == 0) {
        ::testing::AssertionResult written =
            WriteRgbPng(reference, image.width, image.height, image.rgb);
        if (written) printf("wrote reference %s\n", reference.c_str());
        return written;
    }

    Image expected;
    if (!LoadImage(reference, &expected))
        return ::testing::AssertionFailure()
               << "no reference " << reference << " (make it with SHOW_UPDATE_REFERENCES=1)";
    if (expected.width != image.width || expected.height != image.height)
        return ::testing::AssertionFailure()
               << name << ": picture is " << image.width << "x" << image.height << ", reference "
               << expected.width << "x" << expected.height;
    long outliers = 0;
    int worst = 0, worstX = 0, worstY = 0;
    for (int y = 0; y < image.height; y++) {
        for (int x = 0; x < image.width; x++) {
            const int d = ColourDistance(image.At(x, y), expected.At(x, y));
            if (d > channelTolerance) outliers++;
            if (d > worst) {
                worst = d;
                worstX = x;
                worstY = y;
            }
        }
    }
    const long allowed = long(outlierFraction * image.width * image.height);
    if (outliers <= allowed) return ::testing::AssertionSuccess();

    std::error_code ignored;
    std::filesystem::create_directories(dirs.failed, ignored);
    const std::string actual = dirs.failed + "/" + name + ".png";
    WriteRgbPng(actual, image.width, image.height, image.rgb);
    return ::testing::AssertionFailure()
           << name << ": " << outliers << " pixels differ by more than " << channelTolerance
           << " (at most " << allowed << " may); worst at (" << worstX << ", " << worstY
           << "): " << image.At(worstX, worstY) << " where the reference has "
           << expected.At(worstX, worstY) << "; picture written to " << actual;
}

}  // namespace showtest
