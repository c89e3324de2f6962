#!/usr/bin/env bash
# Makes docs/screenshot-summary.png: the summary dialog of the demo collection with its charts,
# drawn on Qt's offscreen platform and taken with QWidget::grab(), so no display is needed.
#
# Builds the libraries it needs in build/ (or the build folder named in NUMORA_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build_dir=${NUMORA_BUILD_DIR:-build}
scripts/install-deps.sh run
[ -f "$build_dir/CMakeCache.txt" ] || cmake -S . -B "$build_dir" -G Ninja >/dev/null
cmake --build "$build_dir" --target numora_output_qt >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/shoot.cpp" <<'CPP'
#include <QApplication>
#include <QTabWidget>

#include "output/qt/CSummaryDlg.h"
#include "storage/DataFile.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    Collection collection;
    collection.LoadBottomUp(ReadDataFile(argv[1]));
    CSummaryDlg dialog(SummarizeCollection(collection), "Demo collection", {}, {});
    dialog.findChild<QTabWidget*>("tabs")->setCurrentIndex(1);  // the charts
    // The offscreen screen is small; a desktop one shows the charts whole, as here.
    dialog.resize(1040, 880);
    dialog.show();
    app.processEvents();
    return dialog.grab().save(argv[2]) ? 0 : 1;
}
CPP
# Qt is built for position-independent code, so the program must be too.
g++ -std=c++20 -O1 -fPIC -I"$source_dir" "$work/shoot.cpp" -o "$work/shoot" \
    "$build_dir/libnumora_output_qt.a" "$build_dir/libnumora_widgets.a" \
    "$build_dir/libnumora_output.a" "$build_dir/libnumora_storage.a" \
    "$build_dir/libnumora_records.a" -lcsv $(pkg-config --cflags --libs Qt6Widgets Qt6Charts)
QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 "$work/shoot" demo/nmr.dat docs/screenshot-summary.png
echo "Wrote docs/screenshot-summary.png"
