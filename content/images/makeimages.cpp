// makeimages DIR        writes every catalogue image into DIR
// makeimages --list     prints the catalogue: file, size, kind, description
// makeimages --time     renders each image once (one thread) and prints its time
#include "images.h"

#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

int List()
{
    for (const ImageInfo &info : ImageCatalogue()) {
        std::printf("%-18s %3dx%-3d %-7s %s\n", info.file.c_str(), info.width, info.height,
                    info.kind.c_str(), info.description.c_str());
    }
    return 0;
}

int Time()
{
    double total = 0;
    for (const ImageInfo &info : ImageCatalogue()) {
        auto start = Clock::now();
        int w = 0, h = 0;
        RenderImage(info.file, &w, &h);
        double ms = MsSince(start);
        total += ms;
        std::printf("%-18s %7.1f ms\n", info.file.c_str(), ms);
    }
    std::printf("%-18s %7.1f ms (render only, one thread)\n", "total", total);
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR | --list | --time\n", argv[0]);
        return 2;
    }
    if (std::strcmp(argv[1], "--list") == 0) return List();
    if (std::strcmp(argv[1], "--time") == 0) return Time();

    auto start = Clock::now();
    std::string error;
    if (!WriteAllImages(argv[1], &error)) {
        std::fprintf(stderr, "makeimages: %s\n", error.c_str());
        return 1;
    }
    std::printf("makeimages: wrote %zu images to %s in %.0f ms\n", ImageCatalogue().size(), argv[1],
                MsSince(start));
    return 0;
}
