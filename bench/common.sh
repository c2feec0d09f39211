# Shared by the benchmark scripts (sourced, not run). Before sourcing, set
# `targets` to the build targets the script needs. Afterwards:
#   $here $build     the source tree and the build folder (ZARVEX_BUILD_DIR)
#   $work            a scratch folder removed on exit; HOME and XDG_* point inside it
#   $pdf $pages      the document measured: PDF=file, or a generated text-and-vector
#                    PDF of PAGES pages (300)
#   $rounds          ROUNDS (3): how many times each figure is taken
#   seconds CMD...   runs CMD quietly, prints its wall time
#   ratio A B        prints A / B
#   median           prints the median of the numbers on standard input
#   reference        times the pdftoppm run all ratios are taken against
#   column N         the median of column N of $work/rounds, one line a round
#                    whose first column is the reference's time
#   ratios N         the median of column N over column 1 of $work/rounds
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ZARVEX_BUILD_DIR:-$here/build}
pages=${PAGES:-300}
rounds=${ROUNDS:-3}

buildlog=$(mktemp)
if ! { cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
  cmake --build "$build" -j"$(nproc)" --target make-fixture-pdf pdf2swf getswfSize $targets; } \
  >"$buildlog" 2>&1; then
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
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
reference() {
  rm -rf "$work/ppm" && mkdir -p "$work/ppm"
  seconds pdftoppm -jpeg -jpegopt quality=85 -r 144 "$pdf" "$work/ppm/p"
}
column() { awk -v c="$1" '{ print $c }' "$work/rounds" | median; }
ratios() { awk -v c="$1" '{ printf "%.4f\n", $c / $1 }' "$work/rounds" | median; }
