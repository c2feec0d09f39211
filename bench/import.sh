#!/usr/bin/env bash
# Import speed and memory on one generated text-and-vector PDF (300 pages unless
# PAGES says otherwise), measured in one run against pdftoppm on the same file:
#   image-mode import (all four passes, quality level 1)  target <= 0.6 x pdftoppm
#   Flash-mode import (all four passes, quality level 1)  target <= 0.9 x pdftoppm
#   peak memory of the import process                      target <  300 MB
# where pdftoppm is `pdftoppm -jpeg -jpegopt quality=85 -r 144`. Builds what it
# needs into build/ (or $ZARVEX_BUILD_DIR). Prints figures only; the exit status
# says whether the runs worked, not whether the targets were met. ROUNDS (default
# 3) sets how many times everything is timed; PDF=file times that document instead.
targets="zarvex-bench-import"
source "$(dirname "$0")/common.sh"

# import flash|image: runs one import, prints "seconds peak-KiB child-peak-KiB".
import() {
  local out
  out=$("$build/zarvex-bench-import" "$pdf" "$1")
  awk '$1 == "import-seconds" { s = $2 } $1 == "peak-rss-kib" { m = $2 }
       $1 == "child-peak-rss-kib" { c = $2 } END { print s, m, c }' <<<"$out"
}

# A shared machine's speed drifts: each round times the reference and both
# imports back to back, and the figures printed are the rounds' medians.
: >"$work/rounds"
for ((r = 1; r <= rounds; r++)); do
  t_ppm=$(reference)
  read -r t_image m_image _ < <(import image)
  read -r t_flash m_flash c_flash < <(import flash)
  echo "$t_ppm $t_image $t_flash $m_image $m_flash $c_flash" >>"$work/rounds"
  echo "round $r: pdftoppm ${t_ppm} s, image ${t_image} s ($(ratio "$t_image" "$t_ppm")x)," \
    "Flash ${t_flash} s ($(ratio "$t_flash" "$t_ppm")x)"
done
m_image=$(awk '$4 > m { m = $4 } END { print m }' "$work/rounds")
m_flash=$(awk '$5 > m { m = $5 } END { print m }' "$work/rounds")
c_flash=$(awk '$6 > m { m = $6 } END { print m }' "$work/rounds")

echo "document:              $pages pages, $(du -k "$pdf" | cut -f1) KiB, median of $rounds rounds"
echo "pdftoppm (reference):  $(column 1) s"
echo "import, image pages:   $(column 2) s  ratio $(ratio "$(ratios 2)" 1)  (target <= 0.60)" \
  " peak $((m_image / 1024)) MB"
echo "import, Flash pages:   $(column 3) s  ratio $(ratio "$(ratios 3)" 1)  (target <= 0.90)" \
  " peak $((m_flash / 1024)) MB, pdf2swf peak $((c_flash / 1024)) MB  (target < 300 MB)"
