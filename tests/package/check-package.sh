#!/bin/sh
# Builds the Debian package into a folder of its own and checks it, one step
# per call: build, contents, metadata, manpages, runs, lintian. The build
# step leaves the package, its extraction (root/) and its control files
# (control/) in that folder for the other steps.
set -eu
step=$1
out=$2
shift 2

fail() {
    echo "package test: $*" >&2
    exit 1
}

deb() {
    set -- "$out"/korvex_*.deb
    [ -f "$1" ] || fail "no package in $out (did package_build pass?)"
    echo "$1"
}

case $step in
build)
    cpack=$1
    config=$2
    rm -rf "$out"
    mkdir -p "$out"
    "$cpack" -G DEB --config "$config" -B "$out" || fail "cpack failed"
    package=$(deb)
    dpkg-deb -x "$package" "$out/root"
    dpkg-deb -e "$package" "$out/control"
    echo "built $package"
    ;;

contents)
    version=$1
    source=$2
    package=$(deb)
    arch=$(dpkg --print-architecture)
    [ "$(basename "$package")" = "korvex_${version}_${arch}.deb" ] ||
        fail "package named $(basename "$package"), not korvex_${version}_${arch}.deb"
    list=$(dpkg-deb -c "$package" | awk '{ print $6 }')
    expected="./usr/bin/korvex ./usr/bin/ar8600-sim ./usr/lib/korvex/libmrqSnd.so
        ./usr/share/korvex/Help/korvhlp.pdf ./usr/share/korvex/Help/shortcuts.txt
        ./usr/share/korvex/license.txt ./usr/share/applications/korvex.desktop
        ./usr/share/icons/hicolor/scalable/apps/korvex.svg
        ./usr/share/man/man1/korvex.1.gz ./usr/share/man/man1/ar8600-sim.1.gz
        ./usr/share/metainfo/korvex.metainfo.xml
        ./usr/share/doc/korvex/copyright ./usr/share/doc/korvex/changelog.gz"
    for unit in "$source"/resources/systemd/*.service "$source"/resources/systemd/*.service.in; do
        [ -f "$unit" ] && expected="$expected ./usr/lib/systemd/user/$(basename "$unit" .in)"
    done
    for file in $expected; do
        echo "$list" | grep -qx "$file" || fail "$file is not in the package"
    done
    # Only the two programs go on the path: no build tool, test or benchmark.
    programs=$(echo "$list" | grep '^\./usr/bin/.' | sort | tr '\n' ' ')
    [ "$programs" = "./usr/bin/ar8600-sim ./usr/bin/korvex " ] ||
        fail "programs in the package: $programs"
    echo "$list" | grep -q '^\./usr/local/' && fail "files under /usr/local"
    echo "$list" | grep -qE '\.(a|h)$' && fail "static libraries or headers in the package"

    info=$(dpkg-deb -I "$package")
    depends=$(echo "$info" | sed -n 's/^ Depends: //p')
    [ -n "$depends" ] || fail "no Depends field"
    for lib in libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 libqt6network6 \
        libqt6svg6 libasound2 libc6 libstdc++6; do
        echo "$depends" | tr ',' '\n' | awk '{ print $1 }' | grep -qxF "$lib" ||
            fail "Depends does not name $lib: $depends"
    done
    echo "$info" | grep -qx ' Section: hamradio' || fail "section is not hamradio"
    echo "$info" | grep -qE '^ Maintainer: .+<.+@.+>' || fail "no maintainer"
    echo "$info" | grep -q '^ Homepage:' && fail "a Homepage field"
    echo "$info" | grep -qx " Version: $version" || fail "version is not $version"
    echo "contents and control fields as expected"
    ;;

metadata)
    published=$1
    source=$2
    root=$out/root
    desktop=$root/usr/share/applications/korvex.desktop
    desktop-file-validate "$desktop" || fail "desktop-file-validate refused korvex.desktop"
    exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
    [ -x "$root/usr/bin/$exec" ] || fail "the desktop entry starts '$exec', which the package lacks"
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    [ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] ||
        fail "the desktop entry's icon '$icon' is not in the package"

    # Errors fail; warnings and hints are shown only.
    validate() {
        report=$(appstreamcli validate --no-net "$1" 2>&1) || true
        echo "$report"
        echo "$report" | grep -q '^E:' && fail "appstreamcli reports errors in $1"
        return 0
    }
    metainfo=$root/usr/share/metainfo/korvex.metainfo.xml
    validate "$metainfo"
    launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")
    [ -f "$root/usr/share/applications/$launchable" ] ||
        fail "the metadata launches '$launchable', which the package lacks"
    for binary in $(sed -n 's:.*<binary>\(.*\)</binary>.*:\1:p' "$metainfo"); do
        [ -x "$root/usr/bin/$binary" ] || fail "the metadata provides '$binary', which the package lacks"
    done

    # With the screenshots published, the picture named is one of the tree's.
    validate "$published"
    image=$(sed -n 's:.*<image>\(.*\)</image>.*:\1:p' "$published")
    [ -n "$image" ] || fail "no screenshot in $published"
    picture=$source/resources/screenshots/${image##*/}
    [ -f "$picture" ] || fail "the screenshot $picture is not in the tree"
    # A PNG of a sensible width: the width is bytes 16..19 of its header.
    [ "$(od -An -c -j1 -N3 "$picture" | tr -d ' ')" = "PNG" ] || fail "$picture is no PNG"
    width=$(od -An -tu1 -j16 -N4 "$picture" | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 }')
    [ "$width" -ge 800 ] && [ "$width" -le 1600 ] || fail "$picture is $width pixels wide"
    echo "desktop entry and AppStream metadata valid"
    ;;

