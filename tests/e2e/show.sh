#!/usr/bin/env bash
# The show left alone: every scene in its slot, in order, then the end at
# 120 s of show clock with "Plop". The clock runs five times faster. Then the
# show's generated data, played to the end.
. "$(dirname "$0")/lib.sh"

SPEED=5

case ${1:-} in
left_alone)
    open_show --speed $SPEED
    # Sample times count from the last look that saw no frame yet.
    start_ms=$NO_FRAME_MS
    first_ms=$(( (FIRST_FRAME_MS - NO_FRAME_MS) * SPEED ))
    samples=$E2E_DIR/samples
    : >"$samples"
    shots=${E2E_SHOTS:-}
    n=0
    full=$(fullscreen_size 640x480)
    while show_alive; do
        before=$(now_ms)
        sample=$(centre_sample)
        after=$(now_ms)
        [ "$sample" = none ] && continue
        # As it quits, SDL 2 (sdl12-compat) takes the window out of full
        # screen: the show has drawn its last frame.
        [ "${sample%% *}" = "$full" ] || break
        colour=${sample#* }
        echo "$(( (before - start_ms) * SPEED )) $(( (after - start_ms) * SPEED )) $colour" >>"$samples"
        if [ -n "$shots" ] && [ $((n % 10)) -eq 0 ]; then
            shoot "$shots/show-$(( (before - start_ms) * SPEED )).png"
        fi
        n=$((n + 1))
    done
    last_alive_ms=$(( (before - start_ms) * SPEED ))
    end_ms=$(( ($(now_ms) - start_ms) * SPEED ))
    wait_show_exit 5
    expect_status 0
    expect_stdout "Plop"
    # Times count from start_ms, the last look that saw no frame. The show
    # clock started before the first frame showed, by up to the time that
    # frame took (llvmpipe compiles its shaders then: allow 2 s), so a
    # picture taken from..to saw the show clock at from+d..to+d with
    # -first_ms <= d <= 2 s, and a frame drawn up to 200 ms before (llvmpipe
    # at full-screen size under load). Each picture's scene slot bounds d
    # further:
    # one d must fit every picture and the end at 120000, give or take the
    # last frame and the exit (E2E_EXIT_MS), during
    # which the last scene stays on the screen.
    "$MAKETESTDATA" --list >"$E2E_DIR/scenes"
    awk -v tol=40 -v alive=$last_alive_ms -v end=$end_ms -v first=$first_ms -v render=$(( 2000 * SPEED )) -v quitms=$(( ${E2E_EXIT_MS:-200} * SPEED )) \
        -v age=$(( 200 * SPEED )) '
        function abs(x) { return x < 0 ? -x : x }
        function near(i, r, g, b) {
            return abs(r - R[i]) <= tol && abs(g - G[i]) <= tol && abs(b - B[i]) <= tol
        }
        BEGIN { n = 0 }
        NR == FNR { name[n] = $1; lo[n] = $3; hi[n] = $4; R[n] = $5; G[n] = $6; B[n] = $7; n++; next }
        FNR == 1 { hi[n - 1] = 120001 + quitms; dmin = -first; dmax = render; why_min = why_max = "the first frame"; last = 0 }
        {
            found = -1
            for (i = 0; i < n; i++) if (near(i, $3, $4, $5)) found = i
            if (found < 0) {
                printf "at %d-%d ms the picture is %d %d %d, no scene\n", $1, $2, $3, $4, $5
                bad = 1; next
            }
            if (found < last) {
                printf "at %d-%d ms %s came back after %s\n", $1, $2, name[found], name[last]
                bad = 1
            }
            last = found; seen[found] = 1
            if (lo[found] - $2 > dmin) { dmin = lo[found] - $2; why_min = name[found] " at " $1 }
            if (hi[found] - 1 - $1 + age < dmax) { dmax = hi[found] - 1 - $1 + age; why_max = name[found] " at " $1 }
        }
        END {
            for (i = 0; i < n; i++) if (!seen[i]) { printf "%s was never seen\n", name[i]; bad = 1 }
            if (dmin > dmax) {
                printf "no single show clock fits the pictures: %s needs an offset of at least %d ms, %s at most %d ms\n", why_min, dmin, why_max, dmax
                bad = 1
            } else {
                lo_end = 120000 - end; hi_end = 120000 + quitms - alive
                if (lo_end < dmin) lo_end = dmin
                if (hi_end > dmax) hi_end = dmax
                if (lo_end > hi_end) {
                    printf "the show ended %d-%d ms after the last black look; the pictures put that at show time %d-%d, not 120000\n", alive, end, alive + dmin, end + dmax
                    bad = 1
                } else {
                    printf "%d pictures fit one clock, %d-%d ms of show time at the last black look\n", FNR, lo_end, hi_end
                }
            }
            exit bad
        }' "$E2E_DIR/scenes" "$samples" >"$E2E_DIR/report" ||
        fail "$(cat "$E2E_DIR/report")"
    pass "$(cat "$E2E_DIR/report")"
    ;;
generated)
    # The show's own data, as the build generates it into the repository's
    # data/: the real scenes, images and soundtrack play to the end on a clock
    # ten times faster, and the soundtrack is heard.
    [ -s "$SHOW_DATA/2minute.mp3" ] || skip "no generated data in $SHOW_DATA"
    ln -s "$SHOW_DATA"/* "$E2E_RUN/data/" || fail "cannot link the data"
    start_xvfb
    audio=$E2E_DIR/audio.raw
    start_show --speed 10 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio" SDL_DISKAUDIODELAY=186
    wait_window 300
    wait_first_frame 60
    wait_show_exit 60
    expect_status 0
    expect_stdout "Plop"
    expect_sound "$audio" "no soundtrack"
    pass
    ;;
*)
    fail "unknown case '${1:-}'"
    ;;
esac
