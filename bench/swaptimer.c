/* Preloaded into the real show: logs the time of every buffer swap, so frame
 * times can be measured without touching the program. Each line: SDL ticks,
 * monotonic microseconds, and the process's CPU microseconds (all threads).
 * SWAPTIMER_JUMP_MS moves the SDL clock forward by that much from the first
 * swap on, so that a run starts at that point of the show. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <SDL/SDL.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static FILE *logFile;
static Uint32 jumpMs;

static Uint32 RealTicks(void)
{
    static Uint32 (*realTicks)(void);
    if (!realTicks) realTicks = (Uint32(*)(void))dlsym(RTLD_NEXT, "SDL_GetTicks");
    return realTicks();
}

Uint32 SDL_GetTicks(void)
{
    return RealTicks() + jumpMs;
}

void SDL_GL_SwapBuffers(void)
{
    static void (*realSwap)(void);
    if (!realSwap) realSwap = (void (*)(void))dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers");
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
    /* The show took its start time before its first frame. */
    static int jumped;
    if (!jumped) {
        const char *jump = getenv("SWAPTIMER_JUMP_MS");
        jumpMs = jump ? (Uint32)strtoul(jump, NULL, 10) : 0;
        jumped = 1;
    }
}
