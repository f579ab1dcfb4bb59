#!/usr/bin/env bash
# The viewer's keys: F1-F3 set the resolution, f toggles full screen.
. "$(dirname "$0")/lib.sh"

expect_cursor() {
    local gl state
    gl=$(gl_window)
    xdotool mousemove $(( $(win_field "$gl" x) + 10 )) $(( $(win_field "$gl" y) + 10 ))
    state=$("$CURSORSTATE") || fail "cursorstate failed"
    [ "${state%% *}" = "$1" ] || fail "cursor: expected $1, got '$state'"
}

# The scene fills the middle of the new mode: the viewport followed it.
expect_picture_fills() {
    local gl w h shot=$E2E_DIR/mode.png colour red
    gl=$(gl_window)
    w=$(win_field "$gl" width)
    h=$(win_field "$gl" height)
    red=$(scene_colour _i2.3ds)
    shoot "$shot"
    for spot in "50 50" "30 30" "70 70" "30 70" "70 30"; do
        set -- $spot
        colour=$(pixel "$shot" $(( w * $1 / 100 )) $(( h * $2 / 100 )))
        colour_near "$colour" "$red" || fail "at $1%,$2% of ${w}x$h: expected $red, got $colour"
    done
    for spot in "5 5" "95 95" "95 5" "5 95"; do
        set -- $spot
        colour=$(pixel "$shot" $(( w * $1 / 100 )) $(( h * $2 / 100 )))
        is_black "$colour" || fail "at $1%,$2% of ${w}x$h: expected black, got $colour"
    done
}

case ${1:-} in
resolutions)
    open_show
    expect_window_state "640x480 fullscreen"
    press F2
    expect_window_state "800x600 fullscreen"
    press F3
    expect_window_state "1024x768 fullscreen"
    expect_picture_fills
    press F1
    expect_window_state "640x480 fullscreen"
    press F4 g space
    sleep 0.3
    expect_window_state "640x480 fullscreen"
    press Escape
    wait_show_exit 10
    expect_status 0
    expect_stdout "d'Oh!"
    pass
    ;;
toggle)
    open_show
    expect_cursor hidden
    press f
    expect_window_state "640x480 windowed"
    expect_cursor visible
    press F2
    expect_window_state "800x600 windowed"
    expect_picture_fills
    # Twice: back where it was.
    press f f
    sleep 0.3
    expect_window_state "800x600 windowed"
    expect_cursor visible
    press F1
    expect_window_state "640x480 windowed"
    # Shift+f is f.
    press shift+f
    expect_window_state "640x480 fullscreen"
    expect_cursor hidden
    press F3
    expect_window_state "1024x768 fullscreen"
    press Escape
    wait_show_exit 10
    expect_status 0
    expect_stdout "d'Oh!"
    pass
    ;;
*)
    fail "unknown case '${1:-}'"
    ;;
esac
