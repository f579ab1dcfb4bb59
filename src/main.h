#ifndef SHOW_MAIN_H
#define SHOW_MAIN_H

#include <SDL/SDL.h>

class EffectsManager;
class TextureManager;

extern EffectsManager *effectsManager;
extern TextureManager *textureManager;

extern SDL_Surface *surface;
extern Uint32 videoFlags;
extern int fullScreen;
extern int screenWidth;
extern int screenHeight;

// The one way the process ends: prints message and a newline on standard
// output, releases the music, the mixer, SDL and both managers, and exits
// with status.
[[noreturn]] void Quit(int status, const char *message);
// Sets the video mode into surface; answers 1 or ends the process (status 1).
int SetVideoMode(int width, int height, int bpp, int flags);
// Viewport and a default projection for a window of this size; answers 1.
int ResizeWindow(int width, int height);
// Answers 1: the show's GL state is set by its effect instead.
int InitGL();
// Esc quits, f toggles full screen, F1-F3 set 640x480, 800x600, 1024x768.
void HandleKeyPress(SDL_keysym *keysym);

#endif
