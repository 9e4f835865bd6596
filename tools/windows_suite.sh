#!/bin/sh
# Builds sotra for Windows with the mingw-w64 cross compilers and runs the
# whole test suite under wine. Usage: tools/windows_suite.sh [build dir]
# (default build-windows, the windows preset's). Returns ctest's status.
#
# A persistent wine server, with its prefix inside the build directory,
# serves every test; without it each wine start waits about 3 s. It is
# stopped on the way out, whatever happens.
set -eu

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-"$source_dir/build-windows"}
case $build_dir in /*) ;; *) build_dir=$(pwd)/$build_dir ;; esac

if [ "$build_dir" = "$source_dir/build-windows" ]; then
    cmake --preset windows -S "$source_dir"
else
    cmake --preset windows -S "$source_dir" -B "$build_dir"
fi

WINEPREFIX=$build_dir/wineprefix
WINEDEBUG=-all
export WINEPREFIX WINEDEBUG

server_started=no
stop_server() {
    if [ "$server_started" = yes ]; then wineserver -k 2>/dev/null || true; fi
}
trap stop_server EXIT
trap 'exit 130' INT TERM

# The build lists the tests by running the test program, so the server
# comes first. Its output must not hold the caller's pipes open.
server_started=yes
# A server still running for this prefix would make "wineserver -w" wait
# for ever: stop it first.
wineserver -k 2>/dev/null || true
wineboot --init >/dev/null 2>&1 </dev/null
wineserver -w
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit 0 </dev/null >/dev/null 2>&1

cmake --build "$build_dir" -j2

status=0
if [ "$build_dir" = "$source_dir/build-windows" ]; then
    (cd "$source_dir" && ctest --preset windows) || status=$?
else
    ctest --test-dir "$build_dir" --output-on-failure -j2 || status=$?
fi
exit $status
