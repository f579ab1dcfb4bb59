// Renders frames of the show offscreen, through the show's own effect and
// scene classes, for a contact sheet: three frames of every scene, at a
// quarter, half and three quarters of its slot.
// Usage: sheet OUTDIR [WIDTH HEIGHT]   (run where data/ is)
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "effect_3dsplay.h"
#include "effectsmanager.h"
#include "main.h"
#include "offscreen.h"
#include "texturemanager.h"

namespace {

const int ShowLengthMs = 120000;
const char *const SceneNames[] = {"_i2", "c", "gl", "tor", "bloc", "puz", "tri", "c2",
                                  "capsul", "tub2", "tub", "_i", "cyl", "t", "end"};

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
    OffscreenContext context;
    if (!context.Open(width, height)) {
        fprintf(stderr, "sheet: no offscreen GL context of %dx%d\n", width, height);
        return 1;
    }

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
            snprintf(name, sizeof name, "/%02d-%s-%06d.png", k, SceneNames[k % 15], showMs);
            std::string error;
            if (!context.SaveFrame(outDir + name, &error)) {
                fprintf(stderr, "sheet: %s\n", error.c_str());
                return 1;
            }
        }
        slotStart += slotMs;
    }
    delete effectsManager;
    delete textureManager;
    return 0;
}
