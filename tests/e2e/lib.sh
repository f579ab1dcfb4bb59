# Harness for the end-to-end tests: each test runs the real show in a
# temporary directory with generated data, on an Xvfb of its own, and drives
# it with real X input. Sourced by the test scripts.
#
# Environment (set by CTest): SHOW, MAKETESTDATA, WMCLOSE, CURSORSTATE,
# XCONFIGURE, PCMLEVELS, WAITCLOSE, FRAMEWATCH, KEYPROBE, SHOWWINDOW,
# FULLSCREENWM, SDLVERSION, SHOWCHECK: paths of the programs; SHOW_DATA:
# the show's generated data; E2E_TMP: where the test directories go (default
# $TMPDIR or /tmp); E2E_SDL_LIBRARY_PATH: a directory with another
# libSDL-1.2.so.0 for the show to run on (see sdl_library); E2E_EXIT_MS: how
# long the show may take from its last frame until its window closes.
# Every wait is bounded; a watchdog ends the test (and the trap cleans up the
# show and Xvfb) before CTest's own timeout would. A passing test has also
# checked that the show left nothing behind (see expect_nothing_left).

set -u
set -o pipefail

E2E_NAME=${E2E_NAME:-$(basename "$0" .sh)${1:+.$1}}
E2E_LIMIT=${E2E_LIMIT:-50}
E2E_ROOT=${E2E_TMP:-${TMPDIR:-/tmp}}
mkdir -p "$E2E_ROOT"
E2E_DIR=$(mktemp -d "$E2E_ROOT/e2e.XXXXXX")
E2E_RUN=$E2E_DIR/run
# The show's temporary directory; also its /tmp and /var/tmp where it can
# have private ones (see start_show).
E2E_SHOWTMP=$E2E_DIR/showtmp
SHOW_PID=
XVFB_PID=
XVFB_SOCKET_ID=
SHOW_STATUS=
SHOW_ARGS=()
WATCHDOG_PID=
HELPER_PIDS=()
mkdir -p "$E2E_RUN/data" "$E2E_SHOWTMP"
# Any user the show may run as can write there.
chmod 1777 "$E2E_SHOWTMP"

e2e_cleanup() {
    local status=$?
    trap - EXIT TERM INT
    [ -n "$WATCHDOG_PID" ] && kill "$WATCHDOG_PID" 2>/dev/null
    local pid
    for pid in "${HELPER_PIDS[@]}"; do
        kill "$pid" 2>/dev/null
    done
    if [ -n "$SHOW_PID" ] && kill -0 "$SHOW_PID" 2>/dev/null; then
        kill -KILL "$SHOW_PID" 2>/dev/null
        wait "$SHOW_PID" 2>/dev/null
    fi
    # Whatever the show started and left.
    for pid in $(tagged_processes); do
        kill -KILL "$pid" 2>/dev/null
    done
    if [ -n "$XVFB_PID" ]; then
        kill -TERM "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
    fi
    if [ "$status" -ne 0 ] && [ -n "${E2E_KEEP:-}" ]; then
        echo "e2e: kept $E2E_DIR" >&2
    else
        rm -rf "$E2E_DIR"
    fi
    exit "$status"
}
trap e2e_cleanup EXIT
trap 'echo "FAIL $E2E_NAME: interrupted or out of time ($E2E_LIMIT s)" >&2; exit 124' TERM INT
# Detached from our output, so that CTest does not wait for it.
(
    trap 'kill "$sleeper" 2>/dev/null; exit 0' TERM
    sleep "$E2E_LIMIT" &
    sleeper=$!
    wait "$sleeper" && kill -TERM $$
) </dev/null >/dev/null 2>&1 &
WATCHDOG_PID=$!

# No X client may hang a test (xwininfo without a window waits for a click):
# each gets a few seconds.
xwininfo() { timeout 5 xwininfo "$@"; }
xdotool() { timeout 5 xdotool "$@"; }
import() { timeout 10 import "$@"; }
convert() { timeout 10 convert "$@"; }

