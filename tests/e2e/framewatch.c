/* Counts the frames a GL window shows: with software GL on Xvfb every buffer
 * swap is one put of the whole window, which the DAMAGE extension reports.
 * Prints "ready" once watching, "frame WxH" for each damage report, "loaded"
 * when some process closes FILE (if given; to tell the frames drawn after
 * loading from what came before), "configured WxH+X+Y" when the window is
 * moved or resized (which damages it too), and "destroyed" when it goes.
 * Usage: framewatch WINDOW-ID SECONDS [FILE], on $DISPLAY. Exit status 0
 * when the window is destroyed or the time is up, 1 on error. */
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <time.h>
#include <unistd.h>

static int windowGone;

static int NoteError(Display *display, XErrorEvent *error)
{
    (void)display;
    if (error->error_code == BadWindow || error->error_code == BadDrawable) windowGone = 1;
    return 0;
}

static long long NowMs(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

int main(int argc, char **argv)
{
    if (argc != 3 && argc != 4) {
        fprintf(stderr, "usage: %s WINDOW-ID SECONDS [FILE]\n", argv[0]);
        return 1;
    }
    Window window = strtoul(argv[1], NULL, 0);
    long long endMs = NowMs() + atoi(argv[2]) * 1000LL;
    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "framewatch: cannot open display %s\n", XDisplayName(NULL));
        return 1;
    }
    int damageEvent, damageError;
    if (!XDamageQueryExtension(display, &damageEvent, &damageError)) {
        fprintf(stderr, "framewatch: no DAMAGE extension\n");
        return 1;
    }
    int watch = -1;
    if (argc == 4) {
        watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        if (watch < 0 || inotify_add_watch(watch, argv[3], IN_CLOSE_NOWRITE | IN_CLOSE_WRITE) < 0) {
            perror(argv[3]);
            return 1;
        }
    }
    XSetErrorHandler(NoteError);
    XSelectInput(display, window, StructureNotifyMask);
    XWindowAttributes shape = {0};
    XGetWindowAttributes(display, window, &shape);
    XDamageCreate(display, window, XDamageReportRawRectangles);
    XSync(display, False);
    if (windowGone) {
        fprintf(stderr, "framewatch: no window 0x%lx\n", window);
        return 1;
    }
    printf("ready\n");
    fflush(stdout);

    struct pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {watch, POLLIN, 0}};
    while (NowMs() < endMs) {
        // The file is closed before any frame that follows it is drawn:
        // looking at it first keeps the two in order.
        char buffer[4096];
        if (watch >= 0 && read(watch, buffer, sizeof buffer) > 0) {
            printf("loaded\n");
            fflush(stdout);
            close(watch);
            watch = -1;
            fds[1].fd = -1;
        }
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == damageEvent + XDamageNotify) {
                XDamageNotifyEvent *damage = (XDamageNotifyEvent *)&event;
                printf("frame %dx%d\n", damage->area.width, damage->area.height);
            } else if (event.type == ConfigureNotify) {
                XConfigureEvent *c = &event.xconfigure;
                if (c->width != shape.width || c->height != shape.height || c->x != shape.x ||
                    c->y != shape.y)
                    printf("configured %dx%d+%d+%d\n", c->width, c->height, c->x, c->y);
                shape.width = c->width, shape.height = c->height, shape.x = c->x, shape.y = c->y;
            } else if (event.type == DestroyNotify) {
                windowGone = 1;
            }
        }
        fflush(stdout);
        if (windowGone) {
            printf("destroyed\n");
            return 0;
        }
        poll(fds, 2, 50);
    }
    return 0;
}
