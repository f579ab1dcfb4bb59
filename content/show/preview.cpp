// Renders evenly spaced frames of one scene offscreen through the show's own
// scene classes, to look at a scene while making it.
// Usage: scenepreview SCENE.3ds OUTDIR [COUNT [WIDTH HEIGHT]]   (run where data/ is)
// Writes OUTDIR/SCENE-MMMMM.png for COUNT times from 0 to the scene's last frame.
#include <GL/gl.h>
#include <GL/osmesa.h>
#include <lib3ds/file.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "effectsmanager.h"
#include "images/png.h"
#include "load3ds.h"
#include "main.h"
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

// The show's fixed GL state, as its scene effect sets it.
void InitState()
{
    glClearColor(0, 0, 0, 1);
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glDisable(GL_NORMALIZE);
}

bool SaveFrame(const std::string &path, int width, int height)
{
    std::vector<unsigned char> rgba(size_t(width) * height * 4), rgb(size_t(width) * height * 3);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    for (int y = 0; y < height; y++) {
        const unsigned char *row = &rgba[size_t(height - 1 - y) * width * 4];
        for (int x = 0; x < width; x++)
            for (int c = 0; c < 3; c++) rgb[(size_t(y) * width + x) * 3 + c] = row[x * 4 + c];
    }
    std::string error;
    if (!WritePng(path, width, height, rgb, &error)) {
        fprintf(stderr, "scenepreview: %s\n", error.c_str());
        return false;
    }
    return true;
}

} // namespace

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
    OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 8, 0, NULL);
    std::vector<unsigned char> buffer(size_t(width) * height * 4);
    if (!context || !OSMesaMakeCurrent(context, buffer.data(), GL_UNSIGNED_BYTE, width, height)) {
        fprintf(stderr, "scenepreview: no offscreen GL context\n");
        return 1;
    }
    glViewport(0, 0, width, height);
    InitState();
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
        glFinish();
        char name[64];
        snprintf(name, sizeof name, "-%05d.png", ms);
        if (!SaveFrame(outDir + "/" + stem + name, width, height)) return 1;
    }
    delete load;
    delete textureManager;
    OSMesaDestroyContext(context);
    return 0;
}
