#!/bin/sh
# Installs the build into a fresh prefix and checks what a user gets: the
# program, the plotter launcher and the manual page, and that the launcher
# starts gnuplot with the plotter command's arguments.
#   install_test.sh CMAKE BUILD_DIR
set -eu
cmake=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "install_test: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$work/prefix" > "$work/install.log" || fail "cmake --install failed"
[ -x "$work/prefix/bin/sotra" ] || fail "bin/sotra missing or not executable"
[ -x "$work/prefix/bin/wgnuplot" ] || fail "bin/wgnuplot missing or not executable"
[ -f "$work/prefix/share/man/man1/sotra.1" ] || fail "share/man/man1/sotra.1 missing"
if command -v groff > /dev/null 2>&1; then
    warnings=$(groff -man -ww -z "$work/prefix/share/man/man1/sotra.1" 2>&1)
    [ -z "$warnings" ] || fail "the manual page has warnings: $warnings"
fi

# The launcher hands its arguments to gnuplot after -persist ...
mkdir "$work/fakebin"
cat > "$work/fakebin/gnuplot" << 'FAKE'
#!/bin/sh
for a in "$@"; do printf '[%s]' "$a"; done > "$GNUPLOT_ARGS"
exit 3
FAKE
chmod +x "$work/fakebin/gnuplot"
status=0
GNUPLOT_ARGS="$work/args" PATH="$work/fakebin:/usr/bin:/bin" "$work/prefix/bin/wgnuplot" sotra.gnp - || status=$?
[ "$(cat "$work/args")" = "[-persist][sotra.gnp][-]" ] || fail "gnuplot got $(cat "$work/args")"
[ "$status" -eq 3 ] || fail "the launcher did not pass gnuplot's status on: $status"

# ... and says what is missing when there is no gnuplot.
mkdir "$work/emptybin"
status=0
PATH="$work/emptybin" "$work/prefix/bin/wgnuplot" sotra.gnp - 2> "$work/err" || status=$?
[ "$status" -eq 127 ] || fail "without gnuplot the launcher ended with $status"
grep -q "gnuplot is not installed" "$work/err" || fail "without gnuplot the launcher said: $(cat "$work/err")"
echo "install_test: ok"
