#include "headless.h"

#include <stdio.h>
#include <stdlib.h>

#include "effect_3dsplay.h"
#include "effectsmanager.h"
#include "main.h"
#include "showplan.h"
#include "texturemanager.h"

// The start-up values of the show; without a window only the managers matter.
EffectsManager *effectsManager = NULL;
TextureManager *textureManager = NULL;
SDL_Surface *surface = NULL;
Uint32 videoFlags = 0;
int fullScreen = 1;
int screenWidth = 640;
int screenHeight = 480;

namespace headless {

namespace {
QuitHandler quitHandler = NULL;
}

void SetQuitHandler(QuitHandler handler)
{
    quitHandler = handler;
}

void PrintAndRelease(const char *message)
{
    printf("%s\n", message);
    delete effectsManager;
    effectsManager = NULL;
    delete textureManager;
    textureManager = NULL;
    // After the deletions, which may print too, for a handler that ends with _exit.
    fflush(stdout);
}

Effect_3DSPlay *BuildShow()
{
    effectsManager = new EffectsManager(showplan::ShowLengthMs);
    // Must exist before the effect's Init loads the scenes' images.
    textureManager = new TextureManager();
    Effect_3DSPlay *show = new Effect_3DSPlay();
    effectsManager->AddEffect(show, 0, showplan::EffectEndMs);
    effectsManager->startTime = 0;
    return show;
}

}  // namespace headless

void Quit(int status, const char *message)
{
    if (headless::quitHandler) headless::quitHandler(status, message);
    headless::PrintAndRelease(message);
    exit(status);
}
