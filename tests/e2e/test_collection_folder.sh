#!/usr/bin/env bash
# The collection folder on the command line: --help and a wrong option touch no file; a FOLDER
# and an "nmr.dat" FILE make Numora load and save the collection there, not in the folder it
# was started in; --default-collection makes ~/Documents/Numora on the first start and gives
# it the sample templates, or says in a box why it cannot.
#
# Usage: bash test_collection_folder.sh <path of the numora program>
# Runs the program in a real X window on a private Xvfb display, driven by xdotool.
set -euo pipefail

source "$(dirname "$0")/lib.sh" "$@"

export HOME=$work/home XDG_CONFIG_HOME=
mkdir "$HOME"
nothing_written() {
    local written
    written=$(find "$run" "$HOME" -mindepth 1)
    [[ -z $written ]] || fail "$1 wrote: $written"
}

(cd "$run" && "$numora" --help >"$work/help.txt") || fail "--help ended with an error"
grep -q '^Usage: numora ' "$work/help.txt" || fail "--help printed: $(cat "$work/help.txt")"
nothing_written "--help"
rc=0
(cd "$run" && "$numora" --default-collection --no-such-option 2>"$work/wrong.txt") || rc=$?
[[ $rc -eq 2 ]] && grep -q -- '--no-such-option' "$work/wrong.txt" ||
    fail "a wrong option ended with $rc: $(cat "$work/wrong.txt")"
nothing_written "a wrong option"

# A collection with LF line ends and no preferences: only a load and save there give CR LF
# and an "nmr.ini" beside it.
coins=$work/my\ coins
mkdir "$coins"
crlf_lines 'CREATOR=NMR 1.0' NAME=Ducat YEAR=1724 FACEVALUE= COUNTRY=Venice MINTMARKS= \
    CONDITION= PURCHASEPRICE= PURCHASEDATE= CURRENTVALUE= VALUATIONDATE= CATEGORY= IMAGE= \
    DESCRIPTION= >"$work/expected.dat"
for target in "$coins" "$coins/nmr.dat"; do
    tr -d '\r' <"$work/expected.dat" >"$coins/nmr.dat"
    rm -f "$coins/nmr.ini"
    start_numora "$target"
    keys Escape
    await_exit "Escape in $target"
    same_bytes "$work/expected.dat" "$coins/nmr.dat" "started with $target"
    [[ -f $coins/nmr.ini ]] || fail "started with $target: no nmr.ini in the collection folder"
    nothing_written "started with $target"
done

start_numora --default-collection
keys Escape
await_exit "Escape in the default collection"
collection=$HOME/Documents/Numora
for f in "$source_dir"/templates/*; do
    same_bytes "$f" "$collection/$(basename "$f")" "the new default collection"
done
[[ -f $collection/nmr.dat && -f $collection/nmr.ini ]] ||
    fail "the default collection has no nmr.dat and nmr.ini"
[[ -z $(ls -A "$run") ]] || fail "the default collection wrote into the folder started in"

# From the menu nobody reads the terminal: a collection folder that cannot be made is also
# said in a box, and nothing is written.
mkdir "$work/home2"
echo 'not a folder' >"$work/home2/Documents"
(cd "$run" && HOME=$work/home2 XDG_RUNTIME_DIR=$work/xdg exec "$numora" --default-collection \
    >>"$work/numora.log" 2>&1) &
pid=$!
wid=
await_box Numora
keys Return
rc=0
wait "$pid" || rc=$?
pid=
[[ $rc -eq 1 ]] || fail "a collection folder that cannot be made ended with $rc"
[[ $(ls -A "$work/home2") == Documents && -f $work/home2/Documents ]] ||
    fail "a collection folder that cannot be made left: $(ls -A "$work/home2")"

echo "PASS: test_collection_folder"
