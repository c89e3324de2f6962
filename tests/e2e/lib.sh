# Shared by the end-to-end tests, which source it with the program's path as argument: runs
# the calling script again on a private Xvfb display, prepares a temporary folder ($work, with
# the program's folder $run inside), and gives the helpers that start the program, send keys,
# wait for boxes and for the end, and compare files byte for byte.
# shellcheck shell=bash
numora=$(realpath "${1:?usage: $0 <path of the numora program>}")
source_dir=$(realpath "${NUMORA_SOURCE_DIR:-$(dirname "$0")/../..}")
if [[ -z ${NUMORA_E2E_ON_XVFB:-} ]]; then
    # A machine without these cannot run the test at all: CTest counts code 77 as skipped.
    for tool in xvfb-run Xvfb xdotool cmp; do
        command -v "$tool" >/dev/null ||
            { echo "SKIP: $tool is not installed (scripts/install-deps.sh test installs it)"; exit 77; }
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

# Starts the program in the run folder, with the given arguments, and waits for its main
# window, which gets the focus.
start_numora() {
    mkdir -p -m 700 "$work/xdg"
    (cd "$run" && XDG_RUNTIME_DIR=$work/xdg exec "$numora" "$@" >>"$work/numora.log" 2>&1) &
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

# Clicks the first row of the list. The window is a menu bar (about 20 px) over a client area
# of 252 dialog units; the list begins 141 units down, and its first row lies below a header
# of about 22 px.
click_first_row() {
    local win_h
    read -r win_h < <(xdotool getwindowgeometry --shell "$wid" | sed -n 's/^HEIGHT=//p')
    xdotool mousemove --window "$wid" 60 $((20 + (win_h - 20) * 141 / 252 + 22 + 8)) click 1
    sleep 0.3
}
