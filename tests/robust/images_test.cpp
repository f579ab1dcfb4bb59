// The texture store on unusual and broken image files: each either ends the
// process with status 2 and its message, or uploads the colours that
// SDL_image decodes, converted to three bytes per texel.
#include <GL/gl.h>
#include <SDL/SDL_image.h>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "main.h"
#include "showfixture.h"
#include "texturemanager.h"

namespace {

using showtest::Rgb;

// Writes a PNG of any colour type and depth; samples as given, row by row.
bool WritePng(const std::string &path, int width, int height, int colourType, int depth,
              const std::vector<unsigned char> &samples)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, width, height, depth, colourType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const size_t rowBytes = samples.size() / height;
    for (int y = 0; y < height; y++)
        png_write_row(png, const_cast<unsigned char *>(&samples[y * rowBytes]));
    png_write_end(png, NULL);
    png_destroy_write_struct(&png, &info);
    return fclose(f) == 0;
}

// Writes a JPEG of 1 (grey), 3 (RGB) or 4 (CMYK) components at high quality.
bool WriteJpeg(const std::string &path, int width, int height, int components,
               const std::vector<unsigned char> &samples)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) return false;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 98, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row =
            const_cast<unsigned char *>(&samples[cinfo.next_scanline * width * components]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return fclose(f) == 0;
}

std::string ReadAll(const std::string &path)
{
    std::string bytes;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return bytes;
    char block[4096];
    size_t n;
    while ((n = fread(block, 1, sizeof block, f)) > 0) bytes.append(block, n);
    fclose(f);
    return bytes;
}

struct Texels {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    Rgb At(int x, int y) const
    {
        const unsigned char *p = &rgb[(size_t(y) * width + x) * 3];
        return {p[0], p[1], p[2]};
    }
};

// The colours SDL_image decodes, each pixel through SDL's own reading of its format.
bool Decode(const std::string &path, Texels *decoded)
{
    SDL_Surface *image = IMG_Load(path.c_str());
    if (!image) return false;
    decoded->width = image->w;
    decoded->height = image->h;
    SDL_LockSurface(image);
    const int bpp = image->format->BytesPerPixel;
    for (int y = 0; y < image->h; y++) {
        for (int x = 0; x < image->w; x++) {
            const Uint8 *p = static_cast<Uint8 *>(image->pixels) + y * image->pitch + x * bpp;
            Uint32 pixel = 0;
            for (int i = 0; i < bpp; i++)
                pixel |= Uint32(p[i])
                         << (SDL_BYTEORDER == SDL_LIL_ENDIAN ? 8 * i : 8 * (bpp - 1 - i));
            Uint8 r, g, b;
            SDL_GetRGB(pixel, image->format, &r, &g, &b);
            decoded->rgb.insert(decoded->rgb.end(), {r, g, b});
        }
    }
    SDL_UnlockSurface(image);
    SDL_FreeSurface(image);
    return true;
}

class ImageTest : public showtest::ShowCoreTest {
protected:
    std::string Path(const std::string &name) const { return workDir_.DataPath(name); }

    // Loads data/<name> into the store and reads back one mipmap level.
    Texels Upload(const std::string &name, int level = 0)
    {
        std::vector<char> writable(name.begin(), name.end());
        writable.push_back('\0');
        const int slot = textureManager->LoadTexture(writable.data());
        textureManager->BindTexture(slot);
        Texels t;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &t.width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &t.height);
        t.rgb.resize(size_t(t.width) * t.height * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, level, GL_RGB, GL_UNSIGNED_BYTE, t.rgb.data());
        return t;
    }

    // The upload equals what SDL_image decodes (power-of-two sizes only:
    // GLU rescales the others).
    void ExpectUploadMatchesDecoder(const std::string &name)
    {
        Texels decoded;
        ASSERT_TRUE(Decode(Path(name), &decoded)) << name << ": " << IMG_GetError();
        const Texels uploaded = Upload(name);
        ASSERT_EQ(uploaded.width, decoded.width);
        ASSERT_EQ(uploaded.height, decoded.height);
        for (int y = 0; y < decoded.height; y++) {
            for (int x = 0; x < decoded.width; x++)
                ASSERT_EQ(uploaded.At(x, y), decoded.At(x, y)) << name << " at " << x << ", " << y;
        }
    }

    void ExpectRefused(const std::string &name)
    {
        std::vector<char> writable(name.begin(), name.end());
        writable.push_back('\0');
        EXPECT_QUITS(textureManager->LoadTexture(writable.data()), 2,
                     "Error : Can't load texture data/" + name + "\n\n");
    }
};

