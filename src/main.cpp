// The process: SDL video and audio set-up, the music, the event loop that
// draws one frame per pass, the keyboard commands and the one exit path.
#include "main.h"

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <SDL/SDL_syswm.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <stdio.h>
#include <stdlib.h>

#include "effect_3dsplay.h"
#include "effectsmanager.h"
#include "musicformat.h"
#include "showplan.h"
#include "texturemanager.h"

// Written only here (start-up, resize, keys); read by the effects.
SDL_Surface *surface = NULL;
Uint32 videoFlags = 0;
int fullScreen = 1;
int screenWidth = 640;
int screenHeight = 480;
EffectsManager *effectsManager = NULL;
TextureManager *textureManager = NULL;

static Mix_Music *music = NULL;
static int audioOpened = 0;
static char musicFileName[64];  // data/ and the plan's music file

enum { MessageSize = 256 };

// Formats "<prefix><SDL error>\n", cut to the message buffer, and quits with 1.
[[noreturn]] static void QuitWithSdlError(const char *prefix)
{
    char message[MessageSize];
    snprintf(message, sizeof message, "%s%s\n", prefix, SDL_GetError());
    Quit(1, message);
}

void Quit(int status, const char *message)
{
    printf("%s\n", message);
    if (music) {
        Mix_FreeMusic(music);
        music = NULL;
    }
    if (audioOpened) Mix_CloseAudio();
    SDL_Quit();
    // The GL context is gone by now: the managers only release their tables.
    if (effectsManager) delete effectsManager;
    if (textureManager) delete textureManager;
    exit(status);
}

int SetVideoMode(int width, int height, int bpp, int flags)
{
    surface = SDL_SetVideoMode(width, height, bpp, (Uint32)flags);
    if (!surface) QuitWithSdlError("Video mode set failed : ");
    return 1;
}

