#!/usr/bin/env bash
# Start-up failures: each ends the show with its message and status, having
# read nothing after the fault and without starting the music.
. "$(dirname "$0")/lib.sh"

# A file that must not be opened: opening a FIFO for reading blocks, so a
# show that reads it hangs instead of exiting.
trip_wire() {
    rm -f "$E2E_RUN/data/$1"
    mkfifo "$E2E_RUN/data/$1" || fail "mkfifo"
}

# Prints what the content checker, run on the same SDL library as the show,
# finds in the run's music.
checker_music() {
    env "${SHOW_SDL_ENV[@]}" "$SHOWCHECK" "$E2E_RUN/data" 2>/dev/null |
        sed -n "s|^$E2E_RUN/data/2minute\.mp3: ||p"
}

# The checker's finding about the music matches $1 (an anchored extended
# regular expression).
expect_checker_music() {
    local found
    found=$(checker_music)
    [[ $found =~ ^$1$ ]] || fail "showcheck on the music: '$found' does not match '$1'"
}

# Plays the show with the disk audio driver writing to $audio for $1
# seconds, then presses Esc, which ends it.
play_and_escape() {
    start_show SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio" SDL_DISKAUDIODELAY=186
    wait_window
    wait_first_frame
    sleep "$1"
    quit_with_escape
}

# The show refuses its music at start-up with the message $1 (an extended
# regular expression): status 1, nothing played and no scene read after the
# first.
expect_music_refused() {
    trip_wire _i2.3ds
    start_show SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio" SDL_DISKAUDIODELAY=186
    wait_show_exit 20
    expect_status 1
    expect_stdout_re "$1" ""
    expect_silence "$audio"
}

case ${1:-} in
no_music)
    make_data
    rm "$E2E_RUN/data/2minute.mp3"
    start_xvfb
    start_show
    wait_show_exit 20
    expect_status 1
    expect_stdout_re "Couldn't load music : data/2minute\.mp3 .+" ""
    pass
    ;;
music_format)
    # 44.1 kHz mono music, which the mixer converts for the 22050 Hz stereo
    # device. sdl12-compat's converter overruns the mixer's buffer: there
    # the show refuses the music before it reads anything else. Classic SDL
    # 1.2 converts it and plays it. A music command plays it on either.
    make_data --music 44100 1
    start_xvfb
    start_show MUSIC_CMD=true
    wait_window
    wait_first_frame
    quit_with_escape
    audio=$E2E_DIR/audio.raw
    if [ "$(sdl_library)" = classic ]; then
        play_and_escape 3
        expect_sound "$audio" "no converted music"
        expect_checker_music "warning: 44100 Hz mono: classic SDL 1\.2 resamples it to 22050 Hz stereo .*"
        pass "classic SDL 1.2 plays it"
    fi
    version=$(sdl_version)
    version=${version//./[.]}
    expect_checker_music "error: 44100 Hz mono: the show on sdl12-compat $version refuses music the mixer would convert, anything but 22050 Hz stereo .*"
    expect_music_refused \
        "Couldn't load music : data/2minute\.mp3 is 44100 Hz mono MP3, sdl12-compat $version needs 22050 Hz stereo"
    pass "sdl12-compat refuses it"
    ;;
not_mpeg)
    # Music named .mp3 that holds no MPEG audio: the mixer loads it as MP3
    # whatever it holds. Classic SDL 1.2 plays the show without music;
    # sdl12-compat refuses it like any music it cannot tell is safe.
    make_data
    printf 'plain text, not music at all\n' >"$E2E_RUN/data/2minute.mp3"
    start_xvfb
    audio=$E2E_DIR/audio.raw
    if [ "$(sdl_library)" = classic ]; then
        play_and_escape 2
        expect_silence "$audio"
        expect_checker_music "error: it holds no MPEG audio: the show plays no music .*"
        pass "classic SDL 1.2 plays the show without music"
    fi
    expect_checker_music "error: it holds no MPEG audio: .*on sdl12-compat it stops at start-up.*"
    expect_music_refused \
        "Couldn't load music : data/2minute\.mp3 holds no MPEG audio, sdl12-compat 1\.2\.[0-9]+ needs 22050 Hz stereo"
    pass "sdl12-compat refuses it"
    ;;
missing_scene)
    make_data
    rm "$E2E_RUN/data/tor.3ds"
    trip_wire bloc.3ds
    trip_wire bloc.png
    trip_wire end.3ds
    start_xvfb
    audio=$E2E_DIR/audio.raw
    start_show SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio" SDL_DISKAUDIODELAY=186
    wait_show_exit 20
    expect_status 1
    expect_stdout "Load3ds error : Can't load 3ds file data/tor.3ds"
    expect_silence "$audio"
    pass
    ;;
no_camera)
    make_data --no-camera c.3ds
    trip_wire gl.3ds
    start_xvfb
    start_show
    wait_show_exit 20
    expect_status 1
    expect_stdout "Load3ds error : no camera"
    pass
    ;;