const std::vector<unsigned char> Greys = {0, 40, 80, 120, 160, 200, 240, 255};

TEST_F(ImageTest, BrokenFilesEndTheProcessWithStatusTwo)
{
    ASSERT_TRUE(workDir_.WriteDataFile("empty.png", ""));
    ExpectRefused("empty.png");
    std::vector<unsigned char> rgb(16 * 16 * 3, 200);
    ASSERT_TRUE(WritePng(Path("whole.png"), 16, 16, PNG_COLOR_TYPE_RGB, 8, rgb));
    const std::string png = ReadAll(Path("whole.png"));
    ASSERT_TRUE(workDir_.WriteDataFile("cut.png", png.substr(0, png.size() / 2)));
    ExpectRefused("cut.png");
    ASSERT_TRUE(workDir_.WriteDataFile("header.png", png.substr(0, 8)));
    ExpectRefused("header.png");
    // A PNG signature before text.
    ASSERT_TRUE(workDir_.WriteDataFile("fake.png", png.substr(0, 8) + std::string(200, 'z')));
    ExpectRefused("fake.png");
}

TEST_F(ImageTest, CutJpegIsRefusedOrUploadsWhatDecodes)
{
    std::vector<unsigned char> rgb(32 * 32 * 3);
    for (size_t i = 0; i < rgb.size(); i++) rgb[i] = static_cast<unsigned char>(i / 96 * 8);
    ASSERT_TRUE(WriteJpeg(Path("whole.jpg"), 32, 32, 3, rgb));
    const std::string jpeg = ReadAll(Path("whole.jpg"));
    for (size_t keep : {size_t(2), size_t(100), jpeg.size() / 2, jpeg.size() - 2}) {
        const std::string name = "cut" + std::to_string(keep) + ".jpg";
        ASSERT_TRUE(workDir_.WriteDataFile(name, jpeg.substr(0, keep)));
        Texels decoded;
        if (Decode(Path(name), &decoded))
            ExpectUploadMatchesDecoder(name);
        else
            ExpectRefused(name);
    }
}

TEST_F(ImageTest, GreyWithAlphaUploadsTheGreys)
{
    std::vector<unsigned char> samples;
    for (size_t i = 0; i < Greys.size(); i++)
        samples.insert(samples.end(), {Greys[i], static_cast<unsigned char>(i * 30)});
    ASSERT_TRUE(WritePng(Path("ga.png"), 4, 2, PNG_COLOR_TYPE_GRAY_ALPHA, 8, samples));
    const Texels t = Upload("ga.png");
    ASSERT_EQ(t.width, 4);
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(t.At(i % 4, i / 4), (Rgb{Greys[i], Greys[i], Greys[i]})) << "texel " << i;
    ExpectUploadMatchesDecoder("ga.png");
}

