#!/usr/bin/env bash
# Frame times of the real show under Xvfb at 1024x768, scene by scene, in
# interleaved rounds: the working tree (B) against the floor (a scene with
# nothing but its camera: clear and swap only) and, given a git revision,
# against that revision (A), built beside the tree with its own data. A run
# plays one scene in every slot, its clock jumping to a window of the scene's
# own slot; the rounds' windows spread over the slot. Prints the tables, plays
# the whole show for the frame-time series and draws both into a PNG.
# Usage: bench/bench.sh [BUILD_DIR [BASE_REVISION]]
# Environment: BENCH_ROUNDS (rounds over the scenes), BENCH_SECONDS (measured
# seconds of a scene per run, at most its slot less the first second),
# BENCH_FLOOR_SECONDS, BENCH_SHOW (whole-show runs: 1 the working tree's, 2
# both builds', 0 none), BENCH_SCENES (only these scene files, e.g. "_i2.3ds
# gl.3ds"), BENCH_OUT (results directory), LP_NUM_THREADS (llvmpipe's
# threads; 1 unless set).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(git -C "$here" rev-parse --show-toplevel)
build=$(realpath "${1:-build}")
base=${2:-}
rounds=${BENCH_ROUNDS:-4}
seconds=${BENCH_SECONDS:-2}
floorSeconds=${BENCH_FLOOR_SECONDS:-1}
wholeShow=${BENCH_SHOW:-1}
out=$(realpath -m "${BENCH_OUT:-$build/bench/results}")
for n in "$rounds" "$seconds" "$floorSeconds"; do
  [[ $n =~ ^[1-9][0-9]*$ ]] || { echo "bench: rounds and seconds are whole numbers from 1" >&2; exit 2; }
done
# One rendering thread: on two shared cores a second one mostly measures the neighbours.
export LP_NUM_THREADS=${LP_NUM_THREADS:-1}

shim=$build/bench/libswaptimer.so
for f in "$build/show" "$shim" "$build/tools/showplan/showplan" "$build/bench/floorscene"; do
  [ -e "$f" ] || { echo "bench: build first: no $f" >&2; exit 1; }
done
[ -d "$repo/data" ] || { echo "bench: no $repo/data: generate the show first" >&2; exit 1; }
for tool in Xvfb xdotool xwininfo gnuplot; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

