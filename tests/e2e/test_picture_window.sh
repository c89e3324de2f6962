#!/usr/bin/env bash
# The picture window follows the form in a real X window: a coin found with Find shows its
# picture, a coin whose file is missing shows the line that says so, and a picture of 100
# megapixels is decoded while the main window goes on painting. The main window is asked to
# repaint every 10 ms (NUMORA_PAINT_GAP_LOG logs its long gaps); the longest gap between two
# of its paints while the huge picture loads is printed, and must be well below the time the
# load took, as it would not be if the decoding held the window's thread.
#
# Usage: bash test_picture_window.sh <path of the numora program>
set -euo pipefail

source "$(dirname "$0")/lib.sh" "$@"
for tool in import convert python3; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

here=$(dirname "$0")
python3 "$here/make_png.py" "$run/red.png" 300 200 ff0000
python3 "$here/make_png.py" "$run/huge.png" 10000 10000 3050c0
coin() {  # name, image
    printf '%s\r\n' "NAME=$1" 'YEAR=' 'FACEVALUE=' 'COUNTRY=' 'MINTMARKS=' 'CONDITION=' \
        'PURCHASEPRICE=' 'PURCHASEDATE=' 'CURRENTVALUE=' 'VALUATIONDATE=' 'CATEGORY=' \
        "IMAGE=$2" 'DESCRIPTION=' ''
}
{ printf 'CREATOR=NMR 1.0\r\n'; coin Huge huge.png; coin Lost missing.jpg; coin Red red.png; } >"$run/nmr.dat"

export NUMORA_PAINT_GAP_LOG=$work/gaps.txt XDG_CONFIG_HOME=$work/config
start_numora

find_coin() {
    keys ctrl+f ctrl+a
    typed "$1"
    keys Return
    sleep 0.2
}

# Waits for the picture window to have the given title; prints its window id.
await_picture() {
    local title=$1 w
    for _ in $(seq 200); do
        for w in $(xdotool search --onlyvisible --name '^Picture' 2>/dev/null); do
            [[ $(xdotool getwindowname "$w" 2>/dev/null) == "$title" ]] && { echo "$w"; return; }
        done
        sleep 0.05
    done
    fail "the picture window did not show '$title' within 10 s"
}

# The share of the picture window's pixels that are near the colour given (as ImageMagick
# names it), in per cent.
share_of() {
    import -window "$1" "$work/shot.png"
    convert "$work/shot.png" -fuzz 10% -fill black +opaque "$2" -fill white -opaque "$2" \
        -format '%[fx:int(100*mean)]' info:
}

find_coin Red
keys ctrl+p
pwid=$(await_picture 'Picture - red.png')
red=$(share_of "$pwid" red)
(( red >= 10 )) || fail "the picture of Red covers $red% of the window"

find_coin Lost
pwid=$(await_picture 'Picture - missing.jpg')
red=$(share_of "$pwid" red)
(( red == 0 )) || fail "the missing file still shows a picture ($red% red)"

# The longest gap between two paints that ended while the huge picture was loading (gaps of
# less than 30 ms are not logged). Screenshots are taken only before and after: taking one
# holds every window of the display.
longest_gap() {  # from, to (ms since 1970)
    awk -v from="$1" -v to="$2" -F'[= ]' \
        '$1 == "gap_ms" && $4 >= from && $4 <= to + 50 && $2 > max { max = $2 } END { print max + 0 }' \
        "$work/gaps.txt"
}
# For comparison, the same while nothing loads: Find on a coin without a picture file.
sleep 0.5
start=$(date +%s%3N)
find_coin Lost
sleep 1.2
idle_gap=$(longest_gap "$start" "$(date +%s%3N)")
start=$(date +%s%3N)
find_coin Huge
pwid=$(await_picture 'Picture - huge.png')
end=$(date +%s%3N)
sleep 0.2
gap=$(longest_gap "$start" "$end")
loaded_ms=$((end - start))
blue=$(share_of "$pwid" '#3050c0')
(( blue >= 10 )) || fail "the huge picture covers $blue% of the window"
echo "huge picture (10000 x 10000) shown after ${loaded_ms} ms; longest gap between two paints" \
     "of the main window meanwhile: ${gap} ms; with nothing loading: ${idle_gap} ms" \
     "(0: none of 30 ms or more)"
(( gap * 2 < loaded_ms )) ||
    fail "the main window stopped painting for $gap ms of the $loaded_ms ms the load took"

focus_main
keys Escape  # from the search field to the list
sleep 0.2
keys Escape
await_exit "Escape"
[[ -s $work/config/numora/picture-window.ini ]] || fail "the picture window's place was not kept"
echo "PASS: test_picture_window"
