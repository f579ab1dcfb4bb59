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
#include "showplan.h"
#include "soundtrack.h"

namespace {

// The builder of each slot of the show plan, in show order.
scenekit::Scene (*const kBuilders[])() = {
    scenes::BuildOpening,       scenes::BuildCircuitCity, scenes::BuildGlass,
    scenes::BuildKnots,         scenes::BuildEqualiser,   scenes::BuildPuzzle,
    scenes::BuildPyramid,       scenes::BuildReactor,     scenes::BuildCapsules,
    scenes::BuildServiceTunnel, scenes::BuildNeonTunnel,  scenes::BuildInterlude,
    scenes::BuildColonnade,     scenes::BuildClimax,      scenes::BuildEnd,
};
static_assert(sizeof kBuilders / sizeof kBuilders[0] == showplan::SceneCount,
              "one builder per slot");

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char **argv)
{
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
        musicOk = WriteSoundtrack(dir + "/" + showplan::MusicFile, &musicError);
        musicSeconds = SecondsSince(start);
    });

    bool ok = true;
    for (int i = 0; i < showplan::SceneCount; i++) {
        const char *file = showplan::Scenes[i].file;
        std::string error;
        if (!kBuilders[i]().Save(dir + "/" + file, &error)) {
            std::fprintf(stderr, "makeshow: %s: %s\n", file, error.c_str());
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
        std::fprintf(stderr, "makeshow: %s: %s\n", showplan::MusicFile, musicError.c_str());
        ok = false;
    }
    std::fprintf(stderr, "makeshow: scenes %.2f s, images done at %.2f s, music done at %.2f s\n",
                 scenesSeconds, imagesSeconds, musicSeconds);
    return ok ? 0 : 1;
}
