#!/usr/bin/env bash
# Captures the show to a temporary MP4 and reports the capture speed in frames
# per second and as a multiple of real time, with the CPU time it took and the
# machine's load (the machine is shared: read the figures against it).
# Usage: bench/capture.sh [build-dir] [capture options...]   (from the repository
# root, with data/ generated; default: the whole show at 1024x768, 60 fps)
set -euo pipefail
build=$(realpath "${1:-build}")
shift || true
capture="$build/capture"
[ -x "$capture" ] || { echo "build first: $capture" >&2; exit 1; }
[ -d data ] || { echo "no data/: generate the show first" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

load_before=$(cut -d' ' -f1 /proc/loadavg)
start=$(date +%s.%N)
/usr/bin/time -f "%U %S" -o "$work/cpu" "$capture" "$@" "$work/bench.mp4" 2>"$work/log" ||
  { cat "$work/log" >&2; exit 1; }
end=$(date +%s.%N)
load_after=$(cut -d' ' -f1 /proc/loadavg)
summary=$(grep '^capture: .*frames' "$work/log" | tail -n 1)
read -r user sys <"$work/cpu"
# "capture: PATH: N frames, S s, ..." gives the frames and the show seconds.
echo "$summary" | awk -v start="$start" -v end="$end" -v user="$user" -v sys="$sys" \
    -v lb="$load_before" -v la="$load_after" '{
  sub(/^capture: .*: /, "")
  split($0, f, /[ ,]+/)
  wall = end - start
  printf "capture: %d frames, %.2f s of show in %.1f s: %.1f fps, %.2fx real time\n", f[1], f[3], wall, f[1] / wall, f[3] / wall
  printf "  CPU %.1f s (%.1f ms a frame); load average %s before, %s after\n", user + sys, (user + sys) * 1000 / f[1], lb, la
}'
