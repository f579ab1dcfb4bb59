#ifndef SHOW_TEXTUREMANAGER_H
#define SHOW_TEXTUREMANAGER_H

#include <GL/gl.h>

struct SDL_PixelFormat;

// Up to 256 OpenGL textures, each loaded once from data/ and found again by
// its lower-cased file name. Slots are filled in order and never reused.
class TextureManager {
public:
    enum { MaxTextures = 256, NameSize = 64 };

    int textureCount;
    GLuint textureIds[MaxTextures];
    char textureNames[MaxTextures][NameSize];

    TextureManager();
    // Releases the tables only: the textures go with the GL context.
    ~TextureManager();

    // Lower-cases name in place, then answers the slot holding that image,
    // loading data/<name> first if it is new. Answers 0 without touching name
    // once all slots are used. An image that cannot be loaded ends the process
    // with status 2.
    int LoadTexture(char *name);
    // Binds a slot that LoadTexture answered; answers 1. Other values bind
    // nothing.
    int BindTexture(int slot);
    // Binds the texture stored under exactly this name (no lower-casing);
    // answers 0 and binds nothing when there is none.
    int BindTexture(const char *name);
    // Lower-cases the ASCII letters A-Z of text in place; answers 1.
    static int strToLower(char *text);
    // Answers 1 when LoadTexture uploads pixels decoded in this format as they
    // are (3 bytes each, red, green, blue), 0 when it converts them first.
    static int UploadsAsDecoded(const SDL_PixelFormat *format);
};

#endif
