# Frame times of one run, from a swap log ("SDL_TICKS MONOTONIC_US CPU_US" per
# swap): every interval between two swaps that lies within [from_ms, to_ms)
# after the first swap, as "WALL_MS CPU_MS" lines (to_ms 0: up to the last
# swap). With series=1 each line starts with its end in seconds after the
# first swap.
# Usage: awk -v from_ms=1000 -v to_ms=5000 [-v series=1] -f frametimes.awk LOG
NR == 1 { t0 = $2; prev = $2; prevCpu = $3; next }
{
  startMs = (prev - t0) / 1000
  endMs = ($2 - t0) / 1000
  if (startMs >= from_ms && (to_ms == 0 || endMs <= to_ms)) {
    if (series) printf "%.3f ", endMs / 1000
    printf "%.3f %.3f\n", ($2 - prev) / 1000, ($3 - prevCpu) / 1000
  }
  prev = $2
  prevCpu = $3
}
