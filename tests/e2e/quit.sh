#!/usr/bin/env bash
# How the show ends at the viewer's request: Esc, or a window-close request,
# also one sent while the show is still loading.
. "$(dirname "$0")/lib.sh"

case ${1:-} in
escape)
    # Command-line arguments are ignored.
    SHOW_ARGS=(-f --help extra)
    open_show
    quit_with_escape
    pass
    ;;
close)
    open_show
    window=$(managed_window)
    [ -n "$window" ] || fail "no managed window to close"
    "$WMCLOSE" "$window" || fail "wmclose failed"
    wait_show_exit 10
    expect_status 0
    expect_stdout "Plop"
    pass
    ;;
close_loading)
    # The request comes while the scenes load (large images make that long)
    # and waits in the queue: the first pass of the loop draws its frame,
    # then the show ends.
    make_data --image-size 2048
    start_xvfb
    start_show
    wait_window
    frames=$E2E_DIR/frames
    "$FRAMEWATCH" "$GLWIN" 40 "$E2E_RUN/data/end.png" >"$frames" &
    HELPER_PIDS+=($!)
    for i in $(seq 50); do
        grep -q ready "$frames" && break
        sleep 0.1
    done
    grep -q ready "$frames" || fail "framewatch failed"
    "$WMCLOSE" "$(managed_window)" || fail "wmclose failed"
    # end.png is the last file loaded.
    grep -q loaded "$frames" && fail "the scenes were loaded before the request was sent: make the images larger"
    show_alive || fail "the show ended during loading"
    for i in $(seq 400); do
        grep -q loaded "$frames" && break
        sleep 0.05
    done
    grep -q loaded "$frames" || fail "the show never read data/end.png"
    loaded_ms=$(now_ms)
    wait_show_exit 10
    exit_ms=$(( $(now_ms) - loaded_ms ))
    expect_status 0
    expect_stdout "Plop"
    for i in $(seq 50); do
        grep -q destroyed "$frames" && break
        sleep 0.1
    done
    grep -q destroyed "$frames" || fail "the show's window outlived it"
    # As it quits, SDL 2 (sdl12-compat) takes the window out of full screen,
    # which moves and damages it: what follows is not the show's drawing.
    after=$(sed -n '/^loaded$/,$p' "$frames" |
        awk -v frame="frame $(fullscreen_size 640x480)" '/^configured/ { exit } $0 == frame { n++ } END { print n + 0 }')
    [ "$after" -eq 1 ] || fail "$after frames shown after loading, expected the one of the first pass"
    [ "$exit_ms" -le 5000 ] || fail "the show ended ${exit_ms} ms after loading"
    pass "ended ${exit_ms} ms after loading, one frame shown"
    ;;
*)
    fail "unknown case '${1:-}'"
    ;;
esac