TEST_F(ImageTest, SixteenBitPngUploadsItsHighBytes)
{
    std::vector<unsigned char> samples;
    for (int i = 0; i < 8; i++) {
        for (int c = 0; c < 3; c++)
            samples.insert(samples.end(), {static_cast<unsigned char>(i * 30 + c * 5), 0x7f});
    }
    ASSERT_TRUE(WritePng(Path("deep.png"), 4, 2, PNG_COLOR_TYPE_RGB, 16, samples));
    const Texels t = Upload("deep.png");
    ASSERT_EQ(t.width, 4);
    ASSERT_EQ(t.height, 2);
    for (int i = 0; i < 8; i++) {
        const int high = i * 30;
        EXPECT_LE(showtest::ColourDistance(t.At(i % 4, i / 4), Rgb{high, high + 5, high + 10}), 1)
            << "texel " << i;
    }
    std::vector<unsigned char> greys;
    for (unsigned char g : Greys) greys.insert(greys.end(), {g, 0});
    ASSERT_TRUE(WritePng(Path("deepgrey.png"), 4, 2, PNG_COLOR_TYPE_GRAY, 16, greys));
    const Texels grey = Upload("deepgrey.png");
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(grey.At(i % 4, i / 4), (Rgb{Greys[i], Greys[i], Greys[i]})) << "texel " << i;
}

TEST_F(ImageTest, GreyAndCmykJpegsUploadWhatDecodes)
{
    // 8x8 blocks of one value each survive JPEG almost unchanged.
    std::vector<unsigned char> grey(16 * 8), cmyk(16 * 8 * 4);
    for (int y = 0; y < 8; y++) {
        for (int x = 0; x < 16; x++) {
            grey[y * 16 + x] = x < 8 ? 60 : 190;
            const unsigned char ink[4] = {static_cast<unsigned char>(x < 8 ? 255 : 0), 128, 0, 30};
            for (int c = 0; c < 4; c++) cmyk[(y * 16 + x) * 4 + c] = ink[c];
        }
    }
    ASSERT_TRUE(WriteJpeg(Path("grey.jpg"), 16, 8, 1, grey));
    const Texels g = Upload("grey.jpg");
    ASSERT_EQ(g.width, 16);
    EXPECT_LE(showtest::ColourDistance(g.At(3, 3), Rgb{60, 60, 60}), 2) << g.At(3, 3);
    EXPECT_LE(showtest::ColourDistance(g.At(12, 3), Rgb{190, 190, 190}), 2) << g.At(12, 3);
    ExpectUploadMatchesDecoder("grey.jpg");
    ASSERT_TRUE(WriteJpeg(Path("cmyk.jpg"), 16, 8, 4, cmyk));
    ExpectUploadMatchesDecoder("cmyk.jpg");
}

TEST_F(ImageTest, OnePixel)
{
    ASSERT_TRUE(WritePng(Path("dot.png"), 1, 1, PNG_COLOR_TYPE_RGB, 8, {12, 34, 56}));
    const Texels t = Upload("dot.png");
    ASSERT_EQ(t.width, 1);
    ASSERT_EQ(t.height, 1);
    EXPECT_EQ(t.At(0, 0), (Rgb{12, 34, 56}));
}

TEST_F(ImageTest, LargeImage8192Square)
{
    const int side = 8192;
    std::vector<unsigned char> rgb(size_t(side) * side * 3);
    for (size_t i = 0; i < rgb.size(); i += 3) {
        rgb[i] = 10;
        rgb[i + 1] = 200;
        rgb[i + 2] = 90;
    }
    ASSERT_TRUE(WritePng(Path("huge.png"), side, side, PNG_COLOR_TYPE_RGB, 8, rgb));
    rgb.clear();
    rgb.shrink_to_fit();
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    // A level small enough to read back: GLU keeps the image whole when the
    // context allows, else scales it to the largest size first.
    const int level = largest >= side ? 7 : 6;
    const Texels t = Upload("huge.png", level);
    ASSERT_EQ(t.width, std::min(side, int(largest)) >> level);
    for (int y = 0; y < t.height; y += 13) {
        for (int x = 0; x < t.width; x += 17)
            ASSERT_LE(showtest::ColourDistance(t.At(x, y), Rgb{10, 200, 90}), 1) << x << ", " << y;
    }
}

}  // namespace