int ResizeWindow(int width, int height)
{
    if (height == 0) height = 1;
    GLfloat aspect = (GLfloat)width / (GLfloat)height;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // Every picture replaces this projection with its scene camera's (Play);
    // the near plane is the float 0.1 widened to double.
    gluPerspective(45.0, aspect, 0.1f, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    return 1;
}

int InitGL()
{
    return 1;
}

static void SetMode(int width, int height)
{
    SetVideoMode(width, height, 16, (int)videoFlags);
    ResizeWindow(width, height);
}

void HandleKeyPress(SDL_keysym *keysym)
{
    switch (keysym->sym) {
    case SDLK_ESCAPE: Quit(0, "d'Oh!");
    case SDLK_f:
        // Takes effect at the next mode set if the window system cannot toggle.
        SDL_WM_ToggleFullScreen(surface);
        fullScreen = 1 - fullScreen;
        videoFlags ^= SDL_FULLSCREEN;
        SDL_ShowCursor(fullScreen ? SDL_DISABLE : SDL_ENABLE);
        break;
    case SDLK_F1: SetMode(640, 480); break;
    case SDLK_F2: SetMode(800, 600); break;
    case SDLK_F3: SetMode(1024, 768); break;
    default: break;
    }
}

static void StartVideo()
{
    if (SDL_Init(SDL_INIT_VIDEO) < 0) QuitWithSdlError("Video initialization failed: ");
    const SDL_VideoInfo *videoInfo = SDL_GetVideoInfo();
    if (!videoInfo) QuitWithSdlError("Video query failed: ");

    videoFlags = SDL_OPENGL | SDL_HWSURFACE | SDL_ASYNCBLIT | SDL_RESIZABLE | SDL_HWPALETTE;
    if (fullScreen) videoFlags |= SDL_FULLSCREEN;
    if (videoInfo->blit_hw) videoFlags |= SDL_HWACCEL;

    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SetVideoMode(screenWidth, screenHeight, 16, (int)videoFlags);
    if (fullScreen) SDL_ShowCursor(SDL_DISABLE);
    if (SDL_EnableKeyRepeat(100, 30) != 0) QuitWithSdlError("Setting keyboard repeat failed: ");
}

// On sdl12-compat, SDL_mixer's MP3 decoder converts music that is not in the
// device's format into a buffer sized by classic SDL 1.2's rules, which
// sdl12-compat's converter overruns: such music is refused before it plays.
// A music command (MUSIC_CMD) plays the file itself and needs no check.
static void RefuseMusicThatWouldOverrun()
{
    char version[32];
    if (!OnSdl12Compat(version, sizeof version)) return;
    Mix_MusicType type = Mix_GetMusicType(music);
    if (type != MUS_MP3 && type != MUS_MP3_MAD) return;
    int rate = 0, channels = 0;
    Uint16 sampleFormat = 0;
    Mix_QuerySpec(&rate, &sampleFormat, &channels);
    MusicFormat format;
    char found[64] = "holds no MPEG audio";
    if (ReadMusicFormat(musicFileName, &format)) {
        if (format.rate == rate && format.channels == channels) return;
        char described[48];
        DescribeMusicFormat(format, described, sizeof described);
        snprintf(found, sizeof found, "is %s MP3", described);
    }
    const MusicFormat device = {rate, channels};
    char needed[48];
    DescribeMusicFormat(device, needed, sizeof needed);
    char message[MessageSize];
    snprintf(message, sizeof message, "Couldn't load music : %s %s, sdl12-compat %s needs %s\n",
             musicFileName, found, version, needed);
    Quit(1, message);
}

static void StartAudio()
{
    if (SDL_Init(SDL_INIT_AUDIO) < 0) QuitWithSdlError("Audio initialisation failed : ");
    if (Mix_OpenAudio(showplan::MusicRateHz, AUDIO_S16LSB, showplan::MusicChannels,
                      showplan::MusicBufferFrames) < 0)
        QuitWithSdlError("Couldn't open audio: ");
    audioOpened = 1;

    // Unset hands null over: the mixer then decodes the file itself.
    Mix_SetMusicCMD(getenv("MUSIC_CMD"));
    snprintf(musicFileName, sizeof musicFileName, "data/%s", showplan::MusicFile);
    music = Mix_LoadMUS(musicFileName);
    if (!music) {
        char message[MessageSize];
        snprintf(message, sizeof message, "Couldn't load music : %s %s\n", musicFileName,
                 SDL_GetError());
        Quit(1, message);
    }
    RefuseMusicThatWouldOverrun();
}

// Without a window manager, sdl12-compat (SDL 2) gives its window the X input
// focus when it first maps it, to revert to none: once the window has been
// unmapped nobody has the focus, and every key is lost even after the window
// is mapped again. Classic SDL 1.2 leaves the focus with the pointer, the X
// server's default. Focus that nobody has goes back to the pointer, so that
// keys reach the window under it on both libraries.
static void ReturnLostFocusToPointer()
{
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11) return;
    info.info.x11.lock_func();
    Display *display = info.info.x11.display;
    Window focus = None;
    int revertTo = 0;
    XGetInputFocus(display, &focus, &revertTo);
    if (focus == None) {
        XSetInputFocus(display, PointerRoot, RevertToPointerRoot, CurrentTime);
        XFlush(display);
    }
    info.info.x11.unlock_func();
#endif
}

// Runs until a window-close request or the end of the show. Frames are drawn
// only while the window is active; the show clock runs on regardless.
static void RunLoop()
{
    int active = 1;
    int done = 0;
    SDL_Event event;
    while (!done) {
        while (SDL_PollEvent(&event)) {
            switch (event.type) {
            case SDL_ACTIVEEVENT:
                active = event.active.gain ? 1 : 0;
                if (active) ReturnLostFocusToPointer();
                break;
            case SDL_KEYDOWN: HandleKeyPress(&event.key.keysym); break;
            case SDL_QUIT: done = 1; break;
            case SDL_VIDEORESIZE: SetMode(event.resize.w, event.resize.h); break;
            default: break;
            }
        }
        if (active) {
            if (effectsManager->Do((int)SDL_GetTicks()) == 0) done = 1;
            SDL_GL_SwapBuffers();
        }
    }
}

int main(int, char **)
{
    StartVideo();
    StartAudio();
    InitGL();
    ResizeWindow(screenWidth, screenHeight);

    effectsManager = new EffectsManager(showplan::ShowLengthMs);
    // Must exist before the effect's Init loads the scenes' images.
    textureManager = new TextureManager();
    effectsManager->AddEffect(new Effect_3DSPlay(), 0, showplan::EffectEndMs);

    // The clock starts after all loading, so the first frame is near show time 0.
    effectsManager->startTime = (int)SDL_GetTicks();
    Mix_FadeInMusic(music, 0, showplan::MusicFadeInMs);
    RunLoop();
    Quit(0, "Plop");
}
