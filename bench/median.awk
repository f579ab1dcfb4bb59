# "MEDIAN COUNT" of numbers sorted ascending, one per line ("nan 0" for none).
# Usage: sort -n FILE | awk -f median.awk
{ v[NR] = $1 }
END {
  if (NR == 0) { print "nan 0"; exit }
  printf "%.3f %d\n", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2, NR
}
