#!/usr/bin/env bash
# How the show ends at the viewer's request: Esc, or a window-close request.
. "$(dirname "$0")/lib.sh"

case ${1:-} in
escape)
    # Command-line arguments are ignored.
    SHOW_ARGS=(-f --help extra)
    open_show
    press Escape
    wait_show_exit 10
    expect_status 0
    expect_stdout "d'Oh!"
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
*)
    fail "unknown case '${1:-}'"
    ;;
esac
