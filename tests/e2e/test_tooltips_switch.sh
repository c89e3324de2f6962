#!/usr/bin/env bash
# The Tooltips check box starts as "nmr.ini" left it and its toggling from the keyboard is saved:
# a file with TOOLTIPS=yes starts the box checked, so Space clears it and TOOLTIPS=no is written;
# that file starts it clear, so Space checks it again.
#
# Usage: bash test_tooltips_switch.sh <path of the numora program>
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
start_numora
to_tooltips_box
keys space
sleep 0.2
keys Return
await_exit "Space and Enter on the Tooltips box"
same_bytes "$work/expected-no.ini" "$run/nmr.ini" "box cleared"
[[ -f $run/nmr.dat && ! -s $run/nmr.dat ]] ||
    fail "an empty collection must be saved as an empty nmr.dat"

start_numora
to_tooltips_box
keys space
sleep 0.2
keys Return
await_exit "Space and Enter on the Tooltips box"
same_bytes "$work/expected-yes.ini" "$run/nmr.ini" "box checked again"

echo "PASS: test_tooltips_switch"
