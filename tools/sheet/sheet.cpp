// Renders frames of the show offscreen, through the show's own effect and
// scene classes, for a contact sheet: three frames of every scene, at a
// quarter, half and three quarters of its slot.
// Usage: sheet OUTDIR [WIDTH HEIGHT]   (run where data/ is)
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "effectsmanager.h"
#include "headless.h"
#include "images/png.h"
#include "main.h"
#include "offscreen.h"
#include "showplan.h"
#include "texturemanager.h"

int main(int argc, char **argv)
{
    if (argc != 2 && argc != 4) {
        fprintf(stderr, "usage: sheet OUTDIR [WIDTH HEIGHT]\n");
        return 2;
    }
    const std::string outDir = argv[1];
    const int width = argc == 4 ? atoi(argv[2]) : 320;
    const int height = argc == 4 ? atoi(argv[3]) : 240;
    headless::OffscreenGl context(width, height);
    if (!context.ok()) {
        fprintf(stderr, "sheet: no offscreen GL context of %dx%d\n", width, height);
        return 1;
    }

    headless::BuildShow();

    for (int k = 0; k < showplan::SceneCount; k++) {
        const std::string file = showplan::Scenes[k].file;
        const std::string scene = file.substr(0, file.rfind('.'));
        for (int quarter = 1; quarter <= 3; quarter++) {
            const int showMs =
                showplan::SlotStartMs(k) + showplan::Scenes[k].durationMs * quarter / 4;
            // A picture shows the frame evaluated by the call before it.
            effectsManager->Do(showMs);
            effectsManager->Do(showMs);
            char name[128];
            snprintf(name, sizeof name, "/%02d-%s-%06d.png", k, scene.c_str(), showMs);
            const headless::Image picture = context.Read();
            std::string error;
            if (!WritePng(outDir + name, picture.width, picture.height, picture.rgb, &error)) {
                fprintf(stderr, "sheet: %s\n", error.c_str());
                return 1;
            }
        }
    }
    delete effectsManager;
    delete textureManager;
    return 0;
}
