/* Asks a window to close the way a window manager does: a WM_DELETE_WINDOW
 * client message. xdotool's windowclose destroys the window instead, which
 * SDL 1.2 reports as a fatal X error rather than as a quit request.
 * Usage: wmclose WINDOW-ID   (decimal or 0x-prefixed hex), on $DISPLAY. */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s WINDOW-ID\n", argv[0]);
        return 2;
    }
    char *end = NULL;
    unsigned long window = strtoul(argv[1], &end, 0);
    if (!end || *end != '\0' || window == 0) {
        fprintf(stderr, "wmclose: not a window id: %s\n", argv[1]);
        return 2;
    }
    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "wmclose: cannot open display %s\n", XDisplayName(NULL));
        return 1;
    }
    XEvent event;
    memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
    event.xclient.data.l[1] = CurrentTime;
    Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    if (!sent) {
        fprintf(stderr, "wmclose: could not send to window 0x%lx\n", window);
        return 1;
    }
    return 0;
}