fail() {
    echo "FAIL $E2E_NAME: $*" >&2
    if [ -s "$E2E_RUN/stdout" ]; then
        echo "--- show stdout:" >&2
        cat "$E2E_RUN/stdout" >&2
    fi
    if [ -s "$E2E_RUN/stderr" ]; then
        echo "--- show stderr (last lines):" >&2
        tail -n 20 "$E2E_RUN/stderr" >&2
    fi
    exit 1
}

# Ends a test that cannot run here (CTest counts status 77 as skipped).
skip() {
    echo "SKIP $E2E_NAME: $*"
    exit 77
}

pass() {
    expect_no_sanitizer_report
    expect_nothing_left
    echo "PASS $E2E_NAME${*:+: $*}"
    exit 0
}

# Seconds since the epoch with milliseconds, as an integer count of ms.
now_ms() { date +%s%3N; }

# Runs the command $2... until it succeeds, for up to $1 seconds; fails
# (returns 1) if it never did. For what the show does in its own time: the
# first frame in a new mode comes a while after the window took it on a
# loaded machine.
within() {
    local limit_ms=$(( $(now_ms) + $1 * 1000 ))
    until "${@:2}"; do
        [ "$(now_ms)" -lt "$limit_ms" ] || return 1
        sleep 0.2
    done
}

# ---- content ---------------------------------------------------------------

make_data() {
    "$MAKETESTDATA" "$E2E_RUN/data" "$@" || fail "maketestdata failed"
}

# Fields of a scene's line in the test content list: file image start end r g b.
scene_info() {
    "$MAKETESTDATA" --list | awk -v s="$1" '$1 == s'
}

# ---- the SDL library ---------------------------------------------------------

# Settings for env that run a program on the show's SDL 1.2 library: the
# other library's directory first, where the test names one.
SHOW_SDL_ENV=()
[ -n "${E2E_SDL_LIBRARY_PATH:-}" ] &&
    SHOW_SDL_ENV=(LD_LIBRARY_PATH="$E2E_SDL_LIBRARY_PATH${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}")

# Prints the version of the SDL 1.2 library that the show runs on.
sdl_version() {
    if [ ! -s "$E2E_DIR/sdlversion" ]; then
        env "${SHOW_SDL_ENV[@]}" "$SDLVERSION" >"$E2E_DIR/sdlversion" ||
            fail "sdlversion failed"
    fi
    cat "$E2E_DIR/sdlversion"
}

# Prints the SDL 1.2 library that the show runs on: "classic" (SDL 1.2
# itself) or "compat" (sdl12-compat, SDL 1.2 on SDL 2, version 1.2.50 on).
# The two differ where the tests say so.
sdl_library() {
    local version
    version=$(sdl_version)
    [ "${version##*.}" -ge 50 ] && echo compat || echo classic
}

# ---- X server --------------------------------------------------------------

# Starts an Xvfb of the given screen size; more arguments go to Xvfb.
start_xvfb() {
    local size=${1:-1280x1024x24}
    Xvfb -displayfd 5 -screen 0 "$size" -nolisten tcp -noreset "${@:2}" \
        5>"$E2E_DIR/display" >"$E2E_DIR/xvfb.log" 2>&1 &
    XVFB_PID=$!
    local i
    for i in $(seq 100); do
        [ -s "$E2E_DIR/display" ] && break
        kill -0 "$XVFB_PID" 2>/dev/null || fail "Xvfb died: $(cat "$E2E_DIR/xvfb.log")"
        sleep 0.1
    done
    [ -s "$E2E_DIR/display" ] || fail "Xvfb gave no display"
    export DISPLAY=:$(head -n 1 "$E2E_DIR/display")
    XVFB_SOCKET_ID=$(socket_id "/tmp/.X11-unix/X${DISPLAY#:}")
    [ -n "$XVFB_SOCKET_ID" ] || fail "Xvfb made no socket for $DISPLAY"
    # Full screen through a window manager, as sdl12-compat asks for it.
    "$FULLSCREENWM" >"$E2E_DIR/fullscreenwm" 2>/dev/null &
    HELPER_PIDS+=($!)
    for i in $(seq 50); do
        grep -q ready "$E2E_DIR/fullscreenwm" && return 0
        sleep 0.1
    done
    fail "fullscreenwm did not start"
}

# Inode and change time of a file: which file stands at a path, even where
# another takes the same path later.
socket_id() { stat -c '%i %z' "$1" 2>/dev/null; }

