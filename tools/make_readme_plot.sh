#!/bin/sh
# Makes doc/plot_copper.png, the picture in the README: a real run of the
# built program on the copper example, drawn by the real gnuplot from the
# SOTRA.GNP that run wrote, with the run's three title lines as the plot's
# title and axis labels.
#   tools/make_readme_plot.sh [sotra executable]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
sotra=$(cd "$(dirname "${1:-$here/build/sotra}")" && pwd)/$(basename "${1:-$here/build/sotra}")
command -v gnuplot > /dev/null || { echo "make_readme_plot: gnuplot is needed" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
cp "$here/examples/theta_copper.dat" "$work/"
# The plot is made after the run, once its titles are known.
printf '#!/bin/sh\nexit 0\n' > "$work/bin/wgnuplot"
chmod +x "$work/bin/wgnuplot"
(cd "$work" && PATH="$work/bin:$PATH" "$sotra" < "$here/examples/theta_copper.answers" > console.txt)
title() { sed -n "s/^ITLE $1 \"\(.*\)\"\r\$/\1/p" "$work/console.txt"; }
(cd "$work" && gnuplot -e "set terminal png size 720,480; set output 'plot.png';
    set title '$(title TOP)'; set xlabel '$(title BOTTOM)'; set ylabel '$(title LEFT)'; set key off;
    set grid" sotra.gnp - < /dev/null)
cp "$work/plot.png" "$here/doc/plot_copper.png"
echo "make_readme_plot: wrote doc/plot_copper.png"
