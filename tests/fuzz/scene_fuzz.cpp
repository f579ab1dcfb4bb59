// One input down the show's scene path: the checker, lib3ds, the loader with
// its materials' images, and display lists drawn in an offscreen context.
// Built as a libFuzzer target by run.sh, and as a replay program by CMake.
//
// Beyond crashes, hangs and sanitizer reports, it aborts when the checker
// accepts a file that lib3ds then refuses or reads past the end of: the
// checker has missed something the library trips over.
#include <GL/gl.h>
#include <SDL/SDL.h>
#include <lib3ds/node.h>
#include <dirent.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "fuzzthrough.h"
#include "headless.h"
#include "lib3dsprobe.h"
#include "load3ds.h"
#include "main.h"
#include "offscreen.h"
#include "scenecheck.h"
#include "texturemanager.h"

int fuzzInputsThrough = 0;

namespace {

struct QuitCalled {
    int status;
};

// Unwinds to Play before anything is printed or released, so that it can
// free the scene's display lists and textures and go on.
void ThrowOnQuit(int status, const char *)
{
    throw QuitCalled{status};
}

// Images the fuzzed materials can name: three depths, odd sizes.
void WriteImages()
{
    SDL_Surface *rgb = SDL_CreateRGBSurface(SDL_SWSURFACE, 3, 2, 24, 0xff, 0xff00, 0xff0000, 0);
    SDL_Surface *palette = SDL_CreateRGBSurface(SDL_SWSURFACE, 5, 3, 8, 0, 0, 0, 0);
    SDL_Surface *rgba =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 1, 1, 32, 0xff, 0xff00, 0xff0000, 0xff000000);
    SDL_FillRect(rgb, NULL, 0x336699);
    SDL_FillRect(palette, NULL, 7);
    SDL_FillRect(rgba, NULL, 0x80ffffff);
    SDL_SaveBMP(rgb, "data/a.bmp");
    SDL_SaveBMP(palette, "data/b.bmp");
    SDL_SaveBMP(rgba, "data/c.bmp");
    SDL_FreeSurface(rgb);
    SDL_FreeSurface(palette);
    SDL_FreeSurface(rgba);
}

// The show's own images, when SCENE_FUZZ_DATA names its data directory, so
// that its scenes among the seeds load their materials and play.
void LinkShowImages()
{
    const char *source = getenv("SCENE_FUZZ_DATA");
    DIR *dir = source ? opendir(source) : NULL;
    if (!dir) return;
    while (dirent *entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name[0] == '.' || name.size() < 4 || name.compare(name.size() - 4, 4, ".3ds") == 0)
            continue;
        const std::string target = std::string(source) + "/" + name, link = "data/" + name;
        if (symlink(target.c_str(), link.c_str()) != 0)
            fprintf(stderr, "cannot link %s\n", target.c_str());
    }
    closedir(dir);
}

char workDir[] = "/tmp/scene-fuzz-XXXXXX";

void RemoveWorkDir()
{
    DIR *dir = opendir("data");
    while (dirent *entry = dir ? readdir(dir) : NULL) {
        if (entry->d_name[0] != '.') unlink((std::string("data/") + entry->d_name).c_str());
    }
    if (dir) closedir(dir);
    rmdir("data");
    if (chdir("/") == 0) rmdir(workDir);
}

void DeleteLists(Lib3dsNode *node)
{
    for (; node; node = node->next) {
        DeleteLists(node->childs);
        if (node->user.d) glDeleteLists(node->user.d, 1);
        node->user.d = 0;
    }
}

void Play(const std::vector<unsigned char> &bytes)
{
    FILE *f = fopen("data/fuzz.3ds", "wb");
    if (!f || fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || fclose(f) != 0) abort();
    textureManager = new TextureManager();
    Load3ds *scene = new Load3ds();
    try {
        scene->Open("fuzz.3ds");
        for (int ms : {0, 250, 1234, 119999}) scene->Play(ms);
        glFinish();
        fuzzInputsThrough++;
    } catch (const QuitCalled &) {
    }
    if (scene->file) DeleteLists(scene->file->nodes);
    delete scene;
    glDeleteTextures(textureManager->textureCount, textureManager->textureIds);
    delete textureManager;
    textureManager = NULL;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    if (!mkdtemp(workDir) || chdir(workDir) != 0 || mkdir("data", 0755) != 0) abort();
    atexit(RemoveWorkDir);
    PrintInputsThroughAtExit("scene_fuzz", "played through every picture");
    WriteImages();
    LinkShowImages();
    headless::SetQuitHandler(ThrowOnQuit);
    // Kept to the end of the process: libFuzzer never returns from its loop.
    static const headless::OffscreenGl *gl = new headless::OffscreenGl(64, 48);
    if (!gl->ok()) abort();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHT0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::vector<unsigned char> bytes(data, data + size);
    char why[256];
    if (!Check3dsBuffer(data, size, why, sizeof why)) return 0;
    const robust::LoadOutcome outcome = robust::LoadInProcess(bytes);
    if (outcome != robust::LoadOutcome::Loaded) {
        fprintf(stderr, "checker accepted a file that lib3ds %s\n", robust::Describe(outcome));
        abort();
    }
    Play(bytes);
    return 0;
}
