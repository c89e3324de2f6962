#!/usr/bin/env bash
# A collection large enough that it is still being read when the window starts measuring its
# coins: the program reads it on a thread of its own from its first moments, the window's part
# follows that reading on another thread, and the window waits for both. The window must appear
# and, ended with Enter in the Name field, write back the very bytes it read.
#
# Usage: bash test_large_collection.sh <path of the numora program>
set -euo pipefail

source "$(dirname "$0")/lib.sh" "$@"

# 300,000 coins, about 60 MB, with texts beyond ASCII in some of them.
awk 'BEGIN {
    printf "CREATOR=NMR 1.0\r\n"
    split("Österreich|Canada|Ελλάδα|France|Россия|Italia", country, "|")
    split("Good|Fine|Very Fine|Mint", condition, "|")
    for (i = 1; i <= 300000; i++) {
        if (i > 1)
            printf "\r\n"  # records stand apart by an empty line
        printf "NAME=Coin %d\r\nYEAR=%d\r\nFACEVALUE=%d Kreuzer\r\nCOUNTRY=%s\r\n", i, 1700 + i % 325, i % 20, country[i % 6 + 1]
        printf "MINTMARKS=%s\r\nCONDITION=%s\r\nPURCHASEPRICE=€%d.%02d\r\nPURCHASEDATE=19%02d-0%d-1%d\r\n", (i % 3 ? "A" : ""), condition[i % 4 + 1], i % 997, i % 100, i % 100, i % 9 + 1, i % 10
        printf "CURRENTVALUE=$%d.50\r\nVALUATIONDATE=2020-01-0%d\r\nCATEGORY=Silver\r\nIMAGE=\r\n", i % 1999, i % 9 + 1
        printf "DESCRIPTION=Bought at the fair in the year %d, light wear on the high points.\r\n", 1900 + i % 120
    }
}' >"$work/expected.dat"
cp "$work/expected.dat" "$run/nmr.dat"

start_numora
keys Return
await_exit "Enter after the start on a large collection"
same_bytes "$work/expected.dat" "$run/nmr.dat" "the large collection saved"
echo "PASS: test_large_collection"
