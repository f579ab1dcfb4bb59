/* The one service of a window manager that full screen needs under SDL 2 (and
 * so under sdl12-compat), which asks a window manager for it with an EWMH
 * _NET_WM_STATE request instead of covering the screen with a window of its
 * own as classic SDL 1.2 does. On a request to add full screen to a window it
 * moves the window to 0,0 with the size of the screen and lists
 * _NET_WM_STATE_FULLSCREEN in its _NET_WM_STATE; on a request to remove it,
 * it puts the window back where it was and empties the list. It does nothing
 * else (no focus, no frames) and does not announce itself as a window
 * manager. Prints "ready" once watching; runs until killed or the display
 * goes. Usage: fullscreenwm, on $DISPLAY. */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <stdio.h>

enum { Remove, Add, Toggle };

struct Saved {
    Window window;
    int x, y;
    unsigned width, height;
};

static int IgnoreError(Display *display, XErrorEvent *error)
{
    (void)display;
    (void)error;
    return 0;
}

static int IsFullScreen(Display *display, Window window, Atom state, Atom fullScreen)
{
    Atom type;
    int format;
    unsigned long count = 0, after;
    unsigned char *data = NULL;
    int found = 0;
    int read = XGetWindowProperty(display, window, state, 0, 32, False, XA_ATOM, &type, &format,
                                  &count, &after, &data);
    if (read == Success && data) {
        for (unsigned long i = 0; i < count; i++) found |= ((Atom *)data)[i] == fullScreen;
        XFree(data);
    }
    return found;
}

int main(void)
{
    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "fullscreenwm: cannot open the display\n");
        return 1;
    }
    XSetErrorHandler(IgnoreError);
    Window root = DefaultRootWindow(display);
    Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    Atom fullScreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);
    printf("ready\n");
    fflush(stdout);
    struct Saved saved = {0, 0, 0, 0, 0};
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        XClientMessageEvent *message = &event.xclient;
        if (event.type != ClientMessage || message->message_type != state ||
            message->format != 32 ||
            ((Atom)message->data.l[1] != fullScreen && (Atom)message->data.l[2] != fullScreen))
            continue;
        Window window = message->window;
        int now = IsFullScreen(display, window, state, fullScreen);
        int wanted = message->data.l[0] == Toggle ? !now : message->data.l[0] == Add;
        if (wanted == now) continue;
        if (wanted) {
            Window ignored;
            unsigned border, depth;
            saved.window = window;
            XGetGeometry(display, window, &ignored, &saved.x, &saved.y, &saved.width, &saved.height,
                         &border, &depth);
            XChangeProperty(display, window, state, XA_ATOM, 32, PropModeReplace,
                            (unsigned char *)&fullScreen, 1);
            XMoveResizeWindow(display, window, 0, 0, DisplayWidth(display, DefaultScreen(display)),
                              DisplayHeight(display, DefaultScreen(display)));
        } else {
            XChangeProperty(display, window, state, XA_ATOM, 32, PropModeReplace, NULL, 0);
            if (saved.window == window)
                XMoveResizeWindow(display, window, saved.x, saved.y, saved.width, saved.height);
        }
        XFlush(display);
    }
}
