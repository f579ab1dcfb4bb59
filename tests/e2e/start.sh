#!/usr/bin/env bash
# How the show starts: full screen at 640x480 without cursor, the first scene,
# and the music fading in once everything is loaded.
. "$(dirname "$0")/lib.sh"

RATE=22050
BYTES_PER_SECOND=$(( RATE * 4 ))

case ${1:-} in
fullscreen)
    open_show
    expect_fullscreen 640x480
    # Centred in black on the 1280x1024 screen (filling it on sdl12-compat).
    gl=$(gl_window)
    size=$(fullscreen_size 640x480)
    centred=$(( (1280 - ${size%x*}) / 2 )),$(( (1024 - ${size#*x}) / 2 ))
    [ "$(win_field "$gl" x),$(win_field "$gl" y)" = "$centred" ] ||
        fail "drawing window at $(win_field "$gl" x),$(win_field "$gl" y), expected $centred"
    xdotool mousemove 5 5
    state=$("$CURSORSTATE") || fail "cursorstate failed"
    [ "$state" = hidden ] || fail "cursor over the screen: expected hidden, got '$state'"
    colour=$(centre_colour)
    colour_near "$colour" "$(scene_colour _i2.3ds)" ||
        fail "first scene: expected $(scene_colour _i2.3ds), got $colour"
    press Escape
    wait_show_exit 10
    expect_status 0
    pass
    ;;
music)
    # Large images make the loading long, so that music started during it
    # would be heard well before the last image is read.
    make_data --image-size "${E2E_IMAGE_SIZE:-2048}"
    start_xvfb
    audio=$E2E_DIR/audio.raw
    # end.png is the last file loaded.
    "$WAITCLOSE" "$E2E_RUN/data/end.png" 40 "$audio" >"$E2E_DIR/watch" &
    watcher=$!
    HELPER_PIDS+=("$watcher")
    for i in $(seq 50); do
        grep -q ready "$E2E_DIR/watch" && break
        kill -0 "$watcher" 2>/dev/null || fail "waitclose failed"
        sleep 0.1
    done
    start_show SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio" SDL_DISKAUDIODELAY=186
    wait "$watcher" || fail "the show never read data/end.png"
    # The disk driver writes in real time from the moment the device opens,
    # so the file's length tells the time.
    loaded_bytes=$(awk '$1 == "size" { print $2 }' "$E2E_DIR/watch")
    [ -n "$loaded_bytes" ] || fail "no audio output file when the last image was read"
    wait_window
    wait_first_frame 60
    frame_bytes=$(stat -c %s "$audio")
    sleep 4
    press Escape
    wait_show_exit 10
    expect_status 0

    levels=$E2E_DIR/levels
    "$PCMLEVELS" "$audio" $RATE 100 >"$levels" || fail "pcmlevels failed"
    onset_ms=$(awk '$2 > 100 { print $1; exit }' "$levels")
    [ -n "$onset_ms" ] || fail "the music is never heard"
    loaded_ms=$(( loaded_bytes * 1000 / BYTES_PER_SECOND ))
    frame_ms=$(( frame_bytes * 1000 / BYTES_PER_SECOND ))
    # The file runs ahead of the clock by up to one 186 ms buffer, and music
    # reaches it at the next buffer mixed after it starts.
    [ "$onset_ms" -ge $(( loaded_ms - 300 )) ] ||
        fail "music heard at ${onset_ms} ms, before the last image was read at ${loaded_ms} ms"
    [ "$onset_ms" -le $(( frame_ms + 500 )) ] ||
        fail "music heard at ${onset_ms} ms, long after the first frame showed at ${frame_ms} ms"

    # Fade-in over 2 s, then the tone's full level.
    level_at() { awk -v t=$(( onset_ms + $1 )) '$1 == t { print $2 }' "$levels"; }
    full=$(level_at 2500)
    [ -n "$full" ] && [ "$full" -gt 1000 ] || fail "no steady music level 2.5 s after its start (${full:-none})"
    for step in 200:0:35 600:15:50 1000:35:70 1400:55:90 2800:90:110; do
        IFS=: read -r at low high <<<"$step"
        level=$(level_at "$at")
        percent=$(( ${level:-0} * 100 / full ))
        [ "$percent" -ge "$low" ] && [ "$percent" -le "$high" ] ||
            fail "music level $at ms after its start: ${percent}% of full, expected $low-$high%"
    done
    pass "last image read at ${loaded_ms} ms, music from ${onset_ms} ms, first frame seen at ${frame_ms} ms"
    ;;
*)
    fail "unknown case '${1:-}'"
    ;;
esac
