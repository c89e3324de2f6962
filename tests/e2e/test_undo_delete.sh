#!/usr/bin/env bash
# A slip undone: a coin added, picked in the list and deleted comes back with Ctrl+Z pressed in
# the list, and is in "nmr.dat" after Escape.
#
# Usage: bash test_undo_delete.sh <path of the numora program>
# Runs the program in a real X window on a private Xvfb display, driven by xdotool.
set -euo pipefail

source "$(dirname "$0")/lib.sh" "$@"

coin=(
    'NAME=Ducat' 'YEAR=1750' 'FACEVALUE=' 'COUNTRY=' 'MINTMARKS=' 'CONDITION='
    'PURCHASEPRICE=' 'PURCHASEDATE=' 'CURRENTVALUE=' 'VALUATIONDATE=' 'CATEGORY=' 'IMAGE='
    'DESCRIPTION='
)
crlf_lines 'CREATOR=NMR 1.0' "${coin[@]}" >"$work/expected.dat"

start_numora
typed 'Ducat'
keys Tab
typed '1750'
keys alt+i
sleep 0.3
keys a
sleep 0.3

click_first_row
keys alt+i
sleep 0.3
keys d
sleep 0.3
focus_main
keys ctrl+z
sleep 0.3
keys Escape
await_exit "Ctrl+Z in the list and Escape"
same_bytes "$work/expected.dat" "$run/nmr.dat" "a deleted coin brought back with Ctrl+Z"

echo "PASS: test_undo_delete"
