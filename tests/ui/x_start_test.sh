#!/bin/sh
# Starts the program on a real X server (Xvfb) with empty settings, lets it run for a few
# seconds and fails on anything it wrote to its error output: Qt prints its warnings
# there (a missing plugin, a bad connection, a layout that cannot be met).
#
# Usage: x_start_test.sh PAIRWELL
set -eu
program=$1
root=$(mktemp -d "${TMPDIR:-/tmp}/pairwell-x-XXXXXX")
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/config" "$root/data" "$root/runtime"
chmod 700 "$root/runtime"

status=0
env -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$root/config" XDG_DATA_HOME="$root/data" \
    XDG_RUNTIME_DIR="$root/runtime" \
    xvfb-run -a -s "-screen 0 1280x1024x24" timeout -s TERM 4 "$program" \
    >"$root/out" 2>"$root/err" || status=$?
# 124: the program was still running when the time was up, as it should be.
if [ "$status" -ne 124 ]; then
    echo "FAIL: the program ended with status $status before the time was up"
    cat "$root/err"
    exit 1
fi
if [ -s "$root/err" ]; then
    echo "FAIL: the program wrote to its error output:"
    cat "$root/err"
    exit 1
fi
echo "started on Xvfb without a warning"
