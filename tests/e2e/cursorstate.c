/* Prints "hidden" when the pointer's current cursor image is fully
 * transparent (how SDL hides the cursor on X11), else "visible WxH".
 * Usage: cursorstate, on $DISPLAY. */
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <stdio.h>

int main(void)
{
    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "cursorstate: cannot open display %s\n", XDisplayName(NULL));
        return 1;
    }
    int eventBase, errorBase;
    if (!XFixesQueryExtension(display, &eventBase, &errorBase)) {
        fprintf(stderr, "cursorstate: no XFIXES extension\n");
        return 1;
    }
    XFixesCursorImage *image = XFixesGetCursorImage(display);
    if (!image) {
        fprintf(stderr, "cursorstate: no cursor image\n");
        return 1;
    }
    int opaque = 0;
    for (int i = 0; i < image->width * image->height; i++)
        if ((image->pixels[i] >> 24) & 0xff) opaque++;
    if (opaque)
        printf("visible %dx%d\n", image->width, image->height);
    else
        printf("hidden\n");
    XFree(image);
    XCloseDisplay(display);
    return 0;
}
