#!/usr/bin/env bash
# Ending the program from outside saves as the close box does: a coin added and then ended with
# SIGTERM is in "nmr.dat". A second start in a folder whose collection is open says so and ends
# without touching either file; once the first window is gone, a start works again, even after
# the first one was killed outright and left its lock behind.
#
# Usage: bash test_end_and_second_window.sh <path of the numora program>
set -euo pipefail

source "$(dirname "$0")/lib.sh" "$@"

coin=(
    'NAME=Kreuzer' 'YEAR=1848' 'FACEVALUE=' 'COUNTRY=' 'MINTMARKS=' 'CONDITION='
    'PURCHASEPRICE=' 'PURCHASEDATE=' 'CURRENTVALUE=' 'VALUATIONDATE=' 'CATEGORY=' 'IMAGE='
    'DESCRIPTION='
)
crlf_lines 'CREATOR=NMR 1.0' "${coin[@]}" >"$work/expected.dat"
crlf_lines 'CREATOR=NMR 1.0' NAME= EMAIL= ADDRESS1= ADDRESS2= CITY= STATE= COUNTRY= CATALOGUE= \
    LIST= REPORT= VALREPORT= TOOLTIPS= '' >"$work/expected.ini"

# A coin added with the Add button, then SIGTERM: both files written, the lock gone.
start_numora
typed 'Kreuzer'
keys Tab
typed '1848'
xdotool mousemove --window "$wid" 10 10  # keep the pointer off the buttons
keys alt+i
sleep 0.3
keys a
sleep 0.3
kill -TERM "$pid"
await_exit "SIGTERM"
same_bytes "$work/expected.dat" "$run/nmr.dat" "SIGTERM after Add"
same_bytes "$work/expected.ini" "$run/nmr.ini" "SIGTERM after Add"
[[ ! -e $run/nmr.lock ]] || fail "the lock file was left behind after SIGTERM"

# A second window on the same folder: its message, then it ends with both files untouched.
start_numora
first_pid=$pid first_wid=$wid
cp -p "$run/nmr.dat" "$work/before.dat"
(cd "$run" && exec "$numora" >>"$work/numora.log" 2>&1) &
second_pid=$!
pid=$second_pid wid=$first_wid
await_box Numora
keys Return
for _ in $(seq 100); do kill -0 "$second_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$second_pid" 2>/dev/null && fail "the second window did not end after its message"
rc=0; wait "$second_pid" || rc=$?
[[ $rc -ne 0 ]] || fail "the second window ended with code 0"
same_bytes "$work/before.dat" "$run/nmr.dat" "second window"
same_bytes "$work/expected.ini" "$run/nmr.ini" "second window"

# The first window killed outright: its lock is stale, and the next start takes it over.
kill -KILL "$first_pid"
wait "$first_pid" 2>/dev/null || true
pid=
start_numora
keys Escape
await_exit "Escape after a killed window"
same_bytes "$work/expected.dat" "$run/nmr.dat" "start after a killed window"

echo "PASS: test_end_and_second_window"
