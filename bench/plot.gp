# The benchmark's picture: per-scene medians of the frame time and of the
# CPU time per frame (A, B and the floor), then every frame of the whole show,
# with the scenes' slots marked: every frame a dot, the running median a line.
# Usage: gnuplot -e "dir='RESULTS'; slots='FILE:START_MS ...'" plot.gp
showA = dir . '/show-A.dat'
showB = dir . '/show-B.dat'
hasShowA = system('test -s ' . showA . ' && echo 1') eq '1'
hasShowB = system('test -s ' . showB . ' && echo 1') eq '1'
set terminal pngcairo size 1400,(hasShowB ? 1400 : 950) font "DejaVu Sans,10"
set output dir . '/bench.png'
set multiplot layout (hasShowB ? 3 : 2),1 title "The show at 1024x768, swap to swap"

hasA = system('awk ''$3 != "nan" { n++ } END { print n + 0 }'' ' . dir . '/scenes.dat') > 0
set style fill solid 0.8 border -1
set boxwidth 0.36
set grid ytics
set key outside top right vertical
set termoption noenhanced
set ylabel "ms per frame"
set xtics rotate by -30 nomirror

# Before any range is set: stats leaves out what lies outside the ranges.
wallFile = dir . '/scenes.dat'
cpuFile = dir . '/scenes-cpu.dat'
stats wallFile using 4 nooutput name 'W'
stats wallFile using 5 nooutput name 'F'
stats cpuFile using 4 nooutput name 'C'
topWall = W_max
topCpu = C_max
if (hasA) {
  stats wallFile using 3 nooutput name 'WA'
  stats cpuFile using 3 nooutput name 'CA'
  topWall = WA_max > topWall ? WA_max : topWall
  topCpu = CA_max > topCpu ? CA_max : topCpu
}

do for [kind in "scenes scenes-cpu"] {
  file = dir . '/' . kind . '.dat'
  top = kind eq "scenes" ? topWall : topCpu
  set title (kind eq "scenes" ? "Frame time per scene, median (the floor: a scene with nothing but its camera)" \
                              : "CPU time of the show per frame, median")
  set yrange [0:top * 1.15]
  set xrange [0.3:W_records + 0.7]
  plot file using ($1 - 0.19):3 with boxes lc rgb "#8c8c8c" title (hasA ? "A (base)" : ""), \
       file using ($1 + (hasA ? 0.19 : 0)):4 with boxes lc rgb "#1f77b4" title "B (working tree)", \
       file using 1:5:xtic(2) with linespoints lw 2 pt 7 lc rgb "#d62728" title "floor"
}

if (!hasShowB) { unset multiplot; exit }
set title "Whole show, every frame"
set xlabel "show time (s)"
set xrange [0:*]
set yrange [0:W_max * 2]
set xtics norotate mirror
do for [w in slots] {
  at = real(substr(w, strstrt(w, ':') + 1, strlen(w))) / 1000
  set arrow from at, graph 0 to at, graph 1 nohead lc rgb "#bbbbbb" dt 2
  set label substr(w, 1, strstrt(w, '.') - 1) at at + 0.3, graph 0.04 font ",8"
}
# Every frame as a dot, the running median over 31 frames as a line.
if (hasShowA) {
  plot showA using 1:2 with dots lc rgb "#c0c0c0" notitle, \
       showA using 1:4 with lines lw 1.5 lc rgb "#707070" title "A", \
       showA using 1:5 with lines lw 1.5 dt 2 lc rgb "#707070" title "A, CPU", \
       showB using 1:2 with dots lc rgb "#9ecae1" notitle, \
       showB using 1:4 with lines lw 1.5 lc rgb "#1f77b4" title "B", \
       showB using 1:5 with lines lw 1.5 dt 2 lc rgb "#1f77b4" title "B, CPU", \
       F_median with lines lw 2 lc rgb "#d62728" title "floor"
} else {
  plot showB using 1:2 with dots lc rgb "#9ecae1" notitle, \
       showB using 1:4 with lines lw 1.5 lc rgb "#1f77b4" title "B", \
       showB using 1:5 with lines lw 1.5 dt 2 lc rgb "#1f77b4" title "B, CPU", \
       F_median with lines lw 2 lc rgb "#d62728" title "floor"
}
unset multiplot
