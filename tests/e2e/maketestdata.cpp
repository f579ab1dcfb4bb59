// Writes a data directory the show can play, made for tests: the fifteen
// scene files, each a flat quad of its own colour filling the middle of the
// picture, their images and a short tone as the music.
//
//   maketestdata DIR [--no-camera SCENE] [--image-size N] [--music RATE CHANNELS] [--list]
//
// --no-camera SCENE  writes that scene without any camera
// --image-size N     makes every image N by N pixels (default 16): large
//                    images make the loading take measurably long
// --music RATE CHANNELS  writes the tone at that rate with 1 or 2 channels
//                    (default 22050 2, the show's audio device)
// --list             prints, one line per scene in show order:
//                    "<scene> <image> <slot start ms> <slot end ms> <r> <g> <b>"
//                    with the colour the quad shows on screen
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "images/png.h"
#include "music/mp3.h"
#include "scenekit/primitives.h"
#include "scenekit/scenekit.h"
#include "showplan.h"

namespace {

struct TestScene {
    const char *image;  // as the material names it; the file itself is lower-case
    unsigned char r, g, b;
};

// One per slot of the show plan, in show order. One image name has upper-case
// letters: the show lower-cases it before it opens the file.
const TestScene kScenes[] = {
    {"i2.png", 255, 0, 0},      {"c.png", 0, 255, 0},      {"gl.png", 0, 0, 255},
    {"tor.png", 255, 255, 0},   {"bloc.png", 0, 255, 255}, {"puz.png", 255, 0, 255},
    {"tri.png", 255, 255, 255}, {"c2.png", 255, 128, 0},   {"capsul.png", 128, 0, 255},
    {"tub2.png", 0, 128, 255},  {"tub.png", 128, 255, 0},  {"i.png", 255, 0, 128},
    {"cyl.png", 0, 255, 128},   {"t.png", 128, 128, 128},  {"End.PNG", 255, 128, 128},
};
static_assert(sizeof kScenes / sizeof kScenes[0] == showplan::SceneCount,
              "one test scene per slot");

// A quad facing the camera is lit by the head light alone: material ambient
// 0.2 x model ambient 0.2 plus diffuse 0.8, times the texel.
const float kLitFactor = 0.84f;

const float kCameraDistance = 100;
const float kQuadWidth = 60, kQuadHeight = 40;  // about half the view each way
const double kMusicSeconds = 4.0;

std::string Lower(std::string text)
{
    for (char &c : text)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return text;
}

bool WriteImage(const std::string &path, int size, const TestScene &scene, std::string *error)
{
    std::vector<unsigned char> rgb(size_t(size) * size * 3);
    for (size_t i = 0; i < rgb.size(); i += 3) {
        rgb[i] = scene.r;
        rgb[i + 1] = scene.g;
        rgb[i + 2] = scene.b;
    }
    return WritePng(path, size, size, rgb, error);
}

bool WriteScene(const std::string &path, const TestScene &scene, bool withCamera,
                std::string *error)
{
    using namespace scenekit;
    Scene s;
    s.AddMaterial(Material::Textured("Flat", scene.image));
    // A grid faces +Z; turned a quarter about X it faces -Y, the camera.
    Mesh quad = Grid("Quad", {0, 0, 0}, kQuadWidth, kQuadHeight, 1, 1, 1, "Flat");
    quad.Transform(Rotation({1, 0, 0}, 90));
    s.AddObject(quad, Motion::Still({0, 0, 0}));
    SaveOptions options;
    if (withCamera)
        s.AddAnimatedCamera("Camera01", {{0, {0, -kCameraDistance, 0}}}, {{0, {0, 0, 0}}}, 45);
    else
        options.checkPlayable = false;
    s.SetFrames(100);
    return s.Save(path, error, options);
}

bool WriteMusic(const std::string &path, int rate, int channels, std::string *error)
{
    const int frames = int(rate * kMusicSeconds);
    std::vector<short> samples(size_t(frames) * channels);
    for (int i = 0; i < frames; i++) {
        short sample = short(12000 * sin(2 * M_PI * 440.0 * i / rate));
        for (int c = 0; c < channels; c++) samples[size_t(i) * channels + c] = sample;
    }
    return EncodeMp3(path, samples, rate, 128, error, channels);
}

void PrintList()
{
    for (int i = 0; i < showplan::SceneCount; i++) {
        const TestScene &scene = kScenes[i];
        printf("%s %s %d %d %d %d %d\n", showplan::Scenes[i].file, Lower(scene.image).c_str(),
               showplan::SlotStartMs(i), showplan::SlotStartMs(i + 1),
               int(lroundf(scene.r * kLitFactor)), int(lroundf(scene.g * kLitFactor)),
               int(lroundf(scene.b * kLitFactor)));
    }
}

int Usage()
{
    fprintf(stderr,
            "usage: maketestdata DIR [--no-camera SCENE] [--image-size N] [--music RATE CHANNELS]"
            " | --list\n");
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    std::string dir, noCamera;
    int imageSize = 16, musicRate = showplan::MusicRateHz, musicChannels = showplan::MusicChannels;
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        if (arg == "--list") {
            PrintList();
            return 0;
        } else if (arg == "--no-camera" && i + 1 < argc) {
            noCamera = argv[++i];
        } else if (arg == "--image-size" && i + 1 < argc) {
            imageSize = atoi(argv[++i]);
            if (imageSize < 1 || imageSize > 4096) return Usage();
        } else if (arg == "--music" && i + 2 < argc) {
            musicRate = atoi(argv[++i]);
            musicChannels = atoi(argv[++i]);
        } else if (dir.empty() && arg[0] != '-') {
            dir = arg;
        } else {
            return Usage();
        }
    }
    if (dir.empty()) return Usage();

    std::string error;
    for (int i = 0; i < showplan::SceneCount; i++) {
        const std::string file = showplan::Scenes[i].file;
        const TestScene &scene = kScenes[i];
        bool ok = WriteScene(dir + "/" + file, scene, noCamera != file, &error) &&
                  WriteImage(dir + "/" + Lower(scene.image), imageSize, scene, &error);
        if (!ok) {
            fprintf(stderr, "maketestdata: %s: %s\n", file.c_str(), error.c_str());
            return 1;
        }
    }
    if (!WriteMusic(dir + "/2minute.mp3", musicRate, musicChannels, &error)) {
        fprintf(stderr, "maketestdata: 2minute.mp3: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
