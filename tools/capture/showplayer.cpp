#include "showplayer.h"

#include <GL/gl.h>

#include "effectsmanager.h"
#include "headless.h"
#include "main.h"
#include "offscreen.h"
#include "texturemanager.h"

namespace showplayer {

namespace {

headless::OffscreenGl *context = nullptr;

}  // namespace

bool Open(int w, int h)
{
    context = new headless::OffscreenGl(w, h);
    if (!context->ok()) return false;
    screenWidth = w;
    screenHeight = h;
    // The context's viewport is the window's; the projection that the show's
    // resize sets is replaced by every scene's own before it draws.
    headless::BuildShow();
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
    glReadPixels(0, 0, context->width(), context->height(), GL_RGBA, GL_UNSIGNED_BYTE, rgba);
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

}  // namespace showplayer
