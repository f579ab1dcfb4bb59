/* Finds the show's windows by whose they are rather than by where they sit in
 * the window tree, which differs between the SDL 1.2 libraries: classic SDL
 * draws into a child window that it moves between its managed top-level
 * window and an override-redirect window covering the screen; sdl12-compat
 * draws into its one top-level window.
 *   managed: the top-level window with a class hint whose _NET_WM_PID is PID,
 *            the one a window manager would manage (mapped or not);
 *   drawing: the top-most viewable window of that window's X client with no
 *            viewable child of the same client;
 *   state:   "WxH fullscreen" or "WxH windowed" for the drawing window. Classic
 *            SDL goes full screen by putting it into a viewable override-
 *            redirect window at 0,0; sdl12-compat (SDL 2) asks a window
 *            manager, which lists full screen in its _NET_WM_STATE;
 *   centre:  "WxH r g b", the drawing window's size and the colour (0-255
 *            each) of its middle pixel: quicker than a picture of the whole
 *            window, which at full-screen size takes longer than the
 *            shortest scene lasts at five times the speed.
 * Usage: showwindow managed|drawing|state|centre PID, on $DISPLAY. Prints the
 * window id in hex, or what was asked. Exit status 0 when found, 1 when not,
 * 2 on error. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <xcb/xcb.h>

static xcb_connection_t *connection;

static xcb_atom_t Atom(const char *name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, strlen(name), name), NULL);
    xcb_atom_t atom = reply ? reply->atom : XCB_ATOM_NONE;
    free(reply);
    return atom;
}

static int HasProperty(xcb_window_t window, xcb_atom_t property, uint32_t *cardinal)
{
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, XCB_ATOM_ANY, 0, 1), NULL);
    int found = reply && reply->type != XCB_ATOM_NONE;
    if (found && cardinal && xcb_get_property_value_length(reply) >= 4)
        *cardinal = *(uint32_t *)xcb_get_property_value(reply);
    free(reply);
    return found;
}

static int Viewable(xcb_window_t window, int *overrideRedirect)
{
    xcb_get_window_attributes_reply_t *reply = xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), NULL);
    int viewable = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    if (overrideRedirect) *overrideRedirect = reply && reply->override_redirect;
    free(reply);
    return viewable;
}

static int HasAtom(xcb_window_t window, xcb_atom_t property, xcb_atom_t atom)
{
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, XCB_ATOM_ATOM, 0, 64), NULL);
    int found = 0;
    if (reply) {
        const xcb_atom_t *atoms = xcb_get_property_value(reply);
        for (int i = 0; i < xcb_get_property_value_length(reply) / 4; i++)
            found |= atoms[i] == atom;
    }
    free(reply);
    return found;
}

static int PrintState(xcb_window_t window)
{
    xcb_get_geometry_reply_t *size =
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), NULL);
    xcb_query_tree_reply_t *tree =
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), NULL);
    if (!size || !tree) {
        free(size);
        free(tree);
        return 0;
    }
    int overrideRedirect = 0, fullScreen = 0;
    if (Viewable(tree->parent, &overrideRedirect) && overrideRedirect) {
        xcb_get_geometry_reply_t *place =
            xcb_get_geometry_reply(connection, xcb_get_geometry(connection, tree->parent), NULL);
        fullScreen = place && place->x == 0 && place->y == 0;
        free(place);
    }
    fullScreen |= HasAtom(window, Atom("_NET_WM_STATE"), Atom("_NET_WM_STATE_FULLSCREEN"));
    printf("%ux%u %s\n", size->width, size->height, fullScreen ? "fullscreen" : "windowed");
    free(size);
    free(tree);
    return 1;
}

/* Children of `window` from the top of the stacking order down; *count of them. */
static xcb_window_t *ChildrenTopFirst(xcb_window_t window, int *count)
{
    xcb_query_tree_reply_t *reply =
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), NULL);
    *count = reply ? xcb_query_tree_children_length(reply) : 0;
    xcb_window_t *children = malloc(sizeof *children * (*count + 1));
    const xcb_window_t *bottomFirst = reply ? xcb_query_tree_children(reply) : NULL;
    for (int i = 0; i < *count; i++) children[i] = bottomFirst[*count - 1 - i];
    free(reply);
    return children;
}

/* The 8-bit value of the colour channel under `mask` in `pixel`. */
static unsigned Channel(uint32_t pixel, uint32_t mask)
{
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) shift++;
    return (unsigned)(((pixel & mask) >> shift) * 255 / (mask >> shift));
}

