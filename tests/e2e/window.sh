#!/usr/bin/env bash
# Window events: resizes, down to 1x1, set the mode and viewport; losing the
# focus pauses drawing while the show clock runs on; keys after the window
# was hidden and shown again.
. "$(dirname "$0")/lib.sh"

case ${1:-} in
resize)
    open_show
    press f
    expect_window_state "640x480 windowed"
    pointer_in
    window=$(managed_window)
    xdotool windowsize "$window" 900 500 || fail "xdotool windowsize"
    expect_window_state "900x500 windowed"
    pointer_in
    # The picture is drawn over the whole new size: the quad in its middle
    # reaches past where the old 640x480 viewport ended.
    red=$(scene_colour _i2.3ds)
    shot=$E2E_DIR/resized.png
    sleep 0.2
    shoot "$shot"
    for spot in "450 250" "650 150" "250 350"; do
        colour=$(pixel "$shot" $spot)
        colour_near "$colour" "$red" || fail "at $spot of 900x500: expected $red, got $colour"
    done
    for spot in "20 20" "880 480" "760 250"; do
        colour=$(pixel "$shot" $spot)
        is_black "$colour" || fail "at $spot of 900x500: expected black, got $colour"
    done
    # A one-pixel-high window; then resize reports sent as a window manager
    # would: one that the show follows, and one of height 0, which SDL drops.
    xdotool windowsize "$window" 640 1 || fail "xdotool windowsize"
    expect_window_state "640x1 windowed"
    "$XCONFIGURE" "$window" 700 300 || fail "xconfigure failed"
    expect_window_state "700x300 windowed"
    "$XCONFIGURE" "$window" 500 0 || fail "xconfigure failed"
    sleep 0.5
    show_alive || fail "the show died on a resize to height 0"
    expect_window_state "700x300 windowed"
    xdotool windowsize "$window" 500 400 || fail "xdotool windowsize"
    expect_window_state "500x400 windowed"
    pointer_in
    sleep 0.2
    colour=$(centre_colour)
    colour_near "$colour" "$red" || fail "after the resizes: expected $red, got $colour"
    quit_with_escape
    pass
    ;;
focus)
    # A ten times faster clock: the show lasts 12 s.
    open_show --speed 10
    press f
    expect_window_state "640x480 windowed"
    pointer_in
    sync_show_clock 10
    window=$(managed_window)
    xdotool windowunmap "$window" || fail "xdotool windowunmap"
    # Back at show time ~100 s, inside t.3ds's slot (96-112 s).
    while [ $(( ($(now_ms) - CLOCK_MS) * 10 )) -lt 100000 ]; do sleep 0.05; done
    xdotool windowmap "$window" || fail "xdotool windowmap"
    show_alive || fail "the show ended while its window was inactive, before show time ~100 s"
    expect_window_state "640x480 windowed"
    sleep 0.15
    colour=$(centre_colour)
    colour_near "$colour" "$(scene_colour t.3ds)" ||
        fail "after the pause, at show time ~100 s: expected t.3ds's $(scene_colour t.3ds), got $colour"
    # Paused across the end of the show: nothing notices it until the window
    # is active again.
    xdotool windowunmap "$window" || fail "xdotool windowunmap"
    while [ $(( ($(now_ms) - CLOCK_MS) * 10 )) -lt 125000 ]; do sleep 0.1; done
    show_alive || fail "the show ended while its window was inactive"
    xdotool windowmap "$window" || fail "xdotool windowmap"
    wait_show_exit 3
    expect_status 0
    expect_stdout "Plop"
    pass
    ;;
map_escape)
    # Esc pressed over the window after it was unmapped and mapped again, as
    # a keyboard types it (XTEST), with no window manager. Classic SDL 1.2
    # leaves the input focus with the pointer (the X server's default).
    # sdl12-compat (SDL 2) gives its window the focus when it first maps it,
    # to revert to none, so the unmap leaves the focus with nobody; the show
    # hands it back to the pointer when its window comes back. The key then
    # reaches the window under the pointer on both.
    open_show
    press f
    expect_window_state "640x480 windowed"
    window=$(managed_window)
    xdotool windowunmap "$window" || fail "xdotool windowunmap"
    sleep 0.3
    focus=$(xdotool getwindowfocus -f 2>/dev/null)
    if [ "$(sdl_library)" = compat ]; then
        [ "$focus" = 0 ] || fail "input focus on '$focus' with the window unmapped, expected none"
    else
        [ "$focus" = 1 ] || fail "input focus on '$focus' with the window unmapped, expected the pointer's"
    fi
    xdotool windowmap "$window" || fail "xdotool windowmap"
    expect_window_state "640x480 windowed"
    pointer_in
    frames=$(count_frames 1)
    [ "$frames" -ge 3 ] || fail "$frames frames drawn in 1 s after the window was mapped again"
    focus=$(xdotool getwindowfocus -f 2>/dev/null)
    [ "$focus" = 1 ] || fail "input focus on '$focus' after the window was mapped again, expected the pointer's"
    quit_with_escape
    pass "$frames frames in 1 s after the map"
    ;;
tiny)
    # A 1x1 window, the smallest that SDL passes on (it drops sizes of 0,
    # see resize): the show draws on and ends at its time. Ten times faster:
    # the show lasts 12 s.
    open_show --speed 10
    press f
    expect_window_state "640x480 windowed"
    window=$(managed_window)
    xdotool windowsize "$window" 1 1 || fail "xdotool windowsize"
    expect_window_state "1x1 windowed"
    pointer_in
    frames=$(count_frames 1)
    [ "$frames" -ge 3 ] || fail "$frames frames drawn in 1 s at 1x1"
    xdotool windowsize "$window" 640 480 || fail "xdotool windowsize"
    expect_window_state "640x480 windowed"
    pointer_in
    sleep 0.2
    colour=$(centre_colour)
    "$MAKETESTDATA" --list | awk '{ print $5, $6, $7 }' >"$E2E_DIR/colours"
    while read -r scene; do
        colour_near "$colour" "$scene" && break
    done <"$E2E_DIR/colours"
    colour_near "$colour" "$scene" || fail "after 1x1: the picture shows $colour, no scene"
    wait_show_exit 20
    expect_status 0
    expect_stdout "Plop"
    pass "$frames frames in 1 s at 1x1"
    ;;
*)
    fail "unknown case '${1:-}'"
    ;;
esac
