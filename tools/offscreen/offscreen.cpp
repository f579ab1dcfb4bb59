#include "offscreen.h"

#include <GL/gl.h>
#include <stdio.h>
#include <stdlib.h>

#include "effectsmanager.h"
#include "images/png.h"
#include "main.h"
#include "texturemanager.h"

EffectsManager *effectsManager = NULL;
TextureManager *textureManager = NULL;
SDL_Surface *surface = NULL;
Uint32 videoFlags = 0;
int fullScreen = 0;
int screenWidth = 640;
int screenHeight = 480;

void Quit(int status, const char *message)
{
    printf("%s\n", message);
    fflush(stdout);
    exit(status);
}

OffscreenContext::~OffscreenContext()
{
    if (context_)
        OSMesaDestroyContext(context_);
}

bool OffscreenContext::Open(int width, int height)
{
    if (context_ || width < 1 || height < 1 || width > 4096 || height > 4096)
        return false;
    context_ = OSMesaCreateContextExt(OSMESA_RGBA, 24, 8, 0, NULL);
    buffer_.assign(size_t(width) * height * 4, 0);
    if (!context_ || !OSMesaMakeCurrent(context_, buffer_.data(), GL_UNSIGNED_BYTE, width, height))
        return false;
    width_ = width;
    height_ = height;
    glViewport(0, 0, width, height);
    return true;
}

bool OffscreenContext::SaveFrame(const std::string &path, std::string *error) const
{
    std::vector<unsigned char> rgba(size_t(width_) * height_ * 4), rgb(size_t(width_) * height_ * 3);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    for (int y = 0; y < height_; y++) {
        const unsigned char *row = &rgba[size_t(height_ - 1 - y) * width_ * 4];  // GL rows run bottom up
        for (int x = 0; x < width_; x++)
            for (int c = 0; c < 3; c++)
                rgb[(size_t(y) * width_ + x) * 3 + c] = row[x * 4 + c];
    }
    return WritePng(path, width_, height_, rgb, error);
}
