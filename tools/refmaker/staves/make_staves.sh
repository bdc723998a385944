#!/bin/sh
# Remakes the blank stave pages the reference tool stands its head glyphs on
# (tools/refmaker/README.md): each staves-ly-N.ly engraved by LilyPond and
# each staves-ms-N.musicxml by MuseScore 3 (run headless) at 300 dpi, turned
# into a cropped 1-bit CCITT G4 TIFF beside its source by
# tests/Code/Quorm/fixtures/png_to_g4.py, and the stave lines that script
# measures on the page written to staves.txt: one line a stave,
# "PAGE ROW0 ROW1 ROW2 ROW3 ROW4 LEFT RIGHT" (the five line centres from the
# top, the first and last column of the lines). Needs Debian's lilypond,
# musescore3, imagemagick and python3-pil; the remake of the sets only reads
# the .tif files and staves.txt.
set -e
cd "$(dirname "$0")"
fixtures=../../../tests/Code/Quorm/fixtures
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
: > "$work/staves.txt"
layout() {  # page.tif, then png_to_g4.py's report on stdin
  sed -n 's/^ *staff rows \(.*\), columns \([0-9]*\)\.\.\([0-9]*\)$/\1 \2 \3/p' | while read -r rows; do
    echo "$1 $rows" >> "$work/staves.txt"
  done
}
for source in staves-ly-*.ly; do
  page=${source%.ly}
  lilypond --silent -dno-point-and-click --png -dresolution=300 -o "$work/$page" "$source"
  /usr/bin/python3 "$fixtures/png_to_g4.py" "$work/$page.png" "$page.tif" | layout "$page.tif"
done
for source in staves-ms-*.musicxml; do
  page=${source%.musicxml}
  QT_QPA_PLATFORM=offscreen mscore3 -r 300 -o "$work/$page.png" "$source" 2>/dev/null
  convert "$work/$page-1.png" -background white -alpha remove -alpha off -colorspace Gray "$work/$page-grey.png"
  /usr/bin/python3 "$fixtures/png_to_g4.py" "$work/$page-grey.png" "$page.tif" | layout "$page.tif"
done
{
  echo "# The stave lines of each page (make_staves.sh): PAGE ROW0 ROW1 ROW2 ROW3 ROW4 LEFT RIGHT."
  sort -V "$work/staves.txt"
} > staves.txt
