/* Preloaded into the real show: logs the time of every buffer swap, so frame
 * times can be measured without touching the program. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <SDL/SDL.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static FILE *logFile;

void SDL_GL_SwapBuffers(void)
{
    static void (*realSwap)(void);
    if (!realSwap)
        realSwap = (void (*)(void))dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers");
    if (!logFile) {
        const char *path = getenv("SWAPTIMER_LOG");
        logFile = fopen(path ? path : "swaps.log", "w");
    }
    realSwap();
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (logFile) {
        /* SDL ticks place the frame on the show clock; the monotonic time measures it. */
        fprintf(logFile, "%u %lld\n", SDL_GetTicks(), (long long)now.tv_sec * 1000000LL + now.tv_nsec / 1000);
        fflush(logFile);
    }
}
