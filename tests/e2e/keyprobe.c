/* Preloaded into the show: logs every key-down event that SDL_PollEvent hands
 * it, as "<SDL key symbol> <ms>" lines appended to $KEYPROBE_LOG, so that a
 * test knows how many key presses and repeats the show received. It only
 * watches: the events go on to the show unchanged. */
#include <SDL/SDL.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

typedef int (*PollFunction)(SDL_Event *);

int SDL_PollEvent(SDL_Event *event)
{
    static PollFunction realPoll;
    static FILE *log;
    if (!realPoll) {
        realPoll = (PollFunction)dlsym(RTLD_NEXT, "SDL_PollEvent");
        const char *path = getenv("KEYPROBE_LOG");
        if (path) log = fopen(path, "a");
    }
    int got = realPoll(event);
    if (got && event && log && event->type == SDL_KEYDOWN) {
        struct timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        fprintf(log, "%d %lld\n", (int)event->key.keysym.sym,
                now.tv_sec * 1000LL + now.tv_nsec / 1000000);
        fflush(log);
    }
    return got;
}
