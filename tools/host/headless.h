// Running the show's core (src/ without main.cpp) without a window: what the
// show's main module gives the core (its globals and Quit, here defined once
// for every such program) and the show assembled as main assembles it. The
// offscreen OpenGL context to draw into is in offscreen.h.
//
// Link `showhost` (CMake) to get both.
#ifndef SHOW_HOST_HEADLESS_H
#define SHOW_HOST_HEADLESS_H

class Effect_3DSPlay;

namespace headless {

// Quit (main.h) here: calls the handler if one is set, then prints the
// message and a newline on standard output as the show does, deletes both
// managers and ends the process with exit(status), so that the program's
// atexit handlers run (a tool can remove its partial output there).
//
// A handler takes over by not returning: it may throw to unwind to its
// caller (the fuzzer goes on with its next input; nothing has been printed
// or released then) or end the process its own way (the tests' death-test
// children end with _exit after PrintAndRelease). A handler that returns
// lets Quit go on as above.
typedef void (*QuitHandler)(int status, const char *message);
// Replaces the handler; null removes it.
void SetQuitHandler(QuitHandler handler);
// Quit's work before it exits: prints message and a newline on standard
// output, deletes effectsManager and textureManager, leaving both null, and
// flushes standard output.
void PrintAndRelease(const char *message);

// Builds the show as main does, reading data/ below the working directory:
// effectsManager over the show's length, textureManager, and the scene effect
// over its span, whose Init sets the show's GL state and loads every scene
// and image (a GL context must be current). Sets effectsManager->startTime to
// 0, so that effectsManager->Do(ms) draws show time ms. Answers the scene
// effect, which effectsManager owns. A scene or image that cannot be loaded
// ends the process through Quit.
Effect_3DSPlay *BuildShow();

}  // namespace headless

#endif
