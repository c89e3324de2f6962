#!/usr/bin/env bash
# The Tooltips check box starts as "nmr.ini" left it and its toggling from the keyboard is saved:
# a file with TOOLTIPS=yes starts the box checked, so Space clears it and TOOLTIPS=no is written;
# that file starts it clear, so Space checks it again.
#
# Usage: bash test_tooltips_switch.sh <path of the numora program>
# Runs the program in a real X window on a private Xvfb display, driven by xdotool.
set -euo pipefail

source "$(dirname "$0")/lib.sh" "$@"

# The Tooltips box is the 29th control in tab order, 28 Tab presses from the Name field, which
# has the focus at start-up.
to_tooltips_box() { keys $(printf 'Tab %.0s' $(seq 28)); }

prefs() {
    crlf_lines 'CREATOR=NMR 1.0' 'NAME=Riverside Coin Club' EMAIL= 'ADDRESS1=12 Mill Lane' \
        ADDRESS2= CITY=Springfield STATE= 'COUNTRY=United States' CATALOGUE= LIST=list.htm \
        REPORT=report.htm VALREPORT= "TOOLTIPS=$1" ''
}
prefs yes >"$run/nmr.ini"
prefs no >"$work/expected-no.ini"
prefs yes >"$work/expected-yes.ini"

# Space on the box, then Enter, which on a check box is the Quit button's.
toggle_box_and_quit() {
    start_numora
    to_tooltips_box
    keys space
    sleep 0.2
    keys Return
    await_exit "Space and Enter on the Tooltips box"
}

toggle_box_and_quit
same_bytes "$work/expected-no.ini" "$run/nmr.ini" "box cleared"
[[ -f $run/nmr.dat && ! -s $run/nmr.dat ]] ||
    fail "an empty collection must be saved as an empty nmr.dat"

toggle_box_and_quit
same_bytes "$work/expected-yes.ini" "$run/nmr.ini" "box checked again"

echo "PASS: test_tooltips_switch"
