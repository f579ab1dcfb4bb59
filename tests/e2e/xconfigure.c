/* Sends a window a synthetic ConfigureNotify with the given size, the way a
 * window manager reports a resize; unlike a real resize it can carry sizes
 * the server refuses, such as a height of 0.
 * Usage: xconfigure WINDOW-ID WIDTH HEIGHT, on $DISPLAY. */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char **argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: %s WINDOW-ID WIDTH HEIGHT\n", argv[0]);
        return 2;
    }
    unsigned long window = strtoul(argv[1], NULL, 0);
    int width = atoi(argv[2]), height = atoi(argv[3]);
    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "xconfigure: cannot open display %s\n", XDisplayName(NULL));
        return 1;
    }
    XEvent event;
    memset(&event, 0, sizeof event);
    event.xconfigure.type = ConfigureNotify;
    event.xconfigure.event = window;
    event.xconfigure.window = window;
    event.xconfigure.width = width;
    event.xconfigure.height = height;
    Status sent = XSendEvent(display, window, False, StructureNotifyMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    return sent ? 0 : 1;
}
