/* Preloaded into the real show: logs the time of every buffer swap, so frame
 * times can be measured without touching the program. Each line: SDL ticks,
 * monotonic microseconds, and the process's CPU microseconds (all threads). */
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
    struct timespec now, cpu;
    clock_gettime(CLOCK_MONOTONIC, &now);
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    if (logFile) {
        /* SDL ticks place the frame on the show clock; the monotonic time measures
         * it; the CPU time tells its own work from waiting for a shared core. */
        fprintf(logFile, "%u %lld %lld\n", SDL_GetTicks(),
                (long long)now.tv_sec * 1000000LL + now.tv_nsec / 1000,
                (long long)cpu.tv_sec * 1000000LL + cpu.tv_nsec / 1000);
        fflush(logFile);
    }
}
