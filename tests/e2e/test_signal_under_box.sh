#!/usr/bin/env bash
# A signal ends the program within 2 s whatever box or dialog is open: the files are written
# once more without a box, what cannot be written stays as it was, no temporary file is left,
# and the exit code says whether both files were written. A collection file another program
# replaced is left as it is, with the window's list kept beside it in backups/.
#
# Usage: bash test_signal_under_box.sh <path of the numora program>
set -euo pipefail

source "$(dirname "$0")/lib.sh" "$@"

# A collection file as the program writes it, of name and year pairs: an empty line between
# coins.
collection() {
    printf 'CREATOR=NMR 1.0\r\n'
    while (($# >= 2)); do
        printf '%s\r\n' "NAME=$1" "YEAR=$2" FACEVALUE= COUNTRY= MINTMARKS= CONDITION= PURCHASEPRICE= \
            PURCHASEDATE= CURRENTVALUE= VALUATIONDATE= CATEGORY= IMAGE= DESCRIPTION=
        shift 2
        (($# == 0)) || printf '\r\n'
    done
}
collection Kreuzer 1848 Thaler 1780 >"$work/two.dat"
collection Thaler 1780 >"$work/one.dat"
printf 'Name,Year\r\nDucat,1600\r\n' >"$work/coins.csv"

# A fresh folder holding the two coins.
fresh() {
    pid=
    rm -rf "$run"
    mkdir "$run"
    cp "$work/two.dat" "$run/nmr.dat"
    : >"$work/numora.log"
}

# Sends the signal and waits at most 2 s for the end; sets $rc to the exit code.
signal_and_await_end() {
    local sig=$1 what=$2
    # A process that ended in the meantime is waited for below like one the signal ended.
    kill "-$sig" "$pid" 2>/dev/null || true
    for _ in $(seq 20); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        fail "$what: still running 2 s after SIG$sig"
    fi
    rc=0
    wait "$pid" || rc=$?
    pid=
}

no_leftovers() {
    local what=$1 left
    left=$(find "$run" -name '.*.tmp')
    [[ -z $left ]] || fail "$what: temporary files left: $left"
    [[ ! -e $run/nmr.lock ]] || fail "$what: the lock file was left behind"
}

# Clicks a button of the main window at its place in the template (dialog units).
click_unit() {
    local x=$1 y=$2 w h
    read -r w h < <(xdotool getwindowgeometry --shell "$wid" | sed -n 's/^WIDTH=//p; s/^HEIGHT=//p' | xargs)
    xdotool mousemove --window "$wid" $((w * x / 320)) $((20 + (h - 20) * y / 252)) click 1
}

# Each case: how the box is opened, its title, the signal; the program must end with 0 and
# write both files as they were in the window.
open_preferences() { click_unit 288 113; }
open_wizard() { click_unit 288 92; }
open_summary() { keys ctrl+i; }
open_about() { keys alt+h; sleep 0.3; keys a; }
open_date() { click_unit 256 55; }
open_restore() { keys alt+f; sleep 0.3; keys r; }
open_import() { keys alt+f; sleep 0.3; keys i; }
open_csv_question() {
    open_import
    await_box "$file_dialog_title"
    typed "$work/coins.csv"
    keys Return
}
open_error() { keys ctrl+a; click_unit 288 92; }  # the wizard on an empty list says so

file_dialog_title='Open'
cases=(
    "open_preferences|Preferences|TERM"
    "open_wizard|Value Wizard|INT"
    "open_summary|Collection Summary|HUP"
    "open_about|About Numora|TERM"
    "open_date|Date Selection|TERM"
    "open_restore|Restore Backup|INT"
    "open_import|$file_dialog_title|TERM"
    "open_csv_question|numora|HUP"
)
for entry in "${cases[@]}"; do
    IFS='|' read -r open title sig <<<"$entry"
    fresh
    mkdir "$run/backups"
    cp "$work/one.dat" "$run/backups/nmr-2026-01-01-120000.dat"
    start_numora
    xdotool mousemove --window "$wid" 10 10
    "$open"
    await_box "$title"
    signal_and_await_end "$sig" "$title"
    [[ $rc -eq 0 ]] || fail "$title: ended with code $rc after SIG$sig"
    same_bytes "$work/two.dat" "$run/nmr.dat" "SIG$sig under $title"
    [[ -f $run/nmr.ini ]] || fail "$title: nmr.ini was not written"
    no_leftovers "$title"
done

# The save at quit fails (the file is marked read-only) and its box is up: each signal still
# ends the program, which tries once more, leaves the file as it was and ends with code 1.
for sig in TERM INT HUP; do
    fresh
    start_numora
    typed 'Ducat'
    keys alt+i
    sleep 0.3
    keys a
    sleep 0.3
    chmod 444 "$run/nmr.dat"
    keys Escape
    await_box 'Error Writing File'
    signal_and_await_end "$sig" "the error box at quit"
    [[ $rc -ne 0 ]] || fail "SIG$sig under the error box: ended with code 0 though nothing was saved"
    chmod 644 "$run/nmr.dat"
    same_bytes "$work/two.dat" "$run/nmr.dat" "SIG$sig under the error box"
    grep -q '^TOOLTIPS=' "$run/nmr.ini" || fail "SIG$sig under the error box: nmr.ini not written"
    no_leftovers "SIG$sig under the error box"
done

# Another program replaced the collection with a FIFO while the About box is up: it stays a
# FIFO, nothing waits on it, the list is kept in backups/, and the code is 1.
fresh
start_numora
open_about
await_box 'About Numora'
rm "$run/nmr.dat"
mkfifo "$run/nmr.dat"
signal_and_await_end TERM "a FIFO in place of the collection"
[[ $rc -ne 0 ]] || fail "FIFO: ended with code 0 though nmr.dat was not written"
[[ -p $run/nmr.dat ]] || fail "FIFO: nmr.dat is no longer the FIFO"
kept=$(find "$run/backups" -name 'nmr-*.dat' | head -1)
[[ -n $kept ]] || fail "FIFO: the list was not kept in backups/"
same_bytes "$work/two.dat" "$kept" "the list kept beside a FIFO"
no_leftovers "FIFO"

# Another program wrote the collection, and the question about it is up when the signal
# comes: its file stays, the list goes into backups/, and the code is 1.
fresh
start_numora
printf 'CREATOR=NMR 1.0\r\nNAME=Theirs\r\n' >"$work/theirs.dat"
cp "$work/theirs.dat" "$run/nmr.dat.new" && mv "$run/nmr.dat.new" "$run/nmr.dat"
keys alt+f
sleep 0.3
keys s
await_box numora
signal_and_await_end TERM "the question about a changed file"
[[ $rc -ne 0 ]] || fail "changed file: ended with code 0 though nmr.dat does not hold the list"
same_bytes "$work/theirs.dat" "$run/nmr.dat" "the other program's file"
kept=$(find "$run/backups" -name 'nmr-*.dat' | head -1)
[[ -n $kept ]] || fail "changed file: the list was not kept in backups/"
same_bytes "$work/two.dat" "$kept" "the list kept beside the other program's file"
no_leftovers "changed file"

# Two signals in a row during a long save: it runs once, completes, and the code is 0.
fresh
collection $(for i in $(seq 20000); do echo "Coin-$i 1900"; done) >"$run/nmr.dat"
cp "$run/nmr.dat" "$work/many.dat"
start_numora
kill -TERM "$pid"
sleep 0.05
# The save may be over before the second signal can come; either way it must not run twice.
if kill -0 "$pid" 2>/dev/null; then
    signal_and_await_end TERM "a second signal during the save"
else
    rc=0
    wait "$pid" || rc=$?
    pid=
fi
[[ $rc -eq 0 ]] || fail "two signals: ended with code $rc"
same_bytes "$work/many.dat" "$run/nmr.dat" "two signals"
no_leftovers "two signals"

echo "PASS: test_signal_under_box"