work=$(mktemp -d)
xvfbPid= showPid=
cleanup() {
  [ -n "$showPid" ] && kill "$showPid" 2>/dev/null || true
  [ -n "$xvfbPid" ] && kill "$xvfbPid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# The working tree's plan serves both builds (older revisions have no showplan,
# and the scene files keep their names); a run's data fills every slot of the
# plan, measured or not.
names=() slotStartMs=() slotMs=() planScenes=()
"$build/tools/showplan/showplan" >"$work/plan" || exit 2
awk -v only="${BENCH_SCENES:-}" -f "$here/scenes.awk" "$work/plan" >"$work/scenes" || exit 2
while read -r file start duration; do
  names+=("$file") slotStartMs+=("$start") slotMs+=("$duration")
done <"$work/scenes"
while read -r file _; do planScenes+=("$file"); done < <(awk -f "$here/scenes.awk" "$work/plan")

mkdir -p "$out"
rm -rf "$out"/{runs.tsv,scenes.dat,scenes-cpu.dat,table.txt,bench.png,show-A.dat,show-B.dat,logs}
mkdir "$out/logs"

# Builds the revision as a git worktree in the build directory, with the data
# its own generator makes; sets showA and dataA.
buildBase() {
  local commit wt=$build/bench/base log=$out/base-build.log
  commit=$(git -C "$repo" rev-parse --verify --quiet "$1^{commit}") ||
    { echo "bench: no such revision: $1" >&2; exit 1; }
  if [ -e "$wt/.git" ]; then
    git -C "$wt" checkout -q -f --detach "$commit"
  else
    rm -rf "$wt"
    git -C "$repo" worktree add -q -f --detach "$wt" "$commit"
  fi
  echo "bench: A = $1 = $(git -C "$wt" log -1 --format='%h %s' | cut -c1-70)" >&2
  echo "bench: building A in $wt (log: $log)" >&2
  # The show and its data only: older revisions without a data target build everything.
  local targets=(--target show showdata)
  {
    cmake -S "$wt" -B "$wt/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
      { cmake --build "$wt/build" --target help | grep -w showdata >/dev/null || targets=(); } &&
      cmake --build "$wt/build" -j"$(nproc)" "${targets[@]}"
  } >"$log" 2>&1 || { tail -30 "$log" >&2; echo "bench: building A failed" >&2; exit 1; }
  showA=$wt/build/show dataA=$wt/data
  for name in "${names[@]}"; do
    [ -f "$dataA/$name" ] || { echo "bench: A has no $dataA/$name" >&2; exit 1; }
  done
}

# stage DIR DATA SCENE: DIR/data holds DATA's images and music and SCENE in every slot.
stage() {
  local dir=$1 data=$2 scene=$3 f name
  mkdir -p "$dir/data"
  for f in "$data"/*; do
    case $f in *.3ds) ;; *) ln -sf "$f" "$dir/data/" ;; esac
  done
  for name in "${planScenes[@]}"; do ln -sf "$scene" "$dir/data/$name"; done
}

untilMs() {  # sleeps until the monotonic clock (ms) reaches $1
  local now
  now=$(($(date +%s%N) / 1000000))
  (($1 > now)) && sleep "$(awk -v d=$(($1 - now)) 'BEGIN { printf "%.3f", d / 1000 }')"
  return 0
}

# True while the show's window is at 1024x768 (full screen at another size
# keeps a 1024x768 parent, so the smaller modes are looked for too).
atFullSize() {
  local tree
  tree=$(xwininfo -root -tree)
  grep -q '"show").*1024x768' <<<"$tree" && ! grep -qE ' (640x480|800x600)\+' <<<"$tree"
}

# play SHOW DIR LOG MS [JUMP_MS]: runs SHOW in DIR at 1024x768, logging every
# swap to LOG, for the first second and MS more (0: until the show ends by
# itself); after the first frame the show clock jumps to JUMP_MS. Fails with
# status 2 when the window was not at 1024x768 throughout.
play() {
  local show=$1 dir=$2 log=$3 measureMs=$4 jumpMs=${5:-0} wid= firstMs i sized=0
  rm -f "$log"
  (cd "$dir" && SWAPTIMER_LOG="$log" SWAPTIMER_JUMP_MS=$jumpMs LD_PRELOAD="$shim" exec "$show") >"$dir/out.txt" 2>&1 &
  showPid=$!
  for ((i = 0; i < 400; i++)); do
    wid=$(xdotool search --onlyvisible --pid "$showPid" 2>/dev/null | head -1 || true)
    [ -n "$wid" ] || ! kill -0 "$showPid" 2>/dev/null && break
    sleep 0.05
  done
  [ -n "$wid" ] || failRun "$dir" "no window"
  # Without a window manager the pointer gives the focus, and the show draws
  # only with it. F3 waits in the queue until the loop's first pass, unless
  # it came before the window listened: then it is pressed again below.
  xdotool mousemove 320 240 key F3
  for ((i = 0; i < 1500; i++)); do
    [ -s "$log" ] || ! kill -0 "$showPid" 2>/dev/null && break
    sleep 0.02
  done
  [ -s "$log" ] || failRun "$dir" "no frame"
  firstMs=$(($(date +%s%N) / 1000000))
  # The centre lies inside the window at every size.
  xdotool mousemove 512 384
  for ((i = 0; i < 3 && !sized; i++)); do
    sleep 0.2
    if atFullSize; then sized=1; else xdotool key F3; fi
  done
  if ((measureMs > 0)); then
    untilMs $((firstMs + 1000 + measureMs + 100))
    kill -0 "$showPid" 2>/dev/null || failRun "$dir" "the show ended before its window did"
    atFullSize || sized=0
    xdotool key Escape
  fi
  for ((i = 0; i < 1800; i++)); do
    kill -0 "$showPid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$showPid" 2>/dev/null && { kill "$showPid"; failRun "$dir" "the show did not end"; }
  wait "$showPid" || failRun "$dir" "the show failed"
  showPid=
  ((sized)) || return 2
}

# playSized: play, once more when the window was not at 1024x768 throughout.
playSized() {
  play "$@" && return 0
  echo "bench: the window was not at 1024x768 throughout; once more" >&2
  play "$@" || { echo "bench: the window stays off 1024x768" >&2; exit 1; }
}

failRun() {
  echo "bench: $2 ($1):" >&2
  cat "$1/out.txt" >&2 || true
  exit 1
}

# "WALL_MS FRAMES CPU_MS": medians of LOG's frames from the first second to MS after it.
runMedians() {
  local wall cpu frames
  awk -v from_ms=1000 -v to_ms=$((1000 + $2)) -f "$here/frametimes.awk" "$1" >"$work/frames"
  read -r wall frames < <(cut -d' ' -f1 "$work/frames" | sort -n | awk -f "$here/median.awk")
  read -r cpu _ < <(cut -d' ' -f2 "$work/frames" | sort -n | awk -f "$here/median.awk")
  echo "$wall $frames $cpu"
}

Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp -noreset 5>"$work/display" 2>/dev/null &
xvfbPid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "bench: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$work/display")" SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
unset MUSIC_CMD

players=(B floor)
if [ -n "$base" ]; then
  buildBase "$base"
  players=(A B floor)
fi
declare -A showOf dataOf
showOf[B]=$build/show dataOf[B]=$repo/data
[ -n "$base" ] && showOf[A]=$showA dataOf[A]=$dataA
"$build/bench/floorscene" "$work/floor.3ds"
showOf[floor]=$build/show
stage "$work/floor" "$repo/data" "$work/floor.3ds"
for p in "${players[@]}"; do
  [ "$p" = floor ] && continue
  for name in "${names[@]}"; do stage "$work/$p/$name" "${dataOf[$p]}" "${dataOf[$p]}/$name"; done
done

echo "bench: $rounds rounds of ${#names[@]} scenes; ${seconds} s per scene and run (at most its slot), floor ${floorSeconds} s; LP_NUM_THREADS=$LP_NUM_THREADS" >&2
for ((r = 1; r <= rounds; r++)); do
  # Every other round runs the players in reverse, so that a drifting load
  # favours none of them.
  order=("${players[@]}")
  ((r % 2)) || order=($(printf '%s\n' "${players[@]}" | tac))
  for i in "${!names[@]}"; do
    name=${names[i]}
    # The rounds' windows spread over the scene's own slot: each run jumps to
    # the second before its window, which the first-second rule leaves out,
    # and ends half a second before the slot does (after the last one the
    # show ends).
    ms=$((seconds * 1000))
    ((ms <= slotMs[i] - 1500)) || ms=$((slotMs[i] - 1500))
    spanMs=$((slotMs[i] - 1500 - ms))
    offsetMs=$((rounds > 1 ? spanMs * (r - 1) / (rounds - 1) : 0))
    line="round $r/$rounds $name from $(((offsetMs + 1000) / 100))00 ms:"
    for p in "${order[@]}"; do
      if [ "$p" = floor ]; then
        runMs=$((floorSeconds * 1000))
        playSized "${showOf[$p]}" "$work/floor" "$work/swaps.log" "$runMs"
      else
        runMs=$ms
        playSized "${showOf[$p]}" "$work/$p/$name" "$work/swaps.log" "$runMs" $((slotStartMs[i] + offsetMs))
      fi
      cp "$work/swaps.log" "$out/logs/$r-${name%.3ds}-$p.log"
      read -r wall frames cpu < <(runMedians "$work/swaps.log" "$runMs")
      echo "$r $name $p $wall $frames $cpu" >>"$out/runs.tsv"
      line+=" $p $wall ms ($frames, CPU $cpu)"
    done
    echo "$line" >&2
  done
done

if [ "$wholeShow" != 0 ]; then
  for p in "${players[@]}"; do
    [ "$p" = floor ] || { [ "$p" = A ] && [ "$wholeShow" != 2 ]; } && continue
    echo "bench: whole show, $p" >&2
    mkdir -p "$work/show-$p"
    ln -sfn "${dataOf[$p]}" "$work/show-$p/data"
    playSized "${showOf[$p]}" "$work/show-$p" "$work/swaps.log" 0
    cp "$work/swaps.log" "$out/logs/show-$p.log"
    awk -v from_ms=0 -v to_ms=0 -v series=1 -f "$here/frametimes.awk" "$work/swaps.log" |
      awk -f "$here/runningmedian.awk" >"$out/show-$p.dat"
  done
fi

{
  echo "1024x768, $rounds rounds, ${seconds} s per scene and run, LP_NUM_THREADS=$LP_NUM_THREADS, $(date '+%F %H:%M')"
  [ -n "$base" ] && echo "A: $base ($(git -C "$build/bench/base" log -1 --format=%h)); B: the working tree ($(git -C "$repo" log -1 --format=%h)$(git -C "$repo" diff --quiet HEAD || echo ' + changes'))"
  echo "Frame time, swap to swap:"
  awk -v scenes="${names[*]}" -v dat="$out/scenes.dat" -f "$here/report.awk" "$out/runs.tsv"
  echo
  echo "CPU time of the show per frame, swap to swap (its own work, whatever the neighbours do):"
  awk -v scenes="${names[*]}" -v field=6 -v dat="$out/scenes-cpu.dat" -f "$here/report.awk" "$out/runs.tsv"
} | tee "$out/table.txt"

slots=$("$build/tools/showplan/showplan" | awk '$1 != "show" { printf "%s%s:%s", sep, $1, $2; sep = " " }')
gnuplot -e "dir='$out'; slots='$slots'" "$here/plot.gp"
echo "bench: wrote $out/table.txt and $out/bench.png" >&2