# Ends the Xvfb as the exit trap does, and checks that it went with its lock
# file and socket. Another test's Xvfb may take the display number at once,
# and writes its socket before its lock: a lock file holding another pid, or
# a socket that is not the one our Xvfb made, is not ours.
stop_xvfb() {
    [ -n "$XVFB_PID" ] || return 0
    local pid=$XVFB_PID number=${DISPLAY#:} lock socket owner
    kill -TERM "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    XVFB_PID=
    kill -0 "$pid" 2>/dev/null && fail "Xvfb (pid $pid) still runs after TERM"
    lock=/tmp/.X$number-lock
    socket=/tmp/.X11-unix/X$number
    owner=$({ tr -d ' ' <"$lock"; } 2>/dev/null)
    [ "$owner" = "$pid" ] && fail "Xvfb left its lock file $lock"
    [ "$(socket_id "$socket")" = "$XVFB_SOCKET_ID" ] && fail "Xvfb left its socket $socket"
    return 0
}

# ---- the show --------------------------------------------------------------

# Succeeds when the show can get a /tmp and /var/tmp of its own: a private
# mount namespace (root), and the test directory and the programs that the
# show runs or loads outside both, where it still sees them.
private_tmp_possible() {
    local path real
    for path in "$E2E_DIR" "$SHOW" "${KEYPROBE:-/}"; do
        real=$(realpath "$path")
        case $real/ in
        /tmp/* | /var/tmp/*) return 1 ;;
        esac
    done
    unshare --mount --propagation private true 2>/dev/null
}

# Starts the show in the run directory with stdout and stderr to files, the
# x11 video driver, the dummy audio driver and no MUSIC_CMD. Options, first:
# "--speed N" runs its clock N times faster (libfaketime preloaded into the
# show itself, so that SHOW_PID is the show); "--unset VAR" removes VAR from
# its environment; "--user NAME" runs it as that user. Then VAR=value
# settings.
# Whatever the show writes to a temporary directory lands in E2E_SHOWTMP: its
# TMPDIR, and where possible its /tmp and /var/tmp (bind mounts in a mount
# namespace of its own; X clients reach Xvfb through its abstract socket).
# E2E_TAG in its environment marks the show and anything it starts.
start_show() {
    local -a settings=(SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "${SHOW_SDL_ENV[@]}")
    local -a unset=(-u MUSIC_CMD) as=() wrap=()
    local lib
    while [ $# -gt 0 ]; do
        case $1 in
        --speed)
            lib=$(ls /usr/lib/*/faketime/libfaketimeMT.so.1 2>/dev/null | head -n 1)
            [ -n "$lib" ] || fail "libfaketime is not installed"
            settings+=(LD_PRELOAD="$lib" FAKETIME="+0 x$2")
            shift 2
            ;;
        --unset)
            unset+=(-u "$2")
            shift 2
            ;;
        --user)
            as=(setpriv --reuid="$2" --regid="$(id -g "$2")" --clear-groups)
            shift 2
            ;;
        *)
            break
            ;;
        esac
    done
    # env applies its -u options before the settings: drop the defaults too.
    local -a kept=()
    local s v
    for s in "${settings[@]}"; do
        for v in "${unset[@]}"; do
            [ "${s%%=*}" = "$v" ] && continue 2
        done
        kept+=("$s")
    done
    if private_tmp_possible; then
        wrap=(unshare --mount --propagation private
            sh -c 'mount --bind "$0" /tmp && mount --bind "$0" /var/tmp && exec "$@"' "$E2E_SHOWTMP")
    fi
    find "$E2E_RUN" ! -path "$E2E_RUN/stdout" ! -path "$E2E_RUN/stderr" | sort >"$E2E_DIR/before"
    (cd "$E2E_RUN" && exec "${wrap[@]}" env "${unset[@]}" E2E_TAG="$E2E_DIR" TMPDIR="$E2E_SHOWTMP" \
        "${kept[@]}" "$@" "${as[@]}" "$SHOW" "${SHOW_ARGS[@]}" >stdout 2>stderr) &
    SHOW_PID=$!
}

# Pids of the live processes that carry this test's tag: the show and
# whatever it started.
tagged_processes() {
    grep -lzx "E2E_TAG=$E2E_DIR" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3
}

