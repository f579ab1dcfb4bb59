#include "showplayer.h"

#include <GL/gl.h>

#include "effect_3dsplay.h"
#include "effectsmanager.h"
#include "main.h"
#include "offscreen.h"
#include "showplan.h"
#include "texturemanager.h"

namespace showplayer {

namespace {

OffscreenContext *context = nullptr;
int width = 0, height = 0;

} // namespace

bool Open(int w, int h)
{
    context = new OffscreenContext;
    if (!context->Open(w, h))
        return false;
    width = w;
    height = h;
    screenWidth = w;
    screenHeight = h;
    // The context's viewport is the window's; the projection that the show's
    // resize sets is replaced by every scene's own before it draws.
    effectsManager = new EffectsManager(showplan::ShowLengthMs);
    textureManager = new TextureManager();
    effectsManager->AddEffect(new Effect_3DSPlay(), 0, showplan::EffectEndMs);
    effectsManager->startTime = 0;
    return true;
}

int LastShowMs()
{
    return effectsManager->duration;
}

bool Draw(int showMs)
{
    return effectsManager->Do(effectsManager->startTime + showMs) != 0;
}

void Read(unsigned char *rgba)
{
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

void Close()
{
    delete effectsManager;
    effectsManager = nullptr;
    delete textureManager;
    textureManager = nullptr;
    delete context;
    context = nullptr;
}

} // namespace showplayer
