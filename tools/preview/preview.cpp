// Renders evenly spaced frames of one scene offscreen through the show's own
// scene classes, to look at a scene while making it.
// Usage: scenepreview SCENE.3ds OUTDIR [COUNT [WIDTH HEIGHT]]   (run where data/ is)
// Writes OUTDIR/SCENE-MMMMM.png for COUNT times from 0 to the scene's last frame.
#include <GL/gl.h>
#include <lib3ds/file.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "effect_3dsplay.h"
#include "headless.h"
#include "images/png.h"
#include "load3ds.h"
#include "main.h"
#include "offscreen.h"
#include "texturemanager.h"

int main(int argc, char **argv)
{
    if (argc != 3 && argc != 4 && argc != 6) {
        fprintf(stderr, "usage: scenepreview SCENE.3ds OUTDIR [COUNT [WIDTH HEIGHT]]\n");
        return 2;
    }
    const std::string scene = argv[1], outDir = argv[2];
    const int count = argc >= 4 ? atoi(argv[3]) : 8;
    const int width = argc == 6 ? atoi(argv[4]) : 320;
    const int height = argc == 6 ? atoi(argv[5]) : 240;
    if (count < 1 || count > 1000 || width < 1 || height < 1 || width > 4096 || height > 4096) {
        fprintf(stderr, "scenepreview: bad count or size\n");
        return 2;
    }
    headless::OffscreenGl context(width, height);
    if (!context.ok()) {
        fprintf(stderr, "scenepreview: no offscreen GL context\n");
        return 1;
    }
    SetShowGlState();
    textureManager = new TextureManager;
    Load3ds *load = new Load3ds;
    load->Open(scene.c_str());
    const int lastMs = (load->file->frames > 0 ? load->file->frames : 1) * 100;
    const std::string stem = scene.substr(0, scene.rfind('.'));
    for (int i = 0; i < count; i++) {
        const int ms = count == 1 ? 0 : int((long long)lastMs * i / (count - 1));
        // A picture shows the frame evaluated by the call before it.
        for (int pass = 0; pass < 2; pass++) {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            load->Play(ms);
        }
        char name[64];
        snprintf(name, sizeof name, "-%05d.png", ms);
        const headless::Image picture = context.Read();
        std::string error;
        if (!WritePng(outDir + "/" + stem + name, picture.width, picture.height, picture.rgb,
                      &error)) {
            fprintf(stderr, "scenepreview: %s\n", error.c_str());
            return 1;
        }
    }
    delete load;
    delete textureManager;
    return 0;
}
