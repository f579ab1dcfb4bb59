# Appends to each "SECONDS WALL_MS CPU_MS" line the medians of the wall and
# CPU times over the `width` frames around it (default 31), which the neighbours'
# bursts on a shared machine do not move.
# Usage: awk [-v width=31] -f runningmedian.awk SERIES
function med(src, from, to,   n, i, j, t, v) {
  n = 0
  for (i = from; i <= to; i++) {
    t = src[i]
    for (j = n; j >= 1 && v[j] > t; j--) v[j + 1] = v[j]
    v[j + 1] = t
    n++
  }
  return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
}
{ t[NR] = $1; wall[NR] = $2; cpu[NR] = $3 }
END {
  if (!width) width = 31
  half = int(width / 2)
  for (i = 1; i <= NR; i++) {
    from = i - half < 1 ? 1 : i - half
    to = i + half > NR ? NR : i + half
    printf "%s %s %s %.3f %.3f\n", t[i], wall[i], cpu[i], med(wall, from, to), med(cpu, from, to)
  }
}
