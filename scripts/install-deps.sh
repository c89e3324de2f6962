#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, when any is missing.
# Usage: scripts/install-deps.sh [run|test|bench|package]
set -euo pipefail

# libqt6svg6: Qt's SVG image and icon plugins, for SVG pictures and the scalable icon.
# libcsv-dev: the CSV reader of the spreadsheet import.
# fonts-droid-fallback covers the CJK characters of the demo collection (its Japanese country)
# that DejaVu lacks, at a small fraction of the size of the full CJK font families.
# qt6-charts-dev: Qt Charts, which draws the summary's charts (its runtime library comes with
# it); its CMake package needs libqt6opengl6-dev, which Debian does not pull in with it.
packages=(cmake ninja-build g++ qt6-base-dev fonts-dejavu-core fonts-droid-fallback libqt6svg6 libcsv-dev
          qt6-charts-dev libqt6opengl6-dev)
if [ "${1:-run}" = test ]; then
  packages+=(libgtest-dev libgmock-dev xvfb xauth xdotool x11-utils imagemagick)
  # The Tab-cycle test reads the focused control back through the accessibility bus.
  packages+=(dbus-daemon at-spi2-core python3-pyatspi)
  # The install test's validators and databases.
  packages+=(desktop-file-utils appstream shared-mime-info)
fi
if [ "${1:-run}" = package ]; then
  packages+=(dpkg-dev file)  # dpkg-shlibdeps, and file, which finds the programs it examines
fi
if [ "${1:-run}" = bench ]; then
  # The whole-process benchmark runs the program on Xvfb, sees its window mapped with xev and
  # reads its peak from GNU time.
  packages+=(libbenchmark-dev xvfb xauth xdotool x11-utils time)
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# html-validate (from npm) checks the pages the sample templates make. It is installed only
# where npm already is, and a failure (no network) only means that test is skipped.
if [ "${1:-run}" = test ] && ! command -v html-validate >/dev/null; then
  if command -v npm >/dev/null; then
    echo "Installing html-validate with npm"
    timeout 180 $sudo npm install -g --no-audit --no-fund --loglevel=error html-validate@9.7.1 ||
      echo "Could not install html-validate: the test of the sample pages will be skipped." >&2
  else
    echo "npm is not installed: the test of the sample pages with html-validate will be skipped." >&2
  fi
fi
