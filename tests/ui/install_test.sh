#!/bin/sh
# Installs the build tree into a temporary prefix and checks what a user gets: every file
# in its place, programs whose libraries resolve without the build tree, and a manual page
# that names every long option `pairwell-cli --help` names, so that the page cannot fall
# behind the program unnoticed.
#
# Usage: install_test.sh CMAKE BUILD_DIR
set -eu
cmake=$1
build=$2
prefix=$(mktemp -d "${TMPDIR:-/tmp}/pairwell-install-XXXXXX")
trap 'rm -rf "$prefix"' EXIT
failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

"$cmake" --install "$build" --prefix "$prefix" >/dev/null

for file in bin/pairwell bin/pairwell-cli lib/libvelomail.so \
    share/pairwell/end.wav share/pairwell/Help.html \
    share/icons/hicolor/scalable/apps/pairwell.svg share/applications/pairwell.desktop \
    share/mime/packages/pairwell-session.xml share/man/man1/pairwell-cli.1; do
    [ -f "$prefix/$file" ] || fail "$file is not installed"
done
for program in pairwell pairwell-cli; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program is not executable"
done
[ "$(head -c 4 "$prefix/share/pairwell/end.wav")" = RIFF ] || fail "end.wav is not a WAVE file"
grep -qx 'Exec=pairwell %f' "$prefix/share/applications/pairwell.desktop" ||
    fail "the desktop entry does not start pairwell"

# Installed programs must not lean on the build tree.
for binary in bin/pairwell bin/pairwell-cli lib/libvelomail.so; do
    if ldd "$prefix/$binary" | grep -q 'not found'; then
        fail "$binary has libraries that do not resolve"
    fi
    if command -v readelf >/dev/null && readelf -d "$prefix/$binary" | grep -q "$build"; then
        fail "$binary has a run path into the build tree"
    fi
done

# Roff writes a minus as \-; the page's text is compared with the hyphens plain.
page=$(sed 's/\\-/-/g' "$prefix/share/man/man1/pairwell-cli.1")
options=$("$prefix/bin/pairwell-cli" --help | grep -o -- '--[a-z0-9][a-z0-9-]*' | sort -u)
[ -n "$options" ] || fail "pairwell-cli --help names no long option"
for option in $options; do
    printf '%s\n' "$page" | grep -Eq -- "${option}([^a-z0-9-]|\$)" ||
        fail "the manual page does not mention $option"
done

[ "$failed" = 0 ] && echo "installed layout and manual page are complete"
exit "$failed"
