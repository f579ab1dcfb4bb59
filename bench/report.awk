# The benchmark's table from its runs, one line per run:
#   ROUND SCENE PLAYER WALL_MS FRAMES CPU_MS
# (medians of the run's frames; PLAYER is A, the base revision, B, the working
# tree, or floor, the camera-only scene run beside every scene in every round).
# For the wall time (field=4, the default) or the CPU time (field=6), per
# scene: each player's median over the rounds; the median over the rounds of
# B / A, with the lowest and highest of them; A and B as multiples of the
# floor. Every ratio is taken within a round, where the runs lie seconds apart
# and share the machine's load. Without A, B is compared with the floor.
# Usage: awk -v scenes="a.3ds b.3ds ..." [-v field=6] [-v dat=PLOTDATA] -f report.awk RUNS
function median(v, n,   i, j, t) {
  for (i = 2; i <= n; i++) { t = v[i]; for (j = i - 1; j >= 1 && v[j] > t; j--) v[j + 1] = v[j]; v[j + 1] = t }
  return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
}
# Median over the rounds of t[num] / t[den] (den "": of t[num]); sets lo and hi.
function overRounds(t, s, num, den,   r, n, v) {
  n = 0
  for (r = 1; r <= rounds; r++) {
    if (!((s, num, r) in t)) continue
    if (den == "") v[++n] = t[s, num, r]
    else if ((s, den, r) in t && t[s, den, r] > 0) v[++n] = t[s, num, r] / t[s, den, r]
  }
  if (n == 0) { lo = hi = "nan"; return "nan" }
  median(v, n); lo = v[1]; hi = v[n]
  return median(v, n)
}
BEGIN { if (!field) field = 4 }
{
  ms[$2, $3, $1] = $field
  has[$3] = 1
  if ($1 > rounds) rounds = $1
  if ($3 == "floor") floorRuns[++nFloor] = $field
}
END {
  n = split(scenes, name, " ")
  ref = ("A" in has) ? "A" : "floor"
  if (ref == "A") printf "%-11s %7s %7s %8s %6s %13s %7s %7s\n", "scene", "A ms", "B ms", "floor ms", "B/A", "(range)", "A/floor", "B/floor"
  else printf "%-11s %7s %8s %7s %15s\n", "scene", "B ms", "floor ms", "B/floor", "(range)"
  logSum = 0; nLog = 0
  for (i = 1; i <= n; i++) {
    s = name[i]
    a = overRounds(ms, s, "A", ""); b = overRounds(ms, s, "B", ""); f = overRounds(ms, s, "floor", "")
    bf = overRounds(ms, s, "B", "floor")
    af = overRounds(ms, s, "A", "floor")
    r = overRounds(ms, s, "B", ref)
    if (ref == "A") printf "%-11s %7.2f %7.2f %8.2f %6.3f  (%.3f-%.3f) %7.2f %7.2f\n", s, a, b, f, r, lo, hi, af, bf
    else printf "%-11s %7.2f %8.2f %7.2f    (%5.2f-%5.2f)\n", s, b, f, r, lo, hi
    if (r != "nan") { logSum += log(r); nLog++ }
    if (dat != "") printf "%d %s %s %s %s\n", i, s, a, b, f > dat
  }
  printf "floor: median %.2f ms over %d runs\n", nFloor ? median(floorRuns, nFloor) : 0, nFloor
  if (nLog) printf "geometric mean over %d scenes of B/%s: %.3f\n", nLog, ref, exp(logSum / nLog)
}
