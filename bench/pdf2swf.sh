#!/usr/bin/env bash
# The page tools on each benchmark document (bench/common.sh: a light, a heavy
# and the benchmark PDF of PAGES pages, 300 unless set, and a real manual; or
# PDF=file alone), against pdftoppm on the same file in the same run:
#   pdf2swf, one process per page as the import runs it (zoom 144, quality 85)
#   getswfSize on one of the results
#   peak memory of one pdf2swf run, and of one on a 16000 x 16000 point page
# Reference: `pdftoppm -jpeg -jpegopt quality=85 -r 144` over the whole file.
# Prints figures only; the exit status says whether the runs worked.
targets=""
source "$(dirname "$0")/common.sh"
lib="$build/resources/lib"

convert() {
  "$lib/pdf2swf" "$pdf" "-o$2" "-p $1-$1" "-s jpegquality=85" -t -G -qq "-s flashversion=8" \
    "-s disablelinks" "-s zoom=144"
}
convert_all() {
  local p
  for ((p = 1; p <= pages; p++)); do
    convert "$p" "$work/swf/$p.swf"
  done
}
peak() { { /usr/bin/time -f '%M' "$lib/pdf2swf" "$pdf" "-o$work/peak.swf" "-p 1-1" \
  "-s jpegquality=85" -t -G -qq "-s flashversion=8" "-s disablelinks" "-s zoom=144"; } 2>&1 |
  tail -1; }

while read -r docname docpath; do
  use "$docname" "$docpath"
  rm -rf "$work/swf" && mkdir -p "$work/swf"
  t_ppm=$(reference)
  t_swf=$(seconds convert_all)
  echo "== $name: $pages pages, $(du -k "$pdf" | cut -f1) KiB"
  echo "pdftoppm (reference): ${t_ppm} s"
  echo "pdf2swf, all pages:   ${t_swf} s  ratio $(ratio "$t_swf" "$t_ppm")" \
    " ($(awk -v t="$t_swf" -v n="$pages" 'BEGIN { printf "%.1f", 1000 * t / n }') ms a page)"
  echo "SWF of page 1:        $("$lib/getswfSize" "$work/swf/1.swf") pixels," \
    "$(du -k "$work/swf/1.swf" | cut -f1) KiB"
  echo "pdf2swf peak memory:  $(($(peak) / 1024)) MB  (target <= 150 MB)"
done < <(documents)

"$build/make-fixture-pdf" huge-size 1 "$work/huge.pdf"
use huge "$work/huge.pdf"
echo "== 16000 x 16000 point page: pdf2swf peak memory $(($(peak) / 1024)) MB  (target <= 150 MB)"