static const xcb_visualtype_t *Visual(const xcb_setup_t *setup, xcb_visualid_t id)
{
    for (xcb_screen_iterator_t screen = xcb_setup_roots_iterator(setup); screen.rem;
         xcb_screen_next(&screen))
        for (xcb_depth_iterator_t depth = xcb_screen_allowed_depths_iterator(screen.data);
             depth.rem; xcb_depth_next(&depth))
            for (xcb_visualtype_iterator_t visual = xcb_depth_visuals_iterator(depth.data);
                 visual.rem; xcb_visualtype_next(&visual))
                if (visual.data->visual_id == id) return visual.data;
    return NULL;
}

static int PrintCentre(const xcb_setup_t *setup, xcb_window_t window)
{
    xcb_get_geometry_reply_t *size =
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), NULL);
    xcb_get_window_attributes_reply_t *attributes = xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), NULL);
    xcb_get_image_reply_t *image =
        size ? xcb_get_image_reply(connection,
                                   xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window,
                                                 size->width / 2, size->height / 2, 1, 1, ~0u),
                                   NULL)
             : NULL;
    const xcb_visualtype_t *visual = attributes ? Visual(setup, attributes->visual) : NULL;
    int found = image && visual && xcb_get_image_data_length(image) >= 4;
    if (found) {
        /* One pixel of a 24- or 32-bit TrueColor window, 32 bits in the server's byte order. */
        const uint8_t *b = xcb_get_image_data(image);
        uint32_t pixel = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST
                             ? b[0] | b[1] << 8 | b[2] << 16 | (uint32_t)b[3] << 24
                             : (uint32_t)b[0] << 24 | b[1] << 16 | b[2] << 8 | b[3];
        printf("%ux%u %u %u %u\n", size->width, size->height, Channel(pixel, visual->red_mask),
               Channel(pixel, visual->green_mask), Channel(pixel, visual->blue_mask));
    }
    free(size);
    free(attributes);
    free(image);
    return found;
}

static xcb_window_t ManagedWindow(xcb_window_t root, uint32_t pid)
{
    xcb_atom_t pidAtom = Atom("_NET_WM_PID");
    int count;
    xcb_window_t *children = ChildrenTopFirst(root, &count), found = XCB_WINDOW_NONE;
    for (int i = 0; i < count && !found; i++) {
        uint32_t owner = 0;
        if (HasProperty(children[i], pidAtom, &owner) && owner == pid &&
            HasProperty(children[i], XCB_ATOM_WM_CLASS, NULL))
            found = children[i];
    }
    free(children);
    return found;
}

/* The top-most viewable window below `window` that belongs to the client
 * (`base` under `mask`) and has no viewable child of its own client. */
static xcb_window_t DrawingWindow(xcb_window_t window, uint32_t base, uint32_t mask)
{
    int count;
    xcb_window_t *children = ChildrenTopFirst(window, &count), found = XCB_WINDOW_NONE;
    for (int i = 0; i < count && !found; i++) {
        if (!Viewable(children[i], NULL)) continue;
        found = DrawingWindow(children[i], base, mask);
        if (!found && (children[i] & ~mask) == base) found = children[i];
    }
    free(children);
    return found;
}

int main(int argc, char **argv)
{
    const char *what = argc == 3 ? argv[1] : "";
    if (strcmp(what, "managed") != 0 && strcmp(what, "drawing") != 0 &&
        strcmp(what, "state") != 0 && strcmp(what, "centre") != 0) {
        fprintf(stderr, "usage: %s managed|drawing|state|centre PID\n", argv[0]);
        return 2;
    }
    connection = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(connection)) {
        fprintf(stderr, "showwindow: cannot open the display\n");
        return 2;
    }
    const xcb_setup_t *setup = xcb_get_setup(connection);
    xcb_window_t root = xcb_setup_roots_iterator(setup).data->root;
    xcb_window_t window = ManagedWindow(root, (uint32_t)strtoul(argv[2], NULL, 10));
    if (window && strcmp(what, "managed") != 0) {
        /* X resource ids carry their client in the bits above the mask. */
        uint32_t mask = setup->resource_id_mask;
        window = DrawingWindow(root, window & ~mask, mask);
    }
    if (window && strcmp(what, "state") == 0)
        window = PrintState(window) ? window : XCB_WINDOW_NONE;
    else if (window && strcmp(what, "centre") == 0)
        window = PrintCentre(setup, window) ? window : XCB_WINDOW_NONE;
    else if (window)
        printf("0x%x\n", window);
    xcb_disconnect(connection);
    return window ? 0 : 1;
}
