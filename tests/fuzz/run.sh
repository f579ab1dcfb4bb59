#!/usr/bin/env bash
# Builds a fuzz target with clang (libFuzzer, ASan, UBSan) and runs it.
#   run.sh TARGET SECONDS WORKDIR [SEEDGEN]
# TARGET is scene_fuzz (the whole scene path, drawn offscreen) or lib3ds_fuzz
# (the chunk walk and lib3ds alone, fast). WORKDIR keeps the build and the
# growing corpus between runs; SEEDGEN, the robust_fuzzseeds program, writes
# the seed scenes. FUZZ_JOBS=N (default 1) fuzzes in N processes at once. The
# show's own scenes in data/ (with its images) and the real .3ds files of
# Debian's assimp-testmodels join the seeds when present. A crash, hang or
# leak leaves its input in tests/fuzz/regressions/, which the replay tests run
# from then on.
#
# LIB3DS_SOURCE=DIR (lib3ds 1.3.0's source tree, e.g. from apt-get source
# lib3ds) builds lib3ds from it with ASan, UBSan and coverage instead of
# linking the system's: the fuzzer then sees the library's own branches and
# its reads and writes past its arrays, not only its crashes. (Debian's build
# carries a security fix the upstream source lacks: replay what this finds
# against the system's library.)
set -euo pipefail

target=${1:?target: scene_fuzz or lib3ds_fuzz}
seconds=${2:?seconds}
work=${3:?work directory}
seedgen=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
mkdir -p "$work/corpus" "$work/seeds" "$here/regressions"
work=$(cd "$work" && pwd)

includes=(-I"$here" -I"$root/src/scenecheck" -I"$root/tests/robust")
sources=("$here/$target.cpp" "$root"/src/scenecheck/*.cpp "$root/tests/robust/lib3dsprobe.cpp")
headers=("$root"/src/scenecheck/*.h "$root"/tests/robust/*.h)
packages=()
case "$target" in
scene_fuzz)
  # The core without its entry point, run by the headless host.
  for s in "$root"/src/*.cpp; do
    [ "$(basename "$s")" = main.cpp ] || sources+=("$s")
  done
  sources+=("$root"/tools/host/*.cpp)
  headers+=("$root"/src/*.h "$root"/tools/host/*.h)
  includes+=(-I"$root/src" -I"$root/tools/host")
  packages=(sdl SDL_image glu osmesa libmpg123)
  # Whole small scenes fit; the show's own (50-290 KB) are cut to this.
  max_len=65536
  timeout=20
  ;;
lib3ds_fuzz)
  # Every kind of chunk fits in a few KB (the seeds of fuzzseeds and assimp
  # are 1-14 KB). The show's scenes are cut to this and refused as truncated:
  # beyond the small seeds they hold more of the same points, faces and keys,
  # which cost the walk and lib3ds linear time. Measured from the same seeds
  # over 25 s: 8100 inputs/s at 16 KB against 560 at 290 KB, and as many
  # edges covered (706 against 698).
  max_len=16384
  timeout=10
  ;;
*)
  echo "unknown target $target" >&2
  exit 2
  ;;
esac

binary="$work/$target"
lib3ds=(-l3ds)
if [ -n "${LIB3DS_SOURCE:-}" ]; then
  mkdir -p "$work/lib3ds"
  for c in "$LIB3DS_SOURCE"/lib3ds/*.c; do
    o="$work/lib3ds/$(basename "$c" .c).o"
    [ "$o" -nt "$c" ] && [ "$o" -nt "$0" ] && continue
    clang -g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer-no-link,address,undefined \
      -fno-sanitize-recover=all -w -I"$LIB3DS_SOURCE" -c "$c" -o "$o"
  done
  lib3ds=("$work"/lib3ds/*.o -lm)
  binary="$work/$target-lib3ds"
fi
stale=0
[ -x "$binary" ] || stale=1
for s in "${sources[@]}" "${headers[@]}" "$here"/*.h "$0"; do
  [ "$s" -nt "$binary" ] && stale=1
done
if [ "$stale" = 1 ]; then
  echo "building $binary"
  flags=() libs=()
  if [ ${#packages[@]} -gt 0 ]; then
    read -ra flags <<<"$(pkg-config --cflags "${packages[@]}")"
    read -ra libs <<<"$(pkg-config --libs "${packages[@]}")"
  fi
  clang++ -std=c++17 -g -O1 -fno-omit-frame-pointer \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    "${includes[@]}" "${flags[@]}" "${sources[@]}" -o "$binary" "${libs[@]}" "${lib3ds[@]}"
fi

[ -n "$seedgen" ] && "$seedgen" "$work/seeds"
if compgen -G "$root/data/*.3ds" >/dev/null; then
  cp "$root"/data/*.3ds "$work/seeds/"
  export SCENE_FUZZ_DATA="$root/data"
fi
if dpkg -L assimp-testmodels >/dev/null 2>&1; then
  dpkg -L assimp-testmodels | grep -i '/3DS/.*\.3ds$' | while read -r f; do
    if [ -s "$f" ]; then cp "$f" "$work/seeds/assimp-$(basename "$f")"; fi
  done
fi

# Mesa keeps memory to the end: its leaks are not ours.
export LSAN_OPTIONS="suppressions=$root/tests/support/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1"
parallel=()
[ "${FUZZ_JOBS:-1}" -gt 1 ] && parallel=(-fork="$FUZZ_JOBS")
cd "$work"
exec "$binary" "${parallel[@]}" -max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb=4096 \
  -max_len="$max_len" -dict="$here/3ds.dict" -artifact_prefix="$here/regressions/" -print_final_stats=1 \
  "$work/corpus" "$work/seeds" "$here/regressions"
