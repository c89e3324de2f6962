#!/usr/bin/env bash
# Makes the README's picture of the main window: the demo collection, its top row clicked so
# that the form shows that coin.
#
# Usage: bash make_screenshot.sh <path of the numora program> [output png]
# The output defaults to docs/screenshot-main.png in the source tree.
set -euo pipefail

numora=$(realpath "${1:?usage: $0 <path of the numora program> [output png]}")
source_dir=$(realpath "${NUMORA_SOURCE_DIR:-$(dirname "$0")/../..}")
output=$(realpath -m "${2:-$source_dir/docs/screenshot-main.png}")
if [[ -z ${NUMORA_E2E_ON_XVFB:-} ]]; then
    for tool in xvfb-run xdotool import; do
        command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed" >&2; exit 1; }
    done
    NUMORA_E2E_ON_XVFB=1 NUMORA_SOURCE_DIR=$source_dir \
        exec xvfb-run -a -s '-screen 0 1280x800x24' bash "$0" "$numora" "$output"
fi

work=$(mktemp -d)
pid=
cleanup() {
    if [[ -n $pid ]] && kill -0 "$pid" 2>/dev/null; then kill "$pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/run" -m 700 "$work/xdg"
cp "$source_dir/demo/nmr.dat" "$work/run/"
cp -r "$source_dir/demo/images" "$work/run/"
cp "$source_dir"/templates/*.htm "$work/run/"

(cd "$work/run" && XDG_RUNTIME_DIR=$work/xdg exec "$numora" >"$work/numora.log" 2>&1) &
pid=$!
wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Numora$' 2>/dev/null) ||
    { echo "FAIL: the main window did not appear" >&2; exit 1; }
wid=${wid%%$'\n'*}
timeout 10 xdotool windowfocus --sync "$wid"
sleep 0.3

# The list begins 141 of the client area's 252 dialog units down, below a menu bar of about
# 20 px; its first row lies below a header of about 22 px.
win_h=$(xdotool getwindowgeometry --shell "$wid" | sed -n 's/^HEIGHT=//p')
xdotool mousemove --window "$wid" 60 $((20 + (win_h - 20) * 141 / 252 + 30)) click 1
# The pointer leaves the window so that nothing is drawn as hovered.
xdotool mousemove 1270 790
sleep 0.8

mkdir -p "$(dirname "$output")"
import -window "$wid" "png:$output"
xdotool key Escape
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
echo "wrote $output"
