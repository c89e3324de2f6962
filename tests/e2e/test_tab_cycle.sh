#!/usr/bin/env bash
# The main window's Tab cycle is its template's controls in the template's order and nothing
# else: Tab from the Name field visits every control once and comes back to Name, Shift+Tab goes
# the same way round, and the search field of the menu bar is never a stop. The focused control
# is read back after every key through the accessibility bus (focus_walk.py), not counted.
#
# Usage: bash test_tab_cycle.sh <path of the numora program>
# Runs the program in a real X window on a private Xvfb display with its own session bus.
set -euo pipefail

if [[ -z ${NUMORA_E2E_ON_BUS:-} ]]; then
    command -v dbus-run-session >/dev/null ||
        { echo "SKIP: dbus-run-session is not installed (scripts/install-deps.sh test installs it)"; exit 77; }
    /usr/bin/python3 -c 'import pyatspi' 2>/dev/null ||
        { echo "SKIP: python3-pyatspi is not installed (scripts/install-deps.sh test installs it)"; exit 77; }
    NUMORA_E2E_ON_BUS=1 exec dbus-run-session -- bash "$0" "$@" 2> >(grep -v '^dbus-daemon' >&2)
fi

source "$(dirname "$0")/lib.sh" "$@"

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
start_numora
/usr/bin/python3 "$(dirname "$0")/focus_walk.py" "$(basename "$numora")" ||
    fail "the Tab cycle is not the template's"
focus_main
keys Escape
await_exit "Escape"

echo "PASS: test_tab_cycle"