# The show has ended and left nothing behind: no process of its own (after a
# short grace for one being reaped), no file in its temporary directories,
# no new file in the run directory but its output. E2E_TMP_ALLOWED may name
# (as a glob) one entry of its temporary directory that a library is known to
# leave. Then ends the Xvfb and checks that it went.
expect_nothing_left() {
    local i pids left
    if [ -n "$SHOW_PID" ]; then
        show_alive && fail "the show still runs"
        wait "$SHOW_PID" 2>/dev/null
        SHOW_PID=
    fi
    for i in $(seq 20); do
        pids=$(tagged_processes)
        [ -z "$pids" ] && break
        sleep 0.05
    done
    [ -z "$pids" ] || fail "left running after the show: $(ps -o pid=,ppid=,args= -p "$(echo $pids | tr ' ' ,)")"
    local -a allowed=()
    [ -n "${E2E_TMP_ALLOWED:-}" ] &&
        allowed=(! -path "$E2E_SHOWTMP/$E2E_TMP_ALLOWED" ! -path "$E2E_SHOWTMP/$E2E_TMP_ALLOWED/*")
    left=$(find "$E2E_SHOWTMP" -mindepth 1 "${allowed[@]}" | head -n 5)
    [ -z "$left" ] || fail "the show left temporary files: $left"
    if [ -e "$E2E_DIR/before" ]; then
        left=$(find "$E2E_RUN" ! -path "$E2E_RUN/stdout" ! -path "$E2E_RUN/stderr" | sort |
            comm -13 "$E2E_DIR/before" - | head -n 5)
        [ -z "$left" ] || fail "the show wrote files in its directory: $left"
    fi
    stop_xvfb
}

show_alive() { kill -0 "$SHOW_PID" 2>/dev/null; }

# Waits up to $1 seconds for the show to end; sets SHOW_STATUS.
wait_show_exit() {
    local limit_ms=$(( $(now_ms) + ${1:-10} * 1000 ))
    while show_alive; do
        [ "$(now_ms)" -lt "$limit_ms" ] || fail "the show still runs after ${1:-10} s"
        sleep 0.05
    done
    wait "$SHOW_PID"
    SHOW_STATUS=$?
    SHOW_PID=
    # Before a next show's start overwrites its stderr.
    expect_no_sanitizer_report
}

# Esc ends the show as it should: at once, status 0, its goodbye on stdout.
quit_with_escape() {
    press Escape
    wait_show_exit 10
    expect_status 0
    expect_stdout "d'Oh!"
}

expect_status() {
    [ "$SHOW_STATUS" = "$1" ] || fail "exit status: expected $1, got $SHOW_STATUS"
}

# Standard output must be exactly these lines.
expect_stdout() {
    local expected=$E2E_DIR/expected
    printf '%s\n' "$@" >"$expected"
    diff -u "$expected" "$E2E_RUN/stdout" >"$E2E_DIR/diff" ||
        fail "standard output differs:"$'\n'"$(cat "$E2E_DIR/diff")"
}