missing_image)
    # end.3ds, the last scene, names its image End.PNG: the show looks for
    # the lower-case name. Large images make the loading before it long
    # enough for music started too early to be heard.
    make_data --image-size 1024
    rm "$E2E_RUN/data/end.png"
    start_xvfb
    audio=$E2E_DIR/audio.raw
    start_show SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio" SDL_DISKAUDIODELAY=186
    wait_show_exit 30
    expect_status 2
    expect_stdout "Error : Can't load texture data/end.png" ""
    [ -s "$audio" ] || fail "no audio output: the device was not opened"
    expect_silence "$audio"
    pass
    ;;
no_audio)
    # With no driver named SDL tries PulseAudio, whose client library makes
    # a pulse-* directory in /tmp while it looks for a server.
    E2E_TMP_ALLOWED='pulse-*'
    make_data
    start_xvfb
    # No driver named: no device.
    start_show --unset SDL_AUDIODRIVER
    wait_show_exit 20
    expect_status 1
    expect_stdout_re "Couldn't open audio: .+" ""
    # A driver that does not exist: classic SDL 1.2 starts its audio and
    # finds no device; sdl12-compat (SDL 2) does not start audio at all.
    start_show SDL_AUDIODRIVER=bogus
    wait_show_exit 20
    expect_status 1
    if [ "$(sdl_library)" = compat ]; then
        expect_stdout "Audio initialisation failed : Audio target 'bogus' not available" ""
    else
        expect_stdout_re "Couldn't open audio: .+" ""
    fi
    pass
    ;;
no_display)
    make_data
    free=99
    while [ -e /tmp/.X11-unix/X$free ] || [ -e /tmp/.X$free-lock ]; do free=$((free + 1)); done
    start_show DISPLAY=:$free
    wait_show_exit 20
    expect_status 1
    # SDL's x11 driver reports itself unavailable when it cannot open the display.
    expect_stdout_re "Video initialization failed: .+" ""
    pass
    ;;
no_mode)
    # A screen smaller than the start-up mode. Classic SDL 1.2 refuses the
    # mode, before audio opens; sdl12-compat scales it to the screen.
    make_data
    start_xvfb 320x240x24
    audio=$E2E_DIR/audio.raw
    start_show SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio" SDL_DISKAUDIODELAY=186
    if [ "$(sdl_library)" = compat ]; then
        wait_window
        expect_fullscreen 640x480
        wait_first_frame
        colour_near "$(centre_colour)" "$(scene_colour _i2.3ds)" ||
            fail "the first scene does not fill the screen"
        quit_with_escape
        pass "sdl12-compat scales 640x480 to the 320x240 screen"
    fi
    wait_show_exit 20
    expect_status 1
    expect_stdout_re "Video mode set failed : .+" ""
    [ ! -e "$audio" ] || fail "the audio device was opened"
    pass
    ;;
key_mode)
    # F3's 1024x768 does not fit an 800x600 screen in full screen: classic
    # SDL 1.2 refuses it; sdl12-compat scales it to the screen.
    make_data
    start_xvfb 800x600x24
    start_show
    wait_window
    wait_first_frame
    press F3
    if [ "$(sdl_library)" = compat ]; then
        sleep 0.5
        expect_fullscreen 1024x768
        within 5 centre_shows "$(scene_colour _i2.3ds)" ||
            fail "after F3 the scene does not fill the screen"
        quit_with_escape
        pass "sdl12-compat scales 1024x768 to the 800x600 screen"
    fi
    wait_show_exit 10
    expect_status 1
    expect_stdout_re "Video mode set failed : .+" ""
    pass
    ;;
no_glx)
    # An X server without OpenGL: SDL finds no GLX visual for the mode.
    make_data
    start_xvfb 1280x1024x24 -extension GLX
    audio=$E2E_DIR/audio.raw
    start_show SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio" SDL_DISKAUDIODELAY=186
    wait_show_exit 20
    expect_status 1
    if [ "$(sdl_library)" = compat ]; then
        expect_stdout "Video mode set failed : GLX is not supported" ""
    else
        expect_stdout "Video mode set failed : Couldn't find matching GLX visual" ""
    fi
    [ ! -e "$audio" ] || fail "the audio device was opened"
    pass
    ;;
unreadable_data)
    # Root reads any file, so the show runs as nobody; Xvfb, started without
    # authorisation, takes its connection. First, as a control, the same
    # user plays the readable data.
    make_data
    chmod 755 "$E2E_DIR" "$E2E_RUN"
    start_xvfb
    start_show --user nobody
    wait_window
    [ "$(ps -o user= -p "$SHOW_PID")" = nobody ] || fail "the show does not run as nobody"
    wait_first_frame
    quit_with_escape
    # The music is the first file the show reads.
    chmod 000 "$E2E_RUN/data"
    start_show --user nobody
    wait_show_exit 20
    chmod 755 "$E2E_RUN/data"
    expect_status 1
    expect_stdout "Couldn't load music : data/2minute.mp3 Couldn't open 'data/2minute.mp3'" ""
    pass
    ;;
*)
    fail "unknown case '${1:-}'"
    ;;
esac
