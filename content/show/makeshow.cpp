// Writes every file the show reads into one directory: the fifteen scenes,
// their images and the soundtrack. The same bytes on every run.
// Usage: makeshow OUTDIR
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "images/images.h"
#include "scenes.h"
#include "soundtrack.h"

namespace {

struct SceneFile {
    const char* file;
    scenekit::Scene (*build)();
};

// In show order.
const SceneFile kScenes[] = {
    {"_i2.3ds", scenes::BuildOpening}, {"c.3ds", scenes::BuildCircuitCity},
    {"gl.3ds", scenes::BuildGlass},      {"tor.3ds", scenes::BuildKnots},
    {"bloc.3ds", scenes::BuildEqualiser},  {"puz.3ds", scenes::BuildPuzzle},
    {"tri.3ds", scenes::BuildPyramid},    {"c2.3ds", scenes::BuildReactor},
    {"capsul.3ds", scenes::BuildCapsules}, {"tub2.3ds", scenes::BuildServiceTunnel},
    {"tub.3ds", scenes::BuildNeonTunnel},    {"_i.3ds", scenes::BuildInterlude},
    {"cyl.3ds", scenes::BuildColonnade},    {"t.3ds", scenes::BuildClimax},
    {"end.3ds", scenes::BuildEnd},
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: makeshow OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        std::fprintf(stderr, "makeshow: cannot create %s: %s\n", dir.c_str(), ec.message().c_str());
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();

    // The soundtrack takes longest and runs on one core: start it first.
    bool musicOk = false;
    std::string musicError;
    double musicSeconds = 0;
    std::thread music([&] {
        musicOk = WriteSoundtrack(dir + "/2minute.mp3", &musicError);
        musicSeconds = SecondsSince(start);
    });

    bool ok = true;
    for (const SceneFile& s : kScenes) {
        std::string error;
        if (!s.build().Save(dir + "/" + s.file, &error)) {
            std::fprintf(stderr, "makeshow: %s: %s\n", s.file, error.c_str());
            ok = false;
        }
    }
    const double scenesSeconds = SecondsSince(start);
    std::string imageError;
    if (!WriteAllImages(dir, &imageError)) {
        std::fprintf(stderr, "makeshow: images: %s\n", imageError.c_str());
        ok = false;
    }
    const double imagesSeconds = SecondsSince(start);
    music.join();
    if (!musicOk) {
        std::fprintf(stderr, "makeshow: 2minute.mp3: %s\n", musicError.c_str());
        ok = false;
    }
    std::fprintf(stderr, "makeshow: scenes %.2f s, images done at %.2f s, music done at %.2f s\n",
                 scenesSeconds, imagesSeconds, musicSeconds);
    return ok ? 0 : 1;
}
