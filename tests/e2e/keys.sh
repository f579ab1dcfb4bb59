#!/usr/bin/env bash
# The viewer's keys: F1-F3 set the resolution, f toggles full screen; a held
# key repeats.
. "$(dirname "$0")/lib.sh"

# The cursor over the drawing window is $1 (hidden or visible), within 2 s
# as the show's change reaches the X server in the library's own time.
expect_cursor() {
    local gl state i
    gl=$(gl_window)
    xdotool mousemove $(( $(win_field "$gl" x) + 10 )) $(( $(win_field "$gl" y) + 10 ))
    for i in $(seq 20); do
        state=$("$CURSORSTATE") || fail "cursorstate failed"
        [ "${state%% *}" = "$1" ] && return 0
        sleep 0.1
    done
    fail "cursor: expected $1, got '$state'"
}

# The scene fills the middle of the new mode: the viewport followed it.
expect_picture_fills() { within 5 picture_fills || fail "$PICTURE_PROBLEM"; }

# Succeeds when the picture fills the mode now; otherwise says what is wrong
# in PICTURE_PROBLEM.
picture_fills() {
    local gl w h shot=$E2E_DIR/mode.png colour red
    gl=$(gl_window)
    w=$(win_field "$gl" width)
    h=$(win_field "$gl" height)
    red=$(scene_colour _i2.3ds)
    shoot "$shot"
    for spot in "50 50" "30 30" "70 70" "30 70" "70 30"; do
        set -- $spot
        colour=$(pixel "$shot" $(( w * $1 / 100 )) $(( h * $2 / 100 )))
        colour_near "$colour" "$red" || {
            PICTURE_PROBLEM="at $1%,$2% of ${w}x$h: expected $red, got $colour"
            return 1
        }
    done
    for spot in "5 5" "95 95" "95 5" "5 95"; do
        set -- $spot
        colour=$(pixel "$shot" $(( w * $1 / 100 )) $(( h * $2 / 100 )))
        is_black "$colour" || {
            PICTURE_PROBLEM="at $1%,$2% of ${w}x$h: expected black, got $colour"
            return 1
        }
    done
}

case ${1:-} in
resolutions)
    # On sdl12-compat every full-screen mode is scaled to the whole screen.
    open_show
    expect_fullscreen 640x480
    press F2
    expect_fullscreen 800x600
    press F3
    expect_fullscreen 1024x768
    expect_picture_fills
    press F1
    expect_fullscreen 640x480
    press F4 g space
    sleep 0.3
    expect_fullscreen 640x480
    quit_with_escape
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
    # Twice: back where it was. One key at a time, as the focus follows the
    # pointer and the window moves between the two.
    press f
    expect_fullscreen 800x600
    press f
    expect_window_state "800x600 windowed"
    expect_cursor visible
    press F1
    expect_window_state "640x480 windowed"
    # Shift+f is f.
    press shift+f
    expect_fullscreen 640x480
    expect_cursor hidden
    press F3
    expect_fullscreen 1024x768
    quit_with_escape
    pass
    ;;
held_f)
    # On a screen the size of the mode the window covers the same spot in
    # both states, so the pointer, and with it the focus, stays on it.
    make_data
    start_xvfb 640x480x24
    keys=$E2E_DIR/keys
    start_show LD_PRELOAD="$KEYPROBE" KEYPROBE_LOG="$keys"
    wait_window
    wait_first_frame
    pointer_in
    # Key repeat is on: a held key that changes nothing repeats after
    # 100 ms, then every 30 ms (at most once per loop pass).
    xdotool keydown g && sleep 1 && xdotool keyup g || fail "xdotool keydown g"
    sleep 0.3
    awk '$1 == 103 { print $2 }' "$keys" >"$E2E_DIR/g"
    downs=$(wc -l <"$E2E_DIR/g")
    [ "$downs" -ge 8 ] || fail "g held 1 s: $downs key-downs, expected the press and its repeats"
    first_gap=$(awk 'NR == 1 { a = $1 } NR == 2 { print $1 - a }' "$E2E_DIR/g")
    [ "$first_gap" -ge 100 ] || fail "g held: first repeat after $first_gap ms, expected 100 ms or more"
    mean_gap=$(awk 'NR == 2 { a = $1 } { b = $1 } END { print int((b - a) / (NR - 2)) }' "$E2E_DIR/g")
    [ "$mean_gap" -ge 28 ] || fail "g held: repeats every $mean_gap ms, expected 30 ms or more"
    # A held f toggles once per key-down: whatever the number that reaches
    # the show, the window and the cursor agree with its parity. Twice:
    # from full screen, then from wherever that left it.
    toggles=0
    for hold in 1 2; do
        xdotool keydown f && sleep 1 && xdotool keyup f || fail "xdotool keydown f"
        sleep 0.5
        show_alive || fail "the show died with f held"
        toggles=$(awk '$1 == 102' "$keys" | wc -l)
        [ "$toggles" -ge "$hold" ] || fail "f held: no key-down reached the show"
        if [ $((toggles % 2)) -eq 0 ]; then
            expect_fullscreen 640x480
            expect_cursor hidden
        else
            expect_window_state "640x480 windowed"
            expect_cursor visible
        fi
        pointer_in
        frames=$(count_frames 1)
        [ "$frames" -ge 3 ] || fail "after f was held: $frames frames drawn in 1 s"
    done
    quit_with_escape
    pass "g: $downs key-downs in 1 s, first gap $first_gap ms, then $mean_gap ms; f: $toggles key-downs in two holds"
    ;;
*)
    fail "unknown case '${1:-}'"
    ;;
esac
