// Helpers shared by the image tests: decoding through SDL_image and scratch folders.
#pragma once

#include <string>
#include <vector>

struct Decoded {
    bool ok = false;
    int width = 0, height = 0;
    int bitsPerPixel = 0;
    bool rgbByteOrder = false;       // byte 0 of a pixel is red, 1 green, 2 blue
    std::vector<unsigned char> rgb;  // tightly packed, top row first (when 24-bit)
};

// Decodes a file with IMG_Load, as the show's texture loader does.
Decoded DecodeWithSdlImage(const std::string &path);

// A fresh empty folder under the system's temporary folder, removed by the destructor.
class ScratchDir {
public:
    explicit ScratchDir(const std::string &tag);
    ~ScratchDir();
    const std::string &Path() const { return path_; }

private:
    std::string path_;
};

std::vector<unsigned char> ReadFileBytes(const std::string &path);

// Mean absolute difference per byte; the sizes must match.
double MeanAbsDiff(const std::vector<unsigned char> &a, const std::vector<unsigned char> &b);
