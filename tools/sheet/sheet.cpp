// Renders frames of the show offscreen, through the show's own effect and
// scene classes, for a contact sheet: three frames of every scene, at a
// quarter, half and three quarters of its slot.
// Usage: sheet OUTDIR [WIDTH HEIGHT]   (run where data/ is)
#include <GL/osmesa.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "effect_3dsplay.h"
#include "effectsmanager.h"
#include "main.h"
#include "images/png.h"
#include "texturemanager.h"

EffectsManager *effectsManager = NULL;
TextureManager *textureManager = NULL;
SDL_Surface *surface = NULL;
Uint32 videoFlags = 0;
int fullScreen = 0;
int screenWidth = 640;
int screenHeight = 480;

void Quit(int status, const char *message)
{
    printf("%s\n", message);
    fflush(stdout);
    exit(status);
}

namespace {

const int ShowLengthMs = 120000;
const char *const SceneNames[] = {"_i2", "c", "gl", "tor", "bloc", "puz", "tri", "c2",
                                  "capsul", "tub2", "tub", "_i", "cyl", "t", "end"};

bool SaveFrame(const std::string &path, int width, int height)
{
    std::vector<unsigned char> rgba(size_t(width) * height * 4), rgb(size_t(width) * height * 3);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    for (int y = 0; y < height; y++) {
        const unsigned char *row = &rgba[size_t(height - 1 - y) * width * 4];  // GL rows run bottom up
        for (int x = 0; x < width; x++)
            for (int c = 0; c < 3; c++)
                rgb[(size_t(y) * width + x) * 3 + c] = row[x * 4 + c];
    }
    std::string error;
    if (!WritePng(path, width, height, rgb, &error)) {
        fprintf(stderr, "sheet: %s\n", error.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2 && argc != 4) {
        fprintf(stderr, "usage: sheet OUTDIR [WIDTH HEIGHT]\n");
        return 2;
    }
    const std::string outDir = argv[1];
    const int width = argc == 4 ? atoi(argv[2]) : 320;
    const int height = argc == 4 ? atoi(argv[3]) : 240;
    if (width <= 0 || height <= 0 || width > 4096 || height > 4096) {
        fprintf(stderr, "sheet: bad size\n");
        return 2;
    }

    OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 8, 0, NULL);
    std::vector<unsigned char> buffer(size_t(width) * height * 4);
    if (!context || !OSMesaMakeCurrent(context, buffer.data(), GL_UNSIGNED_BYTE, width, height)) {
        fprintf(stderr, "sheet: no offscreen GL context\n");
        return 1;
    }
    glViewport(0, 0, width, height);

    effectsManager = new EffectsManager(ShowLengthMs);
    textureManager = new TextureManager;
    Effect_3DSPlay *effect = new Effect_3DSPlay;
    effectsManager->AddEffect(effect, 0, 500000);
    effectsManager->startTime = 0;

    int slotStart = 0;
    for (int k = 0; k <= effect->sceneCount; k++) {
        const int slotMs = k < effect->sceneCount ? effect->sceneDurations[k] : ShowLengthMs - slotStart;
        for (int quarter = 1; quarter <= 3; quarter++) {
            const int showMs = slotStart + slotMs * quarter / 4;
            // A picture shows the frame evaluated by the call before it.
            effectsManager->Do(showMs);
            effectsManager->Do(showMs);
            char name[64];
            snprintf(name, sizeof name, "%02d-%s-%06d.png", k, SceneNames[k % 15], showMs);
            if (!SaveFrame(outDir + "/" + name, width, height))
                return 1;
        }
        slotStart += slotMs;
    }
    delete effectsManager;
    delete textureManager;
    OSMesaDestroyContext(context);
    return 0;
}