# Standard output must be as many lines as arguments, each matching its
# extended regular expression (anchored at both ends).
expect_stdout_re() {
    local n=0 line pattern
    local -a lines
    mapfile -t lines <"$E2E_RUN/stdout"
    [ "${#lines[@]}" -eq $# ] || fail "expected $# lines on standard output, got ${#lines[@]}"
    [ -z "$(tail -c 1 "$E2E_RUN/stdout")" ] || fail "standard output does not end in a newline"
    for pattern in "$@"; do
        line=${lines[$n]}
        [[ $line =~ ^${pattern}$ ]] || fail "line $((n + 1)): '$line' does not match '$pattern'"
        n=$((n + 1))
    done
}

# Neither sanitizer reported anything (sanitizer build): such a report may
# end the show with the very status a test expects.
expect_no_sanitizer_report() {
    grep -qE "ERROR: (Address|Leak)Sanitizer|runtime error:" "$E2E_RUN/stderr" 2>/dev/null &&
        fail "a sanitizer report"
    return 0
}

# The disk audio output $1 holds music somewhere (an RMS level above 1000 in
# a 100 ms window).
expect_sound() {
    "$PCMLEVELS" "$1" 22050 100 | awk '$2 > 1000 { found = 1 } END { exit !found }' ||
        fail "${2:-no music} heard"
}

# The disk audio output holds nothing but silence (or is absent).
expect_silence() {
    [ -e "$1" ] || return 0
    cmp -s -n "$(stat -c %s "$1")" "$1" /dev/zero || fail "music was played"
}

# ---- the show's windows ----------------------------------------------------
# Found by whose they are, not by their place in the window tree: classic SDL
# 1.2 draws into a child window that it moves between its managed top-level
# window and an override-redirect window covering the screen (full screen);
# sdl12-compat draws into its one top-level window (see showwindow.c).

gl_window() {
    [ -n "$SHOW_PID" ] && "$SHOWWINDOW" drawing "$SHOW_PID" 2>/dev/null
}

# The top-level window that carries a class hint: the one SDL hands to a
# window manager.
managed_window() {
    [ -n "$SHOW_PID" ] && "$SHOWWINDOW" managed "$SHOW_PID" 2>/dev/null
}

# Prints one field of xwininfo for a window: width, height, x, y, map,
# override or parent.
win_field() {
    [ -n "$1" ] || return 0
    if [ "$2" = parent ]; then
        xwininfo -children -id "$1" 2>/dev/null | awk '/Parent window id:/ { print $4 }'
        return
    fi
    xwininfo -id "$1" 2>/dev/null | awk -v f="$2" '
        f == "width" && /^  Width:/ { print $2 }
        f == "height" && /^  Height:/ { print $2 }
        f == "x" && /Absolute upper-left X:/ { print $4 }
        f == "y" && /Absolute upper-left Y:/ { print $4 }
        f == "map" && /Map State:/ { print $3 }
        f == "override" && /Override Redirect State:/ { print $4 }'
}

# Waits for the drawing window to be viewable; sets GLWIN.
wait_window() {
    local i
    GLWIN=
    for i in $(seq "${1:-100}"); do
        show_alive || fail "the show ended before its window appeared"
        GLWIN=$(gl_window)
        [ -n "$GLWIN" ] && [ "$(win_field "$GLWIN" map)" = IsViewable ] && return 0
        sleep 0.1
    done
    fail "no show window"
}

# Prints "WxH fullscreen" or "WxH windowed" for the drawing window, or
# "none" (see showwindow.c for how each library goes full screen).
window_state() {
    [ -n "$SHOW_PID" ] && "$SHOWWINDOW" state "$SHOW_PID" 2>/dev/null || echo none
}

# Prints the size of the drawing window in full screen at mode $1 (WxH):
# classic SDL 1.2 sets the mode, a window of that size centred on a larger
# screen; sdl12-compat scales every mode to the whole screen.
fullscreen_size() {
    if [ "$(sdl_library)" = compat ]; then
        xwininfo -root | awk '/^  Width:/ { w = $2 } /^  Height:/ { h = $2 } END { print w "x" h }'
    else
        echo "$1"
    fi
}

expect_fullscreen() { expect_window_state "$(fullscreen_size "$1") fullscreen"; }

# Waits up to 5 s for window_state to print $1.
expect_window_state() {
    local i state
    for i in $(seq 50); do
        state=$(window_state)
        [ "$state" = "$1" ] && return 0
        sleep 0.1
    done
    show_alive || fail "window: expected '$1', but the show has ended"
    fail "window: expected '$1', got '$state'"
}

# Moves the pointer into the middle of the drawing window. Without a window
# manager the pointer decides the focus, and the show pauses drawing while it
# has lost the mouse focus.
pointer_in() {
    local gl x y
    gl=$(gl_window)
    [ -n "$gl" ] || fail "no window to point at"
    x=$(( $(win_field "$gl" x) + $(win_field "$gl" width) / 2 ))
    y=$(( $(win_field "$gl" y) + $(win_field "$gl" height) / 2 ))
    xdotool mousemove "$x" "$y" || fail "xdotool mousemove"
}

# Presses keys in the drawing window.
press() {
    pointer_in
    xdotool key "$@" || fail "xdotool key $*"
}

# Prints how many frames the drawing window shows in $1 seconds.
count_frames() {
    local frames=$E2E_DIR/framecount
    "$FRAMEWATCH" "$(gl_window)" "$1" >"$frames" || fail "framewatch failed"
    grep -c '^frame ' "$frames"
}

# ---- pictures --------------------------------------------------------------

# Saves the drawing window to $1.
shoot() {
    import -window "$(gl_window)" "$1" 2>/dev/null || fail "screenshot failed"
}

# Prints "r g b" of pixel (x, y) of image $1.
pixel() {
    local hex
    hex=$(convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-Fa-f]\{6\}' | head -n 1)
    [ -n "$hex" ] || fail "no pixel ($2,$3) in $1"
    echo "$((16#${hex:1:2})) $((16#${hex:3:2})) $((16#${hex:5:2}))"
}

# Succeeds when "r g b" $1 is within $3 of "r g b" $2 in every channel.
colour_near() {
    local a=($1) b=($2) tolerance=${3:-40} i d
    for i in 0 1 2; do
        d=$(( a[i] - b[i] ))
        [ "${d#-}" -le "$tolerance" ] || return 1
    done
}

is_black() { colour_near "$1" "0 0 0" 8; }

# Prints "WxH r g b", the size of the drawing window and the colour of its
# middle now, or "none" when there is no window to look at.
centre_sample() {
    [ -n "$SHOW_PID" ] && "$SHOWWINDOW" centre "$SHOW_PID" 2>/dev/null || echo none
}

# Prints "r g b" of the middle of the drawing window now, or "none".
centre_colour() {
    local sample
    sample=$(centre_sample)
    echo "${sample#* }"
}

# Succeeds when the middle of the drawing window shows "r g b" $1 now.
centre_shows() { colour_near "$(centre_colour)" "$1"; }

# Waits up to $1 seconds (default 30) until the middle of the drawing window
# shows something. Sets FIRST_FRAME_MS to when the first look that saw it
# ended, and NO_FRAME_MS to when the last look that saw nothing began: the
# show's first frame came between the two.
wait_first_frame() {
    local limit_ms=$(( $(now_ms) + ${1:-30} * 1000 )) began colour
    FIRST_FRAME_MS=
    NO_FRAME_MS=$(now_ms)
    while [ "$(now_ms)" -lt "$limit_ms" ]; do
        show_alive || fail "the show ended before its first frame"
        began=$(now_ms)
        colour=$(centre_colour)
        if [ "$colour" != none ] && ! is_black "$colour"; then
            FIRST_FRAME_MS=$(now_ms)
            return 0
        fi
        NO_FRAME_MS=$began
        sleep 0.02
    done
    fail "the picture stayed black"
}

# The usual opening: content, X server, the show, its window and first frame.
# Arguments go to start_show.
open_show() {
    make_data
    start_xvfb
    start_show "$@"
    wait_window
    wait_first_frame
}

# Prints the on-screen colour "r g b" of a test scene.
scene_colour() {
    scene_info "$1" | awk '{ print $5, $6, $7 }'
}

# Watches the middle of the drawing window for the next cut between scenes,
# up to 5 s, and sets CLOCK_MS to when (in now_ms time) the show clock,
# running $1 times faster, was 0: the first frame can come long after that,
# while llvmpipe compiles its shaders.
sync_show_clock() {
    local speed=$1 was now start began looked limit_ms=$(( $(now_ms) + 5000 ))
    was=$(centre_colour)
    while [ "$(now_ms)" -lt "$limit_ms" ]; do
        began=$(now_ms)
        now=$(centre_colour)
        looked=$(now_ms)
        # A black picture is a window still waiting for its frame, not a scene.
        if [ "$now" != none ] && [ "$was" != none ] && ! is_black "$now" && ! is_black "$was" &&
            ! colour_near "$now" "$was" 8; then
            start=$("$MAKETESTDATA" --list | while read -r file image from to r g b; do
                colour_near "$now" "$r $g $b" && echo "$from" && break
            done)
            [ -n "$start" ] || fail "the picture shows $now, no scene"
            # The cut came between the last two looks.
            CLOCK_MS=$(( (began + looked) / 2 - start / speed ))
            return 0
        fi
        was=$now
    done
    fail "no cut between scenes within 5 s"
}
