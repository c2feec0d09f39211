#!/usr/bin/env bash
# Publishing speed, measured in one run on one generated PDF (300 pages unless
# PAGES says otherwise), printed as ratios against pdftoppm:
#   image book  : zarvex-cli publish --format image --quality 1   target <= 0.7 x pdftoppm
#   flash book  : zarvex-cli publish --quality 1                  target <= 1.0 x pdftoppm
#   preview rebuild after a property change                        target <  0.5 s
# where pdftoppm is `pdftoppm -jpeg -jpegopt quality=85 -r 144` on the same file.
# Builds what it needs into build/ (or $ZARVEX_BUILD_DIR). Prints figures only;
# the exit status says whether the runs worked, not whether targets were met.
# ROUNDS (default 3) sets how many times everything is timed; PDF=file times that
# document instead.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${ZARVEX_BUILD_DIR:-$here/build}
pages=${PAGES:-300}

buildlog=$(mktemp)
if ! { cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
  cmake --build "$build" -j"$(nproc)" --target zarvex-cli make-fixture-pdf zarvex-bench-rebuild \
    pdf2swf getswfSize; } >"$buildlog" 2>&1; then
  cat "$buildlog" >&2
  rm -f "$buildlog"
  exit 1
fi
rm -f "$buildlog"

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
# seconds COMMAND...: runs the command, prints its wall time in seconds.
seconds() {
  local start end
  start=$(now)
  "$@" >/dev/null
  end=$(now)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# A shared machine's speed drifts: each round times the reference and both
# publishes back to back, and the figures printed are the rounds' medians.
rounds=${ROUNDS:-3}
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
: >"$work/rounds"
for ((r = 1; r <= rounds; r++)); do
  rm -rf "$work/ppm" "$work/image" "$work/flash" && mkdir -p "$work/ppm"
  t_ppm=$(seconds pdftoppm -jpeg -jpegopt quality=85 -r 144 "$pdf" "$work/ppm/p")
  t_image=$(seconds "$build/zarvex-cli" publish "$pdf" --out "$work/image" --format image \
    --quality 1 --quiet)
  t_flash=$(seconds "$build/zarvex-cli" publish "$pdf" --out "$work/flash" --quality 1 --quiet)
  rebuild=$("$build/zarvex-bench-rebuild" "$pdf" flash | awk '$1 == "rebuild" { print $2 }')
  echo "$t_ppm $t_image $t_flash $rebuild" >>"$work/rounds"
  echo "round $r: pdftoppm ${t_ppm} s, image ${t_image} s ($(ratio "$t_image" "$t_ppm")x)," \
    "flash ${t_flash} s ($(ratio "$t_flash" "$t_ppm")x), rebuild ${rebuild} s"
done
column() { awk -v c="$1" '{ print $c }' "$work/rounds" | median; }
ratios() { awk -v c="$1" '{ printf "%.4f\n", $c / $1 }' "$work/rounds" | median; }

echo "document:               $pages pages, $(du -k "$pdf" | cut -f1) KiB, median of $rounds rounds"
echo "pdftoppm (reference):   $(column 1) s"
echo "publish, image format:  $(column 2) s  ratio $(ratio "$(ratios 2)" 1)  (target <= 0.70)"
echo "publish, flash format:  $(column 3) s  ratio $(ratio "$(ratios 3)" 1)  (target <= 1.00)"
echo "preview rebuild:        $(column 4) s  (target < 0.50)"
