# Shared by the benchmark scripts (sourced, not run). Before sourcing, set
# `targets` to the build targets the script needs. Afterwards:
#   $here $build     the source tree and the build folder (ZARVEX_BUILD_DIR)
#   $work            a scratch folder removed on exit; HOME and XDG_* point inside it
#   $rounds          ROUNDS (3): how many times each figure is taken
#   documents        prints "name path" for each document measured: PDF=file alone,
#                    or the generated light, heavy and benchmark PDFs of PAGES pages
#                    (300) and a real manual (see manual below)
#   use NAME PATH    makes it the current document: $name $pdf $pages
#   seconds CMD...   runs CMD quietly, prints its wall time
#   ratio A B        prints A / B
#   median           prints the median of the numbers on standard input
#   reference        times the pdftoppm run all ratios are taken against
#   column N         the median of column N of $work/rounds, one line a round
#                    whose first column is the reference's time
#   ratios N         the median of column N over column 1 of $work/rounds
#   maximum N        the largest value of column N of $work/rounds
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ZARVEX_BUILD_DIR:-$here/build}
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

cache=${ZARVEX_BENCH_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zarvex-bench}
work=$(mktemp -d "${TMPDIR:-/tmp}/zarvex-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config"
export XDG_CACHE_HOME="$work/home/cache" ZARVEX_FLASH_TRUST_DIR="$work/home/trust"
export ZARVEX_RESOURCES="$build/resources"
mkdir -p "$HOME"

# The real manual: R's "Writing R Extensions" (236 Letter pages of text, tables
# and code) from Debian's r-doc-pdf, fetched once into ZARVEX_BENCH_CACHE
# (~/.cache/zarvex-bench). Prints its path, or nothing when the package cannot
# be had.
manual() {
  local file="$cache/R-exts.pdf"
  if [[ ! -s $file ]]; then
    local deb
    deb=$(mktemp -d "$work/deb.XXXXXX")
    if (cd "$deb" && apt-get download r-doc-pdf) >/dev/null 2>&1 &&
      dpkg-deb -x "$deb"/r-doc-pdf_*.deb "$deb/x" 2>/dev/null; then
      mkdir -p "$cache" && cp "$deb/x/usr/share/R/doc/manual/R-exts.pdf" "$file"
    fi
    rm -rf "$deb"
  fi
  [[ -s $file ]] && echo "$file"
  return 0
}

documents() {
  if [[ -n ${PDF:-} ]]; then
    echo "given $(realpath "$PDF")"
    return
  fi
  local kind
  for kind in light heavy benchmark; do
    [[ -s $work/$kind.pdf ]] || "$build/make-fixture-pdf" "$kind" "${PAGES:-300}" "$work/$kind.pdf"
    echo "$kind $work/$kind.pdf"
  done
  local file
  file=$(manual)
  if [[ -n $file ]]; then
    echo "manual $file"
  else
    echo "manual: skipped, the Debian package r-doc-pdf cannot be downloaded here" >&2
  fi
}

use() {
  name=$1 pdf=$2
  pages=$(pdfinfo "$pdf" | awk '$1 == "Pages:" { print $2 }')
}

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
maximum() { awk -v c="$1" '$c > m { m = $c } END { print m + 0 }' "$work/rounds"; }
