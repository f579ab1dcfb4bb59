/* Prints the version of the SDL 1.2 library that the dynamic linker gives a
 * program: 1.2.15 for classic SDL 1.2, 1.2.50 and later for sdl12-compat. */
#include <SDL/SDL.h>
#include <stdio.h>

int main(void)
{
    const SDL_version *linked = SDL_Linked_Version();
    printf("%d.%d.%d\n", linked->major, linked->minor, linked->patch);
    return 0;
}
