#!/usr/bin/env bash
# Import speed and memory on each benchmark document (bench/common.sh: a light,
# a heavy and the benchmark PDF of PAGES pages, 300 unless set, and a real
# manual; or PDF=file alone), measured in one run against pdftoppm on the
# same file:
#   image-mode import (all passes, quality level 1)        target <= 0.5 x pdftoppm
#   Flash-mode import (all passes, quality level 1)        target a little below publish
#   peak memory of the import process                      target <= 300 MB
#   peak memory of one pdf2swf                             target <= 150 MB
#   the same two peaks on pages of 16000 x 16000 points (no ratio)
# where pdftoppm is `pdftoppm -jpeg -jpegopt quality=85 -r 144`. For each import
# it prints pages per second and the seconds of each stage (pages, thumbnails,
# mobile images, normal pages, links and bookmarks) of the median round.
# Builds what it needs into build/ (or $ZARVEX_BUILD_DIR). Prints figures only;
# the exit status says whether the runs worked, not whether the targets were
# met. ROUNDS (default 3) sets how many times everything is timed.
targets="zarvex-bench-import"
source "$(dirname "$0")/common.sh"

# import flash|image: runs one import, prints "seconds peak-KiB child-peak-KiB
# pages thumbnails mobile normal links" (the last five in seconds, 0 when the
# import did not report its stages).
import() {
  local out
  out=$("$build/zarvex-bench-import" "$pdf" "$1")
  awk '$1 == "import-seconds" { s = $2 } $1 == "peak-rss-kib" { m = $2 }
       $1 == "child-peak-rss-kib" { c = $2 } $1 ~ /^stage-/ { t[$1] = $2 }
       END { print s, m, c, t["stage-pages"] + 0, t["stage-thumbnails"] + 0,
             t["stage-mobile"] + 0, t["stage-normal"] + 0, t["stage-links-bookmarks"] + 0 }' <<<"$out"
}

# stages TOTAL FIRST: pages per second from column TOTAL and the five stage
# columns from FIRST on, of the round whose column TOTAL is the median.
stages() {
  local total=$1 first=$2
  sort -g -k"$total","$total" "$work/rounds" |
    awk -v n="$(wc -l <"$work/rounds")" -v f="$first" -v p="$pages" -v t="$total" '
      NR == int((n + 1) / 2) {
        printf "%.1f pages/s; pages %.2f s, thumbnails %.2f s, mobile images %.2f s, " \
               "normal pages %.2f s, links and bookmarks %.2f s\n",
               p / $t, $f, $(f + 1), $(f + 2), $(f + 3), $(f + 4) }'
}

while read -r docname docpath; do
  use "$docname" "$docpath"
  # A shared machine's speed drifts: each round times the reference and both
  # imports back to back, and the figures printed are the rounds' medians.
  : >"$work/rounds"
  for ((r = 1; r <= rounds; r++)); do
    t_ppm=$(reference)
    read -r t_image m_image _ s_image < <(import image)
    read -r t_flash m_flash c_flash s_flash < <(import flash)
    echo "$t_ppm $t_image $t_flash $m_image $m_flash $c_flash $s_image $s_flash" >>"$work/rounds"
    echo "$name round $r: pdftoppm ${t_ppm} s, image ${t_image} s" \
      "($(ratio "$t_image" "$t_ppm")x), Flash ${t_flash} s ($(ratio "$t_flash" "$t_ppm")x)"
  done
  echo "== $name: $pages pages, $(du -k "$pdf" | cut -f1) KiB, median of $rounds rounds"
  echo "pdftoppm (reference):  $(column 1) s"
  echo "import, image pages:   $(column 2) s  ratio $(ratio "$(ratios 2)" 1)  (target <= 0.50)" \
    " peak $(($(maximum 4) / 1024)) MB"
  echo "  $(stages 2 7)"
  echo "import, Flash pages:   $(column 3) s  ratio $(ratio "$(ratios 3)" 1)" \
    " (target: a little below publish)" \
    " peak $(($(maximum 5) / 1024)) MB, pdf2swf peak $(($(maximum 6) / 1024)) MB" \
    " (targets 300 MB, 150 MB)"
  echo "  $(stages 3 12)"
done < <(documents)

# Memory on pages far beyond the pixel cap (16000 x 16000 points), which are
# drawn at 8192 x 8192 pixels: no pdftoppm run, only the peaks.
if [[ -z ${PDF:-} ]]; then
  "$build/make-fixture-pdf" huge-size 3 "$work/huge.pdf"
  use huge "$work/huge.pdf"
  read -r t_image m_image _ _ < <(import image)
  read -r t_flash m_flash c_flash _ < <(import flash)
  echo "== huge: 3 pages of 16000 x 16000 points"
  echo "import, image pages:   ${t_image} s  peak $((m_image / 1024)) MB  (target <= 300 MB)"
  echo "import, Flash pages:   ${t_flash} s  peak $((m_flash / 1024)) MB," \
    " pdf2swf peak $((c_flash / 1024)) MB  (targets 300 MB, 150 MB)"
fi
