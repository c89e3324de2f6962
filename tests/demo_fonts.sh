#!/usr/bin/env bash
# Every character of the demo collection has a glyph in an installed font, so that the window
# shows the demo without empty boxes on a machine set up by scripts/install-deps.sh. Skipped
# (code 77) where fontconfig's fc-list is missing.
# Usage: bash demo_fonts.sh <path of nmr.dat>
set -euo pipefail
file=${1:?usage: $0 <path of nmr.dat>}
command -v fc-list >/dev/null || { echo "SKIP: fc-list (fontconfig) is not installed"; exit 77; }
export LC_ALL=C.UTF-8

missing=()
checked=0
while IFS= read -r c; do
    code=$(printf '%04x' "'$c")
    [ $((16#$code)) -ge 128 ] || continue
    checked=$((checked + 1))
    [ -n "$(fc-list ":charset=$code" family)" ] || missing+=("$c U+$code")
done < <(grep -o '[^ -~]' "$file" | sort -u)

[ "$checked" -gt 0 ] || { echo "FAIL: no character beyond ASCII found in $file"; exit 1; }
if [ ${#missing[@]} -gt 0 ]; then
    echo "FAIL: no installed font has: ${missing[*]}"
    exit 1
fi
echo "PASS: $checked characters beyond ASCII, each in an installed font"
