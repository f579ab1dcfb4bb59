#!/usr/bin/env bash
# The benchmark's arithmetic on made-up runs: which frames of a swap log count,
# the median, and the table's per-round ratios and their geometric mean.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
expect() {  # expect WHAT EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    printf 'FAIL %s\n  expected: %s\n  saw:      %s\n' "$1" "$2" "$3"
    failures=$((failures + 1))
  fi
}

# Swaps (monotonic us, CPU us) at 0, 600, 1000, 1010, 1030, 1060, 1100 and
# 2000 ms: the first second is left out, and so is the interval that ends
# beyond the window of 1000 ms + 100 ms.
printf '%s\n' "5 0 0" "605 600000 1000" "1005 1000000 2000" "1015 1010000 8000" \
  "1035 1030000 20000" "1065 1060000 40000" "1105 1100000 50000" "2005 2000000 60000" >"$work/swaps.log"
frames=$(awk -v from_ms=1000 -v to_ms=1100 -f "$here/frametimes.awk" "$work/swaps.log" | tr '\n' ' ')
expect "frames within the window, wall and CPU" "10.000 6.000 20.000 12.000 30.000 20.000 40.000 10.000 " "$frames"
series=$(awk -v from_ms=0 -v to_ms=0 -v series=1 -f "$here/frametimes.awk" "$work/swaps.log" | sed -n '1p;$p' | tr '\n' ' ')
expect "whole-run series: seconds after the first swap" "0.600 600.000 1.000 2.000 900.000 10.000 " "$series"

expect "median of an odd count" "3.000 3" "$(printf '1\n3\n7\n' | awk -f "$here/median.awk")"
expect "median of an even count" "2.500 4" "$(printf '1\n2\n3\n90\n' | awk -f "$here/median.awk")"
expect "median of nothing" "nan 0" "$(awk -f "$here/median.awk" </dev/null)"

# Round 2 ran under load: B / A within each round is 0.5 in both, though the
# ratio of the medians over the rounds would say 0.6. Scene y lacks A in round
# 2: its ratio comes from round 1 alone.
cat >"$work/runs.tsv" <<'EOF'
1 x A 10 100 9
1 x B 5 200 4
1 x floor 1 900 0.5
2 x A 30 50 9
2 x B 15 90 4.5
2 x floor 3 300 0.5
1 y A 8 100 8
1 y B 16 50 16
1 y floor 2 900 1
2 y B 40 20 16
2 y floor 4 300 1
EOF
table=$(awk -v scenes="x y" -v dat="$work/scenes.dat" -f "$here/report.awk" "$work/runs.tsv")
row() { awk -v s="$1" '$1 == s' <<<"$table" | tr -s ' '; }
expect "scene x: medians, B/A per round, multiples of the floor" \
  "x 20.00 10.00 2.00 0.500 (0.500-0.500) 10.00 5.00" "$(row x)"
expect "scene y: ratio only from the round with both builds" \
  "y 8.00 28.00 3.00 2.000 (2.000-2.000) 4.00 9.00" "$(row y)"
expect "summary: geometric mean of B/A" "geometric mean over 2 scenes of B/A: 1.000" "$(tail -1 <<<"$table")"
expect "floor over every run" "floor: median 2.50 ms over 4 runs" "$(grep '^floor' <<<"$table")"
expect "plot data" "1 x 20 10 2|2 y 8 28 3" "$(paste -sd'|' "$work/scenes.dat")"

table=$(awk -v scenes="x y" -v field=6 -f "$here/report.awk" "$work/runs.tsv")
expect "scene x in CPU time" "x 9.00 4.25 0.50 0.472 (0.444-0.500) 18.00 8.50" "$(row x)"

# Without a base the floor is the reference.
table=$(grep -v ' A ' "$work/runs.tsv" | awk -v scenes="x y" -f "$here/report.awk")
expect "scene x against the floor alone" "x 10.00 2.00 5.00 ( 5.00- 5.00)" "$(row x)"
expect "summary against the floor" "geometric mean over 2 scenes of B/floor: 6.708" "$(tail -1 <<<"$table")"

# The scenes a run measures: all in plan order, or those asked for; a name the
# plan lacks fails the run rather than shrinking it.
plan=$(printf '%s\n' "a.3ds 0 8000" "b.3ds 8000 4000" "c.3ds 12000 8000" "show 20000")
expect "every scene without a choice" "a.3ds 0 8000|b.3ds 8000 4000|c.3ds 12000 8000" \
  "$(awk -f "$here/scenes.awk" <<<"$plan" | paste -sd'|')"
expect "the scenes asked for, in plan order" "a.3ds 0 8000|c.3ds 12000 8000" \
  "$(awk -v only="c.3ds a.3ds" -f "$here/scenes.awk" <<<"$plan" | paste -sd'|')"
status=0
awk -v only="a.3ds x.3ds" -f "$here/scenes.awk" <<<"$plan" >/dev/null 2>"$work/err" || status=$?
expect "a scene the plan lacks" "1 bench: the show plan has no scene x.3ds" "$status $(cat "$work/err")"

[ "$failures" -eq 0 ] && echo "all benchmark arithmetic checks passed"
exit $((failures > 0))
