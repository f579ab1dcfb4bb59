// WritePng / WriteJpeg: files that SDL_image reads back as the bytes given,
// and clear refusals for bad input and unwritable paths.
#include "images/png.h"

#include "imagetest_util.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

// Every pixel different, and an odd width so rows are not a multiple of 4 bytes.
std::vector<unsigned char> Pattern(int w, int h)
{
    std::vector<unsigned char> rgb(size_t(w) * h * 3);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            unsigned char *p = &rgb[(size_t(y) * w + x) * 3];
            p[0] = static_cast<unsigned char>(x * 40 + 7);
            p[1] = static_cast<unsigned char>(y * 60 + 3);
            p[2] = static_cast<unsigned char>(x * 13 + y * 90);
        }
    }
    return rgb;
}

bool Exists(const std::string &path)
{
    return std::filesystem::exists(path);
}

TEST(ImageWriters, PngRoundTripsExactlyTopRowFirstInRgbOrder)
{
    ScratchDir dir("png");
    const int w = 5, h = 3;
    std::vector<unsigned char> rgb = Pattern(w, h);
    std::string path = dir.Path() + "/pattern.png";
    std::string error;
    ASSERT_TRUE(WritePng(path, w, h, rgb, &error)) << error;

    Decoded d = DecodeWithSdlImage(path);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.width, w);
    EXPECT_EQ(d.height, h);
    EXPECT_EQ(d.bitsPerPixel, 24);
    EXPECT_TRUE(d.rgbByteOrder);
    EXPECT_EQ(d.rgb, rgb);
}

TEST(ImageWriters, JpegDecodesCloseToTheSourceWithColoursInPlace)
{
    ScratchDir dir("jpg");
    const int w = 64, h = 32;
    std::vector<unsigned char> rgb(size_t(w) * h * 3);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            unsigned char *p = &rgb[(size_t(y) * w + x) * 3];
            // Left half red, right half blue, a vertical ramp in green.
            p[0] = x < w / 2 ? 220 : 20;
            p[1] = static_cast<unsigned char>(y * 8);
            p[2] = x < w / 2 ? 20 : 220;
        }
    }
    std::string path = dir.Path() + "/halves.jpg";
    std::string error;
    ASSERT_TRUE(WriteJpeg(path, w, h, rgb, 95, &error)) << error;

    Decoded d = DecodeWithSdlImage(path);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.bitsPerPixel, 24);
    EXPECT_TRUE(d.rgbByteOrder);
    ASSERT_EQ(d.rgb.size(), rgb.size());
    EXPECT_LT(MeanAbsDiff(d.rgb, rgb), 3.0);
    const unsigned char *topLeft = &d.rgb[(2 * w + 4) * 3];
    const unsigned char *bottomRight = &d.rgb[((h - 3) * w + w - 5) * 3];
    EXPECT_GT(topLeft[0], 200);
    EXPECT_LT(topLeft[2], 40);
    EXPECT_GT(bottomRight[2], 200);
    EXPECT_GT(bottomRight[1], 200) << "the green ramp must grow downwards (top row first)";
}

TEST(ImageWriters, RejectBadSizesWithoutCreatingAFile)
{
    ScratchDir dir("sizes");
    std::string path = dir.Path() + "/bad.png";
    struct Case {
        int w, h;
        size_t bytes;
    };
    const Case cases[] = {
        {0, 4, 0},              // empty width
        {4, -1, 0},             // negative height
        {4, 4, 4 * 4 * 3 - 1},  // one byte short
        {4, 4, 4 * 4 * 3 + 1},  // one byte over
        {4, 4, 4 * 4 * 4},      // RGBA-sized buffer
        {kMaxImageSide + 1, 1, size_t(kMaxImageSide + 1) * 3},
    };
    for (const Case &c : cases) {
        std::vector<unsigned char> rgb(c.bytes, 128);
        std::string error;
        EXPECT_FALSE(WritePng(path, c.w, c.h, rgb, &error)) << c.w << "x" << c.h;
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_FALSE(WriteJpeg(path, c.w, c.h, rgb, 90, &error)) << c.w << "x" << c.h;
        EXPECT_FALSE(Exists(path));
    }
    std::vector<unsigned char> rgb = Pattern(4, 4);
    std::string error;
    EXPECT_FALSE(WriteJpeg(path, 4, 4, rgb, 0, &error));
    EXPECT_NE(error.find("quality"), std::string::npos) << error;
    EXPECT_FALSE(WriteJpeg(path, 4, 4, rgb, 101, &error));
    EXPECT_FALSE(WritePng(path, 0, 0, {}, nullptr)) << "a null error pointer is allowed";
}

TEST(ImageWriters, ReportUnwritablePaths)
{
    ScratchDir dir("paths");
    std::vector<unsigned char> rgb = Pattern(4, 4);
    const std::string missingFolder = dir.Path() + "/no/such/folder/x.png";
    const std::string folder = dir.Path();
    for (const std::string &path : {missingFolder, folder}) {
        std::string error;
        EXPECT_FALSE(WritePng(path, 4, 4, rgb, &error)) << path;
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
        error.clear();
        EXPECT_FALSE(WriteJpeg(path, 4, 4, rgb, 90, &error)) << path;
        EXPECT_NE(error.find(path), std::string::npos) << error;
    }
    EXPECT_FALSE(Exists(missingFolder));
}

TEST(ImageWriters, ReportAFullDeviceAndLeaveItAlone)
{
    // /dev/full opens but refuses every byte: small files fail when flushed at
    // close, large ones inside the encoder.
    const std::string device = "/dev/full";
    struct stat before;
    if (stat(device.c_str(), &before) != 0) {
        GTEST_SKIP() << "no /dev/full here";
    }
    for (int side : {4, 512}) {
        std::vector<unsigned char> rgb(size_t(side) * side * 3, 77);
        for (size_t i = 0; i < rgb.size(); ++i) {
            rgb[i] = static_cast<unsigned char>(i * 2654435761u >> 13);  // incompressible
        }
        std::string error;
        EXPECT_FALSE(WritePng(device, side, side, rgb, &error)) << side;
        EXPECT_NE(error.find(device), std::string::npos) << error;
        error.clear();
        EXPECT_FALSE(WriteJpeg(device, side, side, rgb, 90, &error)) << side;
        EXPECT_NE(error.find(device), std::string::npos) << error;
    }
    struct stat after;
    ASSERT_EQ(stat(device.c_str(), &after), 0);
    EXPECT_TRUE(S_ISCHR(after.st_mode));
}

TEST(ImageWriters, OverwriteAnExistingFile)
{
    ScratchDir dir("overwrite");
    std::string path = dir.Path() + "/again.png";
    std::string error;
    ASSERT_TRUE(WritePng(path, 8, 8, std::vector<unsigned char>(8 * 8 * 3, 255), &error)) << error;
    ASSERT_TRUE(WritePng(path, 5, 3, Pattern(5, 3), &error)) << error;
    Decoded d = DecodeWithSdlImage(path);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.width, 5);
    EXPECT_EQ(d.rgb, Pattern(5, 3));
}

}  // namespace
