# The scenes a run measures, from the show plan's lines ("FILE START_MS
# DURATION_MS", and "show ..."): all of them, or those named in `only`
# (space-separated file names, in plan order). A name the plan lacks is an
# error: the run would otherwise quietly measure less than was asked.
# Usage: showplan | awk [-v only="a.3ds b.3ds"] -f scenes.awk
BEGIN { n = split(only, wanted, " "); for (i = 1; i <= n; i++) asked[wanted[i]] = 1 }
$1 == "show" { next }
n == 0 || ($1 in asked) { print; found[$1] = 1 }
END {
  for (i = 1; i <= n; i++)
    if (!(wanted[i] in found)) { print "bench: the show plan has no scene " wanted[i] > "/dev/stderr"; bad = 1 }
  exit bad
}
