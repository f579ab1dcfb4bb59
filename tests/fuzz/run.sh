#!/usr/bin/env bash
# Builds the scene fuzzer with clang (libFuzzer, ASan, UBSan) and runs it.
#   run.sh SECONDS WORKDIR [SEEDGEN]
# WORKDIR keeps the build and the growing corpus between runs; SEEDGEN, the
# robust_fuzzseeds program, writes the seed scenes. FUZZ_JOBS=N (default 1)
# fuzzes in N processes at once. The show's own scenes in
# data/ join the seeds when present, with its images. A crash, hang or leak leaves its input
# in tests/fuzz/regressions/, which the replay test runs from then on.
set -euo pipefail

seconds=${1:?seconds}
work=${2:?work directory}
seedgen=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
mkdir -p "$work/corpus" "$work/seeds" "$here/regressions"
work=$(cd "$work" && pwd)

# The core without its entry point, run by the headless host.
core=()
for s in "$root"/src/*.cpp "$root"/src/scenecheck/*.cpp; do
  [ "$(basename "$s")" = main.cpp ] || core+=("$s")
done
sources=("$here/scene_fuzz.cpp" "${core[@]}" "$root"/tools/host/*.cpp "$root/tests/robust/lib3dsprobe.cpp")
binary="$work/scene_fuzz"
stale=0
[ -x "$binary" ] || stale=1
for s in "${sources[@]}" "$root"/src/*.h "$root"/src/scenecheck/*.h "$root"/tools/host/*.h; do
  [ "$s" -nt "$binary" ] && stale=1
done
if [ "$stale" = 1 ]; then
  echo "building $binary"
  # shellcheck disable=SC2046
  clang++ -std=c++17 -g -O1 -fno-omit-frame-pointer \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$root/src" -I"$root/src/scenecheck" -I"$root/tools/host" -I"$root/tests/robust" $(pkg-config --cflags sdl SDL_image glu osmesa libmpg123) \
    "${sources[@]}" -o "$binary" \
    $(pkg-config --libs sdl SDL_image glu osmesa libmpg123) -l3ds
fi

[ -n "$seedgen" ] && "$seedgen" "$work/seeds"
if compgen -G "$root/data/*.3ds" >/dev/null; then
  cp "$root"/data/*.3ds "$work/seeds/"
  export SCENE_FUZZ_DATA="$root/data"
fi

# Mesa keeps memory to the end: its leaks are not ours.
export LSAN_OPTIONS="suppressions=$root/tests/support/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1"
parallel=()
[ "${FUZZ_JOBS:-1}" -gt 1 ] && parallel=(-fork="$FUZZ_JOBS")
cd "$work"
exec "$binary" "${parallel[@]}" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 -max_len=65536 \
  -dict="$here/3ds.dict" -artifact_prefix="$here/regressions/" -print_final_stats=1 \
  "$work/corpus" "$work/seeds" "$here/regressions"
