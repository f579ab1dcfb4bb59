// Inputs that went all the way through a fuzz target: libFuzzer's own
// figures count every input run, most of which the chunk walk refuses.
#ifndef FUZZ_FUZZTHROUGH_H
#define FUZZ_FUZZTHROUGH_H

#include <stdio.h>
#include <stdlib.h>

extern int fuzzInputsThrough;

// Prints "NAME: N inputs WHAT" when the process ends.
inline void PrintInputsThroughAtExit(const char *name, const char *what)
{
    static const char *saidName, *saidWhat;
    saidName = name;
    saidWhat = what;
    atexit([] { fprintf(stderr, "%s: %d inputs %s\n", saidName, fuzzInputsThrough, saidWhat); });
}

#endif
