#include "checkdata.h"

#include <math.h>

#include <vector>

#include "images/png.h"
#include "music/mp3.h"
#include "primitives.h"
#include "showplan.h"

namespace checkdata {

std::string SlotImage(int slot)
{
    return "img" + std::to_string(slot) + ".png";
}

scenekit::Scene SlotScene(int slot, const std::string &image)
{
    using namespace scenekit;
    Scene scene;
    scene.AddMaterial(Material::Textured("Flat", image));
    Mesh quad = Grid("Quad", {0, 0, 0}, 60, 40, 1, 1, 1, "Flat");
    quad.Transform(Rotation({1, 0, 0}, 90));  // facing -Y, the camera
    scene.AddObject(quad, Motion::Still({0, 0, 0}));
    const int frames = showplan::Scenes[slot].durationMs / 100;
    scene.AddAnimatedCamera("Camera01", {{0, {0, -100, 0}}, {frames, {0, -90, 0}}},
                            {{0, {0, 0, 0}}}, 45);
    return scene;
}

bool WriteMusic(const std::string &path, int rate, double seconds, std::string *error)
{
    const size_t frames = size_t(rate * seconds);
    std::vector<short> stereo(frames * 2);
    for (size_t i = 0; i < frames; i++)
        stereo[2 * i] = stereo[2 * i + 1] = short(8000 * sin(2 * M_PI * 440.0 * double(i) / rate));
    return EncodeMp3(path, stereo, rate, 32, error);
}

bool WriteBase(const std::string &dir, std::string *error)
{
    for (int slot = 0; slot < showplan::SceneCount; slot++) {
        const std::vector<unsigned char> rgb(16 * 16 * 3,
                                             static_cast<unsigned char>(40 + 10 * slot));
        if (!SlotScene(slot, SlotImage(slot))
                 .Save(dir + "/" + showplan::Scenes[slot].file, error) ||
            !WritePng(dir + "/" + SlotImage(slot), 16, 16, rgb, error))
            return false;
    }
    return WriteMusic(dir + "/" + showplan::MusicFile, showplan::MusicRateHz,
                      showplan::ShowLengthMs / 1000.0 + 1, error);
}

}  // namespace checkdata
