#ifndef TOOLS_OFFSCREEN_H
#define TOOLS_OFFSCREEN_H

// What the show's main module gives the core (globals, a Quit that prints and
// exits), plus an OSMesa context, for tools that draw the show's scenes
// without a window.

#include <GL/osmesa.h>

#include <string>
#include <vector>

class OffscreenContext {
public:
    OffscreenContext() = default;
    OffscreenContext(const OffscreenContext &) = delete;
    OffscreenContext &operator=(const OffscreenContext &) = delete;
    ~OffscreenContext();

    // Makes a width x height RGBA context with a 24-bit depth buffer current
    // and sets the viewport. Answers false when OSMesa cannot.
    bool Open(int width, int height);
    // Writes the colour buffer as a PNG, top row first.
    bool SaveFrame(const std::string &path, std::string *error) const;

private:
    OSMesaContext context_ = nullptr;
    std::vector<unsigned char> buffer_;
    int width_ = 0, height_ = 0;
};

#endif
