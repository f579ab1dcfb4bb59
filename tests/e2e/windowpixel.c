/* Prints the colour "r g b" (0-255 each) of one pixel of a window, read from
 * the X server without saving a picture of the whole window (which takes
 * longer than a short scene of the show lasts at a full-screen size).
 * Usage: windowpixel WINDOW-ID X Y, on $DISPLAY. Exit status 1 when the
 * window or the pixel cannot be read. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>

static int failed;

static int NoteError(Display *display, XErrorEvent *error)
{
    (void)display;
    (void)error;
    failed = 1;
    return 0;
}

/* The 8-bit value of the colour channel under `mask` in `pixel`. */
static unsigned Channel(unsigned long pixel, unsigned long mask)
{
    if (!mask)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        shift++;
    unsigned long max = mask >> shift;
    return (unsigned)(((pixel & mask) >> shift) * 255 / max);
}

int main(int argc, char **argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: %s WINDOW-ID X Y\n", argv[0]);
        return 2;
    }
    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "windowpixel: cannot open the display\n");
        return 1;
    }
    XSetErrorHandler(NoteError);
    Window window = strtoul(argv[1], NULL, 0);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || failed)
        return 1;
    XImage *image = XGetImage(display, window, atoi(argv[2]), atoi(argv[3]), 1, 1, AllPlanes, ZPixmap);
    XSync(display, False);
    if (!image || failed)
        return 1;
    unsigned long pixel = XGetPixel(image, 0, 0);
    Visual *visual = attributes.visual;
    printf("%u %u %u\n", Channel(pixel, visual->red_mask), Channel(pixel, visual->green_mask),
           Channel(pixel, visual->blue_mask));
    XDestroyImage(image);
    XCloseDisplay(display);
    return 0;
}
