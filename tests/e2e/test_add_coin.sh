#!/usr/bin/env bash
# A coin typed into the form and added through the Item menu reaches "nmr.dat" when the window
# is left with Enter, is loaded again at the next start, and can be picked from the list with
# the mouse.
#
# Usage: bash test_add_coin.sh <path of the numora program>
# Runs the program in a real X window on a private Xvfb display, driven by xdotool.
set -euo pipefail

numora=$(realpath "${1:?usage: $0 <path of the numora program>}")
if [[ -z ${NUMORA_E2E_ON_XVFB:-} ]]; then
    for tool in xvfb-run xdotool cmp; do
        command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed" >&2; exit 1; }
    done
    NUMORA_E2E_ON_XVFB=1 \
        exec xvfb-run -a -s '-screen 0 1280x800x24' bash "$0" "$numora"
fi

work=$(mktemp -d)     # expected files; the program runs in $run
run=$work/run
mkdir "$run"
pid=
wid=
cleanup() {
    if [[ -n $pid ]] && kill -0 "$pid" 2>/dev/null; then kill "$pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    echo "--- windows on the screen:" >&2
    for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
        echo "  $w '$(xdotool getwindowname "$w" 2>/dev/null)'" >&2
    done
    [[ -s $work/numora.log ]] && { echo "--- program output:" >&2; cat "$work/numora.log" >&2; }
    exit 1
}

# Starts the program in the run folder and waits for its main window, which gets the focus.
start_numora() {
    mkdir -p -m 700 "$work/xdg"
    (cd "$run" && XDG_RUNTIME_DIR=$work/xdg exec "$numora" >>"$work/numora.log" 2>&1) &
    pid=$!
    wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Numora$' 2>/dev/null) ||
        fail "the main window did not appear within 20 s"
    wid=${wid%%$'\n'*}
    focus_main
}

focus_main() {
    timeout 10 xdotool windowfocus --sync "$wid" || fail "could not give the main window the focus"
    sleep 0.2
}

keys() { xdotool key --clearmodifiers --delay 40 "$@"; }

typed() { xdotool type --clearmodifiers --delay 20 -- "$1"; }

# Waits for a window other than the main window with exactly the given title and focuses it.
await_box() {
    local title=$1 w
    for _ in $(seq 100); do
        for w in $(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null); do
            if [[ $w != "$wid" && $(xdotool getwindowname "$w" 2>/dev/null) == "$title" ]]; then
                timeout 10 xdotool windowfocus --sync "$w" ||
                    fail "could not give the '$title' box the focus"
                sleep 0.2
                return
            fi
        done
        sleep 0.1
    done
    fail "no '$title' box appeared within 10 s"
}

# Waits for the program to end by itself; it must end with code 0.
await_exit() {
    local what=$1
    for _ in $(seq 150); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "the program was still running 15 s after $what"
    local rc=0
    wait "$pid" || rc=$?
    pid=
    [[ $rc -eq 0 ]] || fail "the program ended with code $rc after $what"
}

# Each argument is one line of the file, ended by CR LF.
crlf_lines() { printf '%s\r\n' "$@"; }

same_bytes() {
    local expected=$1 actual=$2 what=$3
    [[ -f $actual ]] || fail "$what: $(basename "$actual") was not written"
    if ! cmp -s "$expected" "$actual"; then
        echo "--- $what: expected (<) and written (>) bytes, CR shown as ^M:" >&2
        diff <(cat -A "$expected") <(cat -A "$actual") >&2 || true
        fail "$what: $(basename "$actual") differs"
    fi
}

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
read -r win_h < <(xdotool getwindowgeometry --shell "$wid" | sed -n 's/^HEIGHT=//p')
# The window is a menu bar (about 20 px) over a client area of 252 dialog units; the list
# begins 141 units down, and its first row lies below a header of about 22 px.
row_y=$((20 + (win_h - 20) * 141 / 252 + 22 + 8))
xdotool mousemove --window "$wid" 60 "$row_y" click 1
sleep 0.3
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
