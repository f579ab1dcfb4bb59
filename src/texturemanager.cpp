#include "texturemanager.h"

#include <GL/glu.h>
#include <SDL/SDL_image.h>
#include <stdio.h>
#include <string.h>

#include <vector>

#include "main.h"

namespace {

// Pixel bytes in memory order red, green, blue, whatever the host's endianness.
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
const Uint32 RedMask = 0x0000ff, GreenMask = 0x00ff00, BlueMask = 0xff0000;
#else
const Uint32 RedMask = 0xff0000, GreenMask = 0x00ff00, BlueMask = 0x0000ff;
#endif

[[noreturn]] void CannotLoad(const char *path)
{
    // Room for the prefix and any path that fits the 256-byte path buffer.
    char message[256 + 32];
    snprintf(message, sizeof message, "Error : Can't load texture %s\n", path);
    Quit(2, message);
}

// Decodes an image into tightly packed RGB rows with OpenGL's default unpack
// alignment of 4, converting palette, grey, alpha or other byte orders first.
// Answers false when the file does not decode.
bool DecodeRgb(const char *path, int *width, int *height, std::vector<unsigned char> *pixels)
{
    SDL_Surface *image = IMG_Load(path);
    if (!image) return false;
    SDL_Surface *rgb = image;
    if (!TextureManager::UploadsAsDecoded(image->format)) {
        SDL_PixelFormat format;
        memset(&format, 0, sizeof format);
        format.BitsPerPixel = 24;
        format.BytesPerPixel = 3;
        format.Rmask = RedMask;
        format.Gmask = GreenMask;
        format.Bmask = BlueMask;
        format.Rshift = SDL_BYTEORDER == SDL_LIL_ENDIAN ? 0 : 16;
        format.Gshift = 8;
        format.Bshift = SDL_BYTEORDER == SDL_LIL_ENDIAN ? 16 : 0;
        format.alpha = 255;
        rgb = SDL_ConvertSurface(image, &format, SDL_SWSURFACE);
        SDL_FreeSurface(image);
        if (!rgb) return false;
    }
    const int w = rgb->w, h = rgb->h;
    const size_t rowBytes = (size_t(w) * 3 + 3) & ~size_t(3);
    if (w <= 0 || h <= 0) {
        SDL_FreeSurface(rgb);
        return false;
    }
    pixels->assign(rowBytes * h, 0);
    SDL_LockSurface(rgb);
    const unsigned char *source = static_cast<const unsigned char *>(rgb->pixels);
    for (int y = 0; y < h; y++)
        memcpy(pixels->data() + y * rowBytes, source + size_t(y) * rgb->pitch, size_t(w) * 3);
    SDL_UnlockSurface(rgb);
    SDL_FreeSurface(rgb);
    *width = w;
    *height = h;
    return true;
}

}  // namespace

TextureManager::TextureManager() : textureCount(0) {}

int TextureManager::UploadsAsDecoded(const SDL_PixelFormat *format)
{
    return format->BytesPerPixel == 3 && format->Rmask == RedMask && format->Gmask == GreenMask &&
           format->Bmask == BlueMask;
}

TextureManager::~TextureManager() {}

int TextureManager::strToLower(char *text)
{
    for (char *c = text; *c; c++) {
        if (*c >= 'A' && *c <= 'Z') *c += 32;
    }
    return 1;
}

int TextureManager::LoadTexture(char *name)
{
    if (textureCount == MaxTextures) return 0;
    strToLower(name);
    for (int slot = 0; slot < textureCount; slot++) {
        if (strcmp(textureNames[slot], name) == 0) return slot;
    }

    char path[256];
    snprintf(path, sizeof path, "data/%s", name);
    // A name that does not fit its field could never be found again by name,
    // and one cut to fit the path would open another file: refuse both.
    const size_t length = strlen(name);
    int width = 0, height = 0;
    std::vector<unsigned char> pixels;
    if (length >= NameSize || length + 5 >= sizeof path ||
        !DecodeRgb(path, &width, &height, &pixels))
        CannotLoad(path);

    const int slot = textureCount;
    glGenTextures(1, &textureIds[slot]);
    glBindTexture(GL_TEXTURE_2D, textureIds[slot]);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    memcpy(textureNames[slot], name, length + 1);
    textureCount++;
    return slot;
}

int TextureManager::BindTexture(int slot)
{
    if (slot < 0 || slot >= textureCount) return 0;
    glBindTexture(GL_TEXTURE_2D, textureIds[slot]);
    return 1;
}

int TextureManager::BindTexture(const char *name)
{
    for (int slot = 0; slot < textureCount; slot++) {
        if (strcmp(textureNames[slot], name) == 0) return BindTexture(slot);
    }
    return 0;
}
