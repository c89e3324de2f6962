#!/usr/bin/env bash
# Makes docs/screenshot-catalogue.png: the catalogue page of the demo collection, composed by
# the core library from the sample templates and shown in a headless Chromium.
#
# Builds the core libraries in build/ (or the build folder named in NUMORA_BUILD_DIR) and
# needs Chromium (apt-get install chromium). With
# PHONE=1 it also writes a phone-width shot to the temporary folder, for a look, not for the
# repository.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build_dir=${NUMORA_BUILD_DIR:-build}
scripts/install-deps.sh run
[ -f "$build_dir/CMakeCache.txt" ] || cmake -S . -B "$build_dir" -G Ninja >/dev/null
cmake --build "$build_dir" --target numora_output numora_storage numora_records >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The page is written into a copy of the demo folder, so that its images/ paths resolve.
cp -r demo "$work/collection"
cp templates/Catalogue*.htm "$work/collection/"

cat >"$work/compose.cpp" <<'CPP'
#include <cstdio>

#include "output/PageComposer.h"
#include "output/PageFiles.h"
#include "storage/DataFile.h"

int main()
{
    Collection collection;
    collection.LoadBottomUp(ReadDataFile(kDataFileName));
    Preferences prefs;
    prefs[PrefKey::Name] = "Maria Jansen";
    prefs[PrefKey::Email] = "maria.jansen@example.org";
    prefs[PrefKey::Address1] = "Kerkstraat 12";
    prefs[PrefKey::City] = "3511 LX Utrecht";
    prefs[PrefKey::Country] = "Nederland";
    const auto outer = ReadTemplate(std::string(kCataloguePage.outerTemplate));
    const auto inner = ReadTemplate(std::string(kCataloguePage.innerTemplate));
    if (!outer || !inner)
        return 1;
    const std::string page = ComposePage(*outer, *inner, collection, prefs);
    if (!WritePage(std::string(kCataloguePage.defaultOutput), page))
        return 1;
    std::printf("%d coins\n", collection.Count());
    return 0;
}
CPP
g++ -std=c++20 -O1 -I"$source_dir" "$work/compose.cpp" -o "$work/compose" \
    "$build_dir/libnumora_output.a" "$build_dir/libnumora_storage.a" \
    "$build_dir/libnumora_records.a"
(cd "$work/collection" && "$work/compose")

shoot() {  # shoot WIDTH,HEIGHT OUTPUT
  chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --hide-scrollbars --user-data-dir="$work/profile" --window-size="$1" \
    --screenshot="$2" "file://$work/collection/catalogue.htm" 2>/dev/null
}
shoot 1200,1400 "$source_dir/docs/screenshot-catalogue.png"
echo "Wrote docs/screenshot-catalogue.png"
if [ "${PHONE:-0}" = 1 ]; then
  shoot 420,900 "${TMPDIR:-/tmp}/catalogue-phone.png"
  echo "Wrote ${TMPDIR:-/tmp}/catalogue-phone.png"
fi
