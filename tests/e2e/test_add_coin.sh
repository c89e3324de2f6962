#!/usr/bin/env bash
# A coin typed into the form and added through the Item menu reaches "nmr.dat" when the window
# is left with Enter, is loaded again at the next start, and can be picked from the list with
# the mouse.
#
# Usage: bash test_add_coin.sh <path of the numora program>
# Runs the program in a real X window on a private Xvfb display, driven by xdotool.
set -euo pipefail

source "$(dirname "$0")/lib.sh" "$@"

# The record as the program writes it: the typed fields, the others empty.
coin=(
    'NAME=Sovereign' 'YEAR=1911' 'FACEVALUE=1 Pound' 'COUNTRY=' 'MINTMARKS=' 'CONDITION='
    'PURCHASEPRICE=' 'PURCHASEDATE=' 'CURRENTVALUE=' 'VALUATIONDATE=' 'CATEGORY=' 'IMAGE='
    'DESCRIPTION='
)
crlf_lines 'CREATOR=NMR 1.0' "${coin[@]}" >"$work/expected-one.dat"
crlf_lines 'CREATOR=NMR 1.0' "${coin[@]}" '' "${coin[@]}" >"$work/expected-two.dat"
crlf_lines 'CREATOR=NMR 1.0' NAME= EMAIL= ADDRESS1= ADDRESS2= CITY= STATE= COUNTRY= CATALOGUE= \
    LIST= REPORT= VALREPORT= TOOLTIPS= '' >"$work/expected.ini"

# First run, in an empty folder: Name, Year and Face Value, then Item > Add, then Enter in the
# Face Value field, which is the Quit button's.
start_numora
typed 'Sovereign'
keys Tab
typed '1911'
keys Tab
typed '1 Pound'
keys alt+i
sleep 0.3
keys a
sleep 0.3
keys Return
await_exit "Enter in the Face Value field"
same_bytes "$work/expected-one.dat" "$run/nmr.dat" "first run"
same_bytes "$work/expected.ini" "$run/nmr.ini" "first run"

# Second run: leaving at once with Escape writes both files, the coin as it was loaded. The
# data file is given LF line ends and the preferences file is removed, so only files written
# by this run can pass.
tr -d '\r' <"$work/expected-one.dat" >"$run/nmr.dat"
rm "$run/nmr.ini"
start_numora
keys Escape
await_exit "Escape"
same_bytes "$work/expected-one.dat" "$run/nmr.dat" "second run (Escape at once)"
same_bytes "$work/expected.ini" "$run/nmr.ini" "second run (Escape at once)"

# Third run: a click on the first row puts the coin into the form; Item > Add then finds the
# same Name and Year in the list and asks; Yes adds a second row.
start_numora
click_first_row
keys alt+i
sleep 0.3
keys a
await_box numora
keys y
sleep 0.3
focus_main
keys Escape
await_exit "answering Yes and pressing Escape"
same_bytes "$work/expected-two.dat" "$run/nmr.dat" "third run (row clicked, added again)"

echo "PASS: test_add_coin"
