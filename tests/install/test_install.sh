#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the installed tree: every file and no
# other, the summary's plug-in with the charts library that the program itself does not link,
# the window's module with the toolkit that the program's launcher does not link either,
# the desktop entry and the AppStream metadata through their validators, the MIME glob that
# lets a file manager open "nmr.dat" with Numora, the icon sizes, the manual page, and that the
# program finds its sample templates beside itself after the prefix was moved.
#
# Usage: bash test_install.sh <build folder>
# Ends with 77 (skipped) when a validator is not installed.
set -euo pipefail

build=$(realpath "${1:?usage: $0 <build folder>}")
for tool in desktop-file-validate appstreamcli update-mime-database update-desktop-database; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (Debian: desktop-file-utils, appstream, shared-mime-info)"
        exit 77
    fi
done

work=$(mktemp -d)
pid=
cleanup() {
    if [[ -n $pid ]] && kill -0 "$pid" 2>/dev/null; then kill "$pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$work/usr
env -u DESTDIR cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log" >&2; fail "cmake --install failed"; }

# Every installed file; the MIME and desktop databases that the installation brings up to date
# are generated and left out here.
expected=(
    bin/numora
    lib/numora/numora-summary.so
    lib/numora/numora-window.so
    share/applications/numora.desktop
    share/doc/numora/README.md
    share/doc/numora/changelog.gz
    share/doc/numora/copyright
    share/icons/hicolor/128x128/apps/numora.png
    share/icons/hicolor/16x16/apps/numora.png
    share/icons/hicolor/24x24/apps/numora.png
    share/icons/hicolor/256x256/apps/numora.png
    share/icons/hicolor/32x32/apps/numora.png
    share/icons/hicolor/48x48/apps/numora.png
    share/icons/hicolor/64x64/apps/numora.png
    share/icons/hicolor/scalable/apps/numora.svg
    share/man/man1/numora.1.gz
    share/metainfo/example.numora.Numora.metainfo.xml
    share/mime/packages/numora.xml
    share/numora/demo/images/cinq-francs.png
    share/numora/demo/images/ducat.png
    share/numora/demo/images/half-crown.png
    share/numora/demo/images/kreuzer.png
    share/numora/demo/images/sovereign.png
    share/numora/demo/images/threepence.png
    share/numora/demo/nmr.dat
    share/numora/templates/CatalogueInside.htm
    share/numora/templates/CatalogueOutside.htm
    share/numora/templates/ListInside.htm
    share/numora/templates/ListOutside.htm
)
(cd "$prefix" && find . \( -type f -o -type l \) -printf '%P\n' |
    grep -v -e '^share/mime/[^/]*$' -e '^share/mime/application/' \
        -e '^share/applications/mimeinfo.cache$' | LC_ALL=C sort) >"$work/installed"
printf '%s\n' "${expected[@]}" | LC_ALL=C sort >"$work/expected"
diff "$work/expected" "$work/installed" >&2 || fail "the installed files differ (< expected, > installed)"
[[ -x $prefix/bin/numora ]] || fail "bin/numora is not executable"
# The charts library is loaded with the summary's plug-in, not at every start of the program.
if command -v readelf >/dev/null; then
    readelf -d "$prefix/bin/numora" | grep -q 'NEEDED.*libQt6Charts' &&
        fail "bin/numora links the charts library"
    readelf -d "$prefix/lib/numora/numora-summary.so" | grep -q 'NEEDED.*libQt6Charts' ||
        fail "the summary's plug-in does not link the charts library"
    # The launcher starts reading the collection before the toolkit is loaded with the window.
    readelf -d "$prefix/bin/numora" | grep -q 'NEEDED.*libQt6' &&
        fail "bin/numora links the toolkit"
    readelf -d "$prefix/lib/numora/numora-window.so" | grep -q 'NEEDED.*libQt6Widgets' ||
        fail "the window's module does not link the toolkit"
fi

desktop-file-validate "$prefix/share/applications/numora.desktop" ||
    fail "desktop-file-validate found errors"
grep -qx 'Exec=numora --default-collection %f' "$prefix/share/applications/numora.desktop" ||
    fail "the desktop entry does not open the default collection"
appstreamcli validate-tree --no-net "$prefix" || fail "appstreamcli validate-tree found errors"

grep -qx '50:application/x-numora-collection:nmr.dat' "$prefix/share/mime/globs2" ||
    fail "the MIME database has no glob for nmr.dat"
grep -qx 'application/x-numora-collection=numora.desktop;' \
    "$prefix/share/applications/mimeinfo.cache" ||
    fail "the desktop database does not open a collection with Numora"

# A PNG's width and height are the big-endian words at bytes 16 and 20.
for side in 16 24 32 48 64 128 256; do
    png=$prefix/share/icons/hicolor/${side}x$side/apps/numora.png
    read -r w h < <(od -An -tu1 -j16 -N8 "$png" |
        awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
    [[ $w == "$side" && $h == "$side" ]] || fail "the ${side}x$side icon is ${w}x$h"
done

gzip -dc "$prefix/share/man/man1/numora.1.gz" | grep -q '^\.TH NUMORA 1 ' ||
    fail "the manual page is not numora(1)"

# Moved elsewhere, the installed program still gives a new default collection the installed
# templates; one of them is marked so that the source tree's copies cannot pass.
mv "$prefix" "$work/moved"
echo '<!-- installed -->' >>"$work/moved/share/numora/templates/ListInside.htm"
mkdir -p "$work/home" "$work/cwd" -m 700 "$work/xdg"
collection=$work/home/Documents/Numora
(cd "$work/cwd" && HOME=$work/home XDG_CONFIG_HOME= XDG_RUNTIME_DIR=$work/xdg \
    QT_QPA_PLATFORM=offscreen exec "$work/moved/bin/numora" --default-collection \
    >"$work/numora.log" 2>&1) &
pid=$!
for _ in $(seq 100); do
    [[ -s $collection/CatalogueOutside.htm ]] && break
    sleep 0.1
done
[[ -d $collection ]] || { cat "$work/numora.log" >&2; fail "the default collection was not made"; }
for t in CatalogueInside CatalogueOutside ListInside ListOutside; do
    cmp -s "$work/moved/share/numora/templates/$t.htm" "$collection/$t.htm" ||
        fail "$t.htm in the new collection is not the installed sample"
done
# The window, loaded from the moved module, takes the collection's lock.
for _ in $(seq 100); do
    [[ -e $collection/nmr.lock ]] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
[[ -e $collection/nmr.lock ]] || { cat "$work/numora.log" >&2; fail "the window did not start"; }
[[ -z $(ls -A "$work/cwd") ]] || fail "the program wrote into the folder it was started in"

echo "PASS: test_install"
