#!/usr/bin/env bash
# The List button turns the collection into "list.htm" from the sample templates: one row per
# coin from the top of the list, the footer row, the user's details in place. The output name is
# kept in "nmr.ini"; answering No to the offer to view the page opens nothing.
#
# Usage: bash test_list_page.sh <path of the numora program>
# Runs the program in a real X window on a private Xvfb display, driven by xdotool.
set -euo pipefail

source "$(dirname "$0")/lib.sh" "$@"

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
