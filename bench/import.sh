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
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${ZARVEX_BUILD_DIR:-$here/build}
pages=${PAGES:-300}

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target test_import make-fixture-pdf pdf2swf getswfSize >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/zarvex-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config"
export XDG_CACHE_HOME="$work/home/cache" ZARVEX_FLASH_TRUST_DIR="$work/home/trust"
export ZARVEX_RESOURCES="$build/resources"
mkdir -p "$HOME"

# PDF=file measures that document instead of the generated one.
if [[ -n ${PDF:-} ]]; then
  pdf=$(realpath "$PDF")
  pages=$(pdfinfo "$pdf" | awk '$1 == "Pages:" { print $2 }')
else
  pdf="$work/bench.pdf"
  "$build/make-fixture-pdf" benchmark "$pages" "$pdf"
fi

now() { date +%s.%N; }
seconds() {
  local start end
  start=$(now)
  "$@" >/dev/null
  end=$(now)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# import MODE: runs one import, prints "seconds peak-KiB child-peak-KiB".
import() {
  local out
  out=$(ZARVEX_BENCH_PDF="$pdf" ZARVEX_BENCH_MODE="$1" "$build/test_import" \
    --gtest_also_run_disabled_tests --gtest_filter=ImportBenchmark.DISABLED_WholeImport)
  awk '$1 == "import-seconds" { s = $2 } $1 == "peak-rss-kib" { m = $2 }
       $1 == "child-peak-rss-kib" { c = $2 } END { print s, m, c }' <<<"$out"
}

# A shared machine's speed drifts: each round times the reference and both
# imports back to back, and the figures printed are the rounds' medians.
rounds=${ROUNDS:-3}
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
: >"$work/rounds"
for ((r = 1; r <= rounds; r++)); do
  rm -rf "$work/ppm" && mkdir -p "$work/ppm"
  t_ppm=$(seconds pdftoppm -jpeg -jpegopt quality=85 -r 144 "$pdf" "$work/ppm/p")
  read -r t_image m_image _ < <(import 1)
  read -r t_flash m_flash c_flash < <(import 0)
  echo "$t_ppm $t_image $t_flash $m_image $m_flash $c_flash" >>"$work/rounds"
  echo "round $r: pdftoppm ${t_ppm} s, image ${t_image} s ($(ratio "$t_image" "$t_ppm")x)," \
    "Flash ${t_flash} s ($(ratio "$t_flash" "$t_ppm")x)"
done
column() { awk -v c="$1" '{ print $c }' "$work/rounds" | median; }
ratios() { awk -v c="$1" '{ printf "%.4f\n", $c / $1 }' "$work/rounds" | median; }
m_image=$(awk '$4 > m { m = $4 } END { print m }' "$work/rounds")
m_flash=$(awk '$5 > m { m = $5 } END { print m }' "$work/rounds")
c_flash=$(awk '$6 > m { m = $6 } END { print m }' "$work/rounds")

echo "document:              $pages pages, $(du -k "$pdf" | cut -f1) KiB, median of $rounds rounds"
echo "pdftoppm (reference):  $(column 1) s"
echo "import, image pages:   $(column 2) s  ratio $(ratio "$(ratios 2)" 1)  (target <= 0.60)" \
  " peak $((m_image / 1024)) MB"
echo "import, Flash pages:   $(column 3) s  ratio $(ratio "$(ratios 3)" 1)  (target <= 0.90)" \
  " peak $((m_flash / 1024)) MB, pdf2swf peak $((c_flash / 1024)) MB  (target < 300 MB)"
