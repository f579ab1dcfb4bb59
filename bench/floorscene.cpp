// Writes the benchmark's floor: a scene with nothing but its camera, so the
// show only clears and swaps. Usage: floorscene FILE.3ds
#include <cstdio>
#include <string>

#include "scenekit.h"
#include "scenelimits.h"

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: floorscene FILE.3ds\n");
        return 2;
    }
    scenekit::Scene scene;
    scene.AddAnimatedCamera(scenelimits::TargetNodeName, {{0, {0, -100, 0}}}, {{0, {0, 0, 0}}}, 45);
    std::string error;
    if (!scene.Save(argv[1], &error)) {
        std::fprintf(stderr, "floorscene: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    return 0;
}