manpages)
    root=$out/root
    for program in korvex ar8600-sim; do
        page=$root/usr/share/man/man1/$program.1.gz
        [ -f "$page" ] || fail "no manual page for $program"
        warnings=$(gzip -dc "$page" | groff -ww -z -man 2>&1)
        [ -z "$warnings" ] || fail "groff warns on $program.1: $warnings"
        if command -v man >/dev/null 2>&1; then
            warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>&1 >/dev/null)
            [ -z "$warnings" ] || fail "man -l warns on $program.1: $warnings"
        fi
        # Every long option the program names in its help is in its page.
        help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u LD_LIBRARY_PATH \
            "$root/usr/bin/$program" --help) || fail "$program --help failed"
        options=$(echo "$help" | grep -oE -- '--[a-z0-9][a-z0-9-]*' | sort -u)
        [ -n "$options" ] || fail "$program --help names no options"
        text=$(gzip -dc "$page")
        for option in $options; do
            escaped=$(echo "$option" | sed 's/-/\\-/g')
            echo "$text" | grep -qF -- "$escaped" || fail "$program.1 does not document $option"
        done
    done
    echo "manual pages render without warnings and document every option"
    ;;

runs)
    version=$1
    root=$out/root
    clean="env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u LD_LIBRARY_PATH"
    printed=$($clean "$root/usr/bin/korvex" --version) || fail "the packaged korvex --version failed"
    [ "$printed" = "korvex $version" ] || fail "korvex --version printed '$printed'"
    # The sound library comes from the package, not from the build tree.
    library=$($clean ldd "$root/usr/bin/korvex" | sed -n 's/.*libmrqSnd\.so => \([^ ]*\).*/\1/p')
    [ "$(realpath "$library")" = "$(realpath "$root/usr/lib/korvex/libmrqSnd.so")" ] ||
        fail "korvex loads libmrqSnd.so from '$library'"
    # The simulator starts, names its pseudo-terminal and stops on SIGTERM.
    tmp=$(mktemp -d /tmp/korvex-package-XXXXXX)
    trap 'rm -rf "$tmp"' EXIT
    "$root/usr/bin/ar8600-sim" --log "$tmp/wire.log" >"$tmp/sim.out" &
    sim=$!
    tries=0
    while [ ! -s "$tmp/sim.out" ] && [ $tries -lt 50 ]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    device=$(head -n 1 "$tmp/sim.out")
    kill -TERM $sim
    status=0
    wait $sim || status=$?
    case $device in
    /dev/pts/*) ;;
    *) fail "ar8600-sim printed '$device', not a pseudo-terminal" ;;
    esac
    [ $status -eq 0 ] || fail "ar8600-sim ended with status $status on SIGTERM"
    echo "the packaged programs run and find their library in the package"
    ;;

lintian)
    package=$(deb)
    report=$(lintian --tag-display-limit 0 "$package" 2>&1) || true
    echo "$report"
    echo "$report" | grep -q '^E: ' && fail "lintian reports errors"
    echo "lintian: no errors"
    ;;

*)
    fail "unknown step $step"
    ;;
esac
