// Image files for tests, in the formats SDL_image decodes, and comparison of
// rendered pictures with stored reference images.
#ifndef SHOWTEST_TESTIMAGES_H
#define SHOWTEST_TESTIMAGES_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "offscreengl.h"

namespace showtest {

// w x h pixels of one colour, three bytes each, top row first.
std::vector<unsigned char> SolidRgb(int width, int height, Rgb colour);
// Pixels from a colour per position.
std::vector<unsigned char> RgbFrom(const std::vector<Rgb> &pixels);

// 8-bit RGB PNG (decodes to 24-bit RGB surfaces).
::testing::AssertionResult WriteRgbPng(const std::string &path, int width, int height,
                                       const std::vector<unsigned char> &rgb);
// 8-bit greyscale PNG (decodes to 8-bit palette surfaces).
::testing::AssertionResult WriteGreyPng(const std::string &path, int width, int height,
                                        const std::vector<unsigned char> &grey);
// 8-bit RGBA PNG (decodes to 32-bit surfaces with alpha).
::testing::AssertionResult WriteRgbaPng(const std::string &path, int width, int height,
                                        const std::vector<unsigned char> &rgba);
// 8-bit palette PNG: one index per pixel into palette.
::testing::AssertionResult WritePalettePng(const std::string &path, int width, int height,
                                           const std::vector<Rgb> &palette,
                                           const std::vector<unsigned char> &indices);
// 24-bit BMP (decodes to blue-green-red byte order).
::testing::AssertionResult WriteBmp(const std::string &path, int width, int height,
                                    const std::vector<unsigned char> &rgb);

// Where reference images live and where a picture that does not match is
// written for a person to look at.
struct ReferenceDirs {
    std::string references;
    std::string failed;
};

// Compares image with <references>/<name>.png: every channel of every pixel
// within channelTolerance, except at most outlierFraction of the pixels
// (edges may fall differently on another rasteriser). With the environment
// variable SHOW_UPDATE_REFERENCES=1 the reference is (re)written instead.
::testing::AssertionResult MatchesReference(const Image &image, const ReferenceDirs &dirs,
                                            const std::string &name, int channelTolerance = 8,
                                            double outlierFraction = 0.002);

// Decodes an image file with SDL_image into 8-bit RGB; false when it does not decode.
bool LoadImage(const std::string &path, Image *image);

}  // namespace showtest

#endif
