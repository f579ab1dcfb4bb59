// Image file writers: 24-bit RGB pixels, three bytes per pixel in red, green,
// blue order, rows top first, no padding between rows.
#pragma once

#include <string>
#include <vector>

// Largest width or height the writers accept.
constexpr int kMaxImageSide = 32768;

// Writes an 8-bit RGB PNG through libpng. Answers false, with a message in
// *error (when error is not null), if the size is not 1..kMaxImageSide on each
// side, rgb does not hold exactly width * height * 3 bytes, or the file cannot
// be created or written; a partly written file is removed.
bool WritePng(const std::string &path, int width, int height, const std::vector<unsigned char> &rgb,
              std::string *error);

// Writes a baseline RGB JPEG through libjpeg with quality 1..100 (4:4:4, so
// thin coloured lines keep their colour). Fails like WritePng, and for a
// quality out of range.
bool WriteJpeg(const std::string &path, int width, int height,
               const std::vector<unsigned char> &rgb, int quality, std::string *error);
