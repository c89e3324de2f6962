#!/usr/bin/env bash
# The List button turns the collection into "list.htm" from the sample templates: one row per
# coin from the top of the list, the footer row, the user's details in place. The output name is
# kept in "nmr.ini"; answering No to the offer to view the page opens nothing.
#
# Usage: bash test_list_page.sh <path of the numora program>
# Runs the program in a real X window on a private Xvfb display, driven by xdotool.
set -euo pipefail

numora=$(realpath "${1:?usage: $0 <path of the numora program>}")
source_dir=$(realpath "${NUMORA_SOURCE_DIR:-$(dirname "$0")/../..}")
if [[ -z ${NUMORA_E2E_ON_XVFB:-} ]]; then
    for tool in xvfb-run xdotool cmp; do
        command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed" >&2; exit 1; }
    done
    NUMORA_E2E_ON_XVFB=1 NUMORA_SOURCE_DIR=$source_dir \
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

cp "$source_dir"/templates/{ListOutside,ListInside,CatalogueOutside,CatalogueInside}.htm "$run/"

# Three coins; the file holds the bottom row first, so the list shows Ducat, Half Crown, Kreuzer
# from the top. Values with markup characters and non-ASCII letters reach the page as they are.
crlf_lines 'CREATOR=NMR 1.0' \
    'NAME=Kreuzer' 'YEAR=1858' 'FACEVALUE=1 Kreuzer' 'COUNTRY=Österreich' 'MINTMARKS=A' \
    'CONDITION=Fine' 'PURCHASEPRICE=4.00' 'PURCHASEDATE=2019-05-04' 'CURRENTVALUE=' \
    'VALUATIONDATE=' 'CATEGORY=Copper' 'IMAGE=images/kreuzer.png' 'DESCRIPTION=Small copper.' '' \
    'NAME=Half Crown' 'YEAR=1947' 'FACEVALUE=2/6' 'COUNTRY=United Kingdom' 'MINTMARKS=' \
    'CONDITION=Very Fine' 'PURCHASEPRICE=1.50' 'PURCHASEDATE=2020-01-12' 'CURRENTVALUE=2.00' \
    'VALUATIONDATE=2024-03-01' 'CATEGORY=Cupro-nickel & silver' 'IMAGE=' 'DESCRIPTION=' '' \
    'NAME=Ducat' 'YEAR=1915' 'FACEVALUE=1 Ducat' 'COUNTRY=Nederland' 'MINTMARKS=<Utrecht>' \
    'CONDITION=Uncirculated' 'PURCHASEPRICE=€180.00' 'PURCHASEDATE=2021-08-30' \
    'CURRENTVALUE=€210.00' 'VALUATIONDATE=2024-03-01' 'CATEGORY=Gold' 'IMAGE=ducat.png' \
    'DESCRIPTION=Trade coin.' >"$run/nmr.dat"
cp "$run/nmr.dat" "$work/expected.dat"

prefs() {
    crlf_lines 'CREATOR=NMR 1.0' 'NAME=Riverside Coin Club' EMAIL=club@example.org \
        'ADDRESS1=12 Mill Lane' ADDRESS2= CITY=Springfield STATE=IL 'COUNTRY=United States' \
        CATALOGUE= "LIST=$1" REPORT= VALREPORT= TOOLTIPS= ''
}
prefs '' >"$run/nmr.ini"
prefs list.htm >"$work/expected.ini"

# The List button is the 24th control in tab order, 23 Tab presses from the Name field.
start_numora
keys $(printf 'Tab %.0s' $(seq 23))
keys space
await_box numora
keys n
sleep 0.3
focus_main
keys Escape
await_exit "answering No and pressing Escape"

same_bytes "$source_dir/tests/e2e/expected/list.htm" "$run/list.htm" "list page"
same_bytes "$work/expected.ini" "$run/nmr.ini" "preferences after the list page"
same_bytes "$work/expected.dat" "$run/nmr.dat" "collection after the list page"

echo "PASS: test_list_page"
