#!/usr/bin/env bash
# The page tools on one generated text-and-vector PDF (300 pages unless PAGES
# says otherwise), against pdftoppm on the same file in the same run:
#   pdf2swf, one process per page as the import runs it (zoom 144, quality 85)
#   getswfSize on one of the results
#   peak memory of one pdf2swf run
# Reference: `pdftoppm -jpeg -jpegopt quality=85 -r 144` over the whole file.
# Prints figures only; the exit status says whether the runs worked. PDF=file
# times that document instead.
targets=""
source "$(dirname "$0")/common.sh"
lib="$build/resources/lib"

convert_all() {
  local p
  for ((p = 1; p <= pages; p++)); do
    "$lib/pdf2swf" "$pdf" "-o$work/swf/$p.swf" "-p $p-$p" "-s jpegquality=85" -t -G -qq \
      "-s flashversion=8" "-s disablelinks" "-s zoom=144"
  done
}

mkdir -p "$work/swf"
t_ppm=$(reference)
t_swf=$(seconds convert_all)

size=$("$lib/getswfSize" "$work/swf/1.swf")
peak=$( { /usr/bin/time -f '%M' "$lib/pdf2swf" "$pdf" "-o$work/peak.swf" "-p 1-1" \
  "-s jpegquality=85" -t -G -qq "-s flashversion=8" "-s disablelinks" "-s zoom=144"; } 2>&1 | tail -1)

echo "document:             $pages pages, $(du -k "$pdf" | cut -f1) KiB"
echo "pdftoppm (reference): ${t_ppm} s"
echo "pdf2swf, all pages:   ${t_swf} s  ratio $(ratio "$t_swf" "$t_ppm")" \
  " ($(awk -v t="$t_swf" -v n="$pages" 'BEGIN { printf "%.1f", 1000 * t / n }') ms a page)"
echo "SWF of page 1:        $size pixels, $(du -k "$work/swf/1.swf" | cut -f1) KiB"
echo "pdf2swf peak memory:  $((peak / 1024)) MB"
