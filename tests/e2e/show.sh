#!/usr/bin/env bash
# The show left alone: every scene in its slot, in order, then the end at
# 120 s of show clock with "Plop". The clock runs five times faster.
. "$(dirname "$0")/lib.sh"

SPEED=5

case ${1:-} in
left_alone)
    open_show --speed $SPEED
    start_ms=$FIRST_FRAME_MS
    samples=$E2E_DIR/samples
    : >"$samples"
    shots=${E2E_SHOTS:-}
    n=0
    while show_alive; do
        before=$(now_ms)
        colour=$(centre_colour)
        after=$(now_ms)
        [ "$colour" = none ] && continue
        echo "$(( (before - start_ms) * SPEED )) $(( (after - start_ms) * SPEED )) $colour" >>"$samples"
        if [ -n "$shots" ] && [ $((n % 10)) -eq 0 ]; then
            cp "$E2E_DIR/centre.png" "$shots/show-$(( (before - start_ms) * SPEED )).png"
        fi
        n=$((n + 1))
    done
    end_ms=$(( ($(now_ms) - start_ms) * SPEED ))
    wait_show_exit 5
    expect_status 0
    expect_stdout "Plop"
    # The first frame is seen up to a quarter of a second late, so the show
    # clock of a sample lies up to that much (times the speed) past our count.
    late=$(( 250 * SPEED ))
    [ "$end_ms" -ge $(( 120000 - 1000 )) ] && [ "$end_ms" -le $(( 120000 + late + 1000 )) ] ||
        fail "the show ended at show time ~${end_ms} ms, expected 120000"
    "$MAKETESTDATA" --list >"$E2E_DIR/scenes"
    awk -v late=$late -v tol=40 '
        function near(i, r, g, b) {
            return abs(r - R[i]) <= tol && abs(g - G[i]) <= tol && abs(b - B[i]) <= tol
        }
        function abs(x) { return x < 0 ? -x : x }
        NR == FNR { name[n] = $1; lo[n] = $3; hi[n] = $4; R[n] = $5; G[n] = $6; B[n] = $7; n++; next }
        {
            from = $1; to = $2 + late; found = -1
            for (i = 0; i < n; i++) {
                if (i < n - 1 && (hi[i] <= from || lo[i] > to)) continue
                if (i == n - 1 && lo[i] > to) continue
                if (near(i, $3, $4, $5)) found = i
            }
            if (found < 0) {
                printf "at show time %d-%d ms the picture is %d %d %d, no scene of that time\n", from, to, $3, $4, $5
                bad = 1; next
            }
            if (found < last) {
                printf "at show time %d-%d ms %s came back after %s\n", from, to, name[found], name[last]
                bad = 1
            }
            last = found; seen[found] = 1
        }
        END {
            for (i = 0; i < n; i++) if (!seen[i]) { printf "%s was never seen\n", name[i]; bad = 1 }
            exit bad
        }' "$E2E_DIR/scenes" "$samples" >"$E2E_DIR/report" ||
        fail "$(cat "$E2E_DIR/report")"
    pass "$(wc -l <"$samples") pictures, end at show time ~${end_ms} ms"
    ;;
*)
    fail "unknown case '${1:-}'"
    ;;
esac
