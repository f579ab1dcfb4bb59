#!/usr/bin/env bash
# MUSIC_CMD: the mixer plays the music through that command, run as a child
# of the show, and ends it with the show; set but empty, nothing is heard.
. "$(dirname "$0")/lib.sh"

# A stand-in player: notes its pid and arguments, then waits to be ended.
PLAYER=$E2E_DIR/player
PLAYER_LOG=$E2E_DIR/player.log
printf '#!/bin/sh\necho "$$ $*" >>%s\nexec sleep 600\n' "$PLAYER_LOG" >"$PLAYER"
chmod 755 "$PLAYER"

# Waits for the player to start; checks that it is the show's child, given
# the music file. Sets PLAYER_PID.
expect_player() {
    local i
    for i in $(seq 50); do
        [ -s "$PLAYER_LOG" ] && break
        sleep 0.1
    done
    [ -s "$PLAYER_LOG" ] || fail "the player was not started"
    [ "$(wc -l <"$PLAYER_LOG")" -eq 1 ] || fail "players started: $(cat "$PLAYER_LOG")"
    read -r PLAYER_PID args <"$PLAYER_LOG"
    [ "$args" = data/2minute.mp3 ] || fail "player arguments: '$args', expected the music file"
    kill -0 "$PLAYER_PID" 2>/dev/null || fail "the player ended by itself"
    [ "$(ps -o ppid= -p "$PLAYER_PID" | tr -d ' ')" = "$SHOW_PID" ] ||
        fail "the player is not the show's child"
}

expect_player_gone() {
    kill -0 "$PLAYER_PID" 2>/dev/null && fail "the player (pid $PLAYER_PID) outlived the show"
    return 0
}

case ${1:-} in
escape)
    open_show MUSIC_CMD="$PLAYER"
    expect_player
    quit_with_escape
    expect_player_gone
    pass
    ;;
end)
    # Ten times faster: the show lasts 12 s.
    open_show --speed 10 MUSIC_CMD="$PLAYER"
    expect_player
    wait_show_exit 25
    expect_status 0
    expect_stdout "Plop"
    expect_player_gone
    pass
    ;;
empty)
    audio=$E2E_DIR/audio.raw
    open_show --speed 10 MUSIC_CMD= SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio" SDL_DISKAUDIODELAY=186
    wait_show_exit 25
    expect_status 0
    expect_stdout "Plop"
    [ -s "$audio" ] || fail "no audio output: the device was not opened"
    expect_silence "$audio"
    pass
    ;;
*)
    fail "unknown case '${1:-}'"
    ;;
esac
