#!/bin/sh
# Installs the build into a temporary prefix and runs korvex from there
# without a display. Arguments: cmake, the build folder, the library folder
# under the prefix, readelf.
set -eu
cmake=$1
build=$2
libdir=$3
readelf=$4

prefix=$(mktemp -d /tmp/korvex-install-XXXXXX)
trap 'rm -rf "$prefix"' EXIT

"$cmake" --install "$build" --prefix "$prefix" >/dev/null

fail() {
    echo "install test: $*" >&2
    exit 1
}

version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u LD_LIBRARY_PATH "$prefix/bin/korvex" --version) ||
    fail "korvex --version failed in $prefix"
[ "$version" = "korvex 1.4.1.0" ] || fail "korvex --version printed '$version'"

[ -f "$prefix/$libdir/korvex/libmrqSnd.so" ] || fail "no $libdir/korvex/libmrqSnd.so"
"$readelf" -d "$prefix/bin/korvex" | grep -E '(RUNPATH|RPATH).*\$ORIGIN/\.\./'"$libdir"'/korvex\]' >/dev/null ||
    fail "korvex has no run path \$ORIGIN/../$libdir/korvex"
for file in Help/korvhlp.pdf Help/shortcuts.txt license.txt; do
    [ -f "$prefix/share/korvex/$file" ] || fail "no share/korvex/$file"
done
echo "installed and ran from $prefix"
