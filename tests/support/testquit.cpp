// What the program's main module provides to the core, for test programs
// that drive the core without it.
#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include "effectsmanager.h"
#include "main.h"
#include "texturemanager.h"

EffectsManager *effectsManager = NULL;
TextureManager *textureManager = NULL;
SDL_Surface *surface = NULL;
Uint32 videoFlags = 0;
int fullScreen = 1;
int screenWidth = 640;
int screenHeight = 480;

void Quit(int status, const char *message)
{
    printf("%s\n", message);
    fflush(stdout);
    // As the program's own Quit does: the managers go, and with them the held
    // effects and their scenes, so a wrong deletion shows here too.
    delete effectsManager;
    effectsManager = NULL;
    delete textureManager;
    textureManager = NULL;
    fflush(stdout);
    if (!testing::internal::InDeathTestChild()) {
        // A test process that ends with status 0 would pass unnoticed.
        fprintf(stderr, "Quit(%d, \"%s\") outside EXPECT_QUITS\n", status, message);
        _exit(status == 0 ? 125 : status);
    }
    // _exit: the process is left mid-work on purpose (a half-loaded effect is
    // never deleted), which is no leak of the code under test.
    _exit(status);
}
