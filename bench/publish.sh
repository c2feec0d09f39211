#!/usr/bin/env bash
# Publishing speed on each benchmark document (bench/common.sh: a light, a heavy
# and the benchmark PDF of PAGES pages, 300 unless set, and a real manual; or
# PDF=file alone), measured in one run and printed as ratios against pdftoppm:
#   image book : zarvex-cli publish --format image --quality 1   target <= 0.5 x pdftoppm
#   flash book : zarvex-cli publish --format flash --quality 1   target <= 1.2 x on light
#                                                                pages, <= 0.5 x on heavy
#   peak memory of the largest process of a publish              target <= 300 MB
#   preview rebuild after a property change (first document)     target <  0.5 s
# where pdftoppm is `pdftoppm -jpeg -jpegopt quality=85 -r 144` on the same file.
# For each publish it prints pages per second and the seconds of each stage of
# the median round, read from the progress lines: pages, thumbnails, mobile
# images, then the rest (normal pages, links, bookmarks and the book's assembly);
# and the zoom pass of an image publish with --zoom-pages (no target).
# Builds what it needs into build/ (or $ZARVEX_BUILD_DIR). Prints figures only;
# the exit status says whether the runs worked, not whether targets were met.
# ROUNDS (default 3) sets how many times everything is timed.
# BEFORE=folder adds an earlier version's build folder (zarvex-cli and its
# resources/, built beforehand, e.g. from a `git worktree` of an older commit):
# each round then also times its image and flash publishes between the others,
# so both versions meet the same machine load, and their ratios print as "before".
targets="zarvex-cli zarvex-bench-rebuild"
source "$(dirname "$0")/common.sh"

# publish FORMAT [OPTION...]: one publish into a fresh folder, prints "seconds
# peak-KiB pages thumbnails mobile rest", the stages from the times at which the
# progress lines of each pass first showed.
# With cli=DIR before it, DIR's zarvex-cli and resources publish instead.
publish() {
  rm -rf "$work/book"
  local dir=${cli:-$build}
  local start=$EPOCHREALTIME
  { ZARVEX_RESOURCES="$dir/resources" /usr/bin/time -f '%M' -o "$work/peak" "$dir/zarvex-cli" \
    publish "$pdf" --out "$work/book" --format "$1" --quality 1 "${@:2}" 2>&1 >/dev/null; } |
    while IFS= read -r line; do echo "$EPOCHREALTIME $line"; done >"$work/stamps"
  local end=$EPOCHREALTIME
  awk -v s="$start" -v e="$end" -v m="$(tail -1 "$work/peak")" '
    !t && / Making thumbnails:/ { t = $1 } !b && / Making mobile images:/ { b = $1 }
    !c && / Collecting pages:/ { c = $1 }
    END { if (!(t && b && c)) t = b = c = s
          printf "%.3f %d %.3f %.3f %.3f %.3f\n", e - s, m, t - s, b - t, c - b, e - c }' \
    "$work/stamps"
}

# zoom_pass: an image publish with --zoom-pages, prints "seconds zoom-seconds",
# the zoom pass from its first progress line to the first line after it.
zoom_pass() {
  local total
  read -r total _ < <(publish image --zoom-pages)
  awk -v t="$total" '!z && / Making zoom pages:/ { z = $1 } z && !e && !/ Making zoom pages:/ { e = $1 }
    END { printf "%.3f %.3f\n", t, (z && e) ? e - z : 0 }' "$work/stamps"
}

stages() {
  local total=$1 first=$2
  sort -g -k"$total","$total" "$work/rounds" |
    awk -v n="$(wc -l <"$work/rounds")" -v f="$first" -v p="$pages" -v t="$total" '
      NR == int((n + 1) / 2) {
        printf "%.1f pages/s; pages %.2f s, thumbnails %.2f s, mobile images %.2f s, " \
               "normal pages + links + bookmarks + assembly %.2f s\n",
               p / $t, $f, $(f + 1), $(f + 2), $(f + 3) }'
}

before=${BEFORE:-}
if [[ -n $before && ! -x $before/zarvex-cli ]]; then
  echo "BEFORE=$before holds no zarvex-cli" >&2
  exit 1
fi

first=1
while read -r docname docpath; do
  use "$docname" "$docpath"
  # A shared machine's speed drifts: each round times the reference and both
  # publishes back to back, and the figures printed are the rounds' medians.
  : >"$work/rounds"
  for ((r = 1; r <= rounds; r++)); do
    t_ppm=$(reference)
    read -r t_image m_image s_image < <(publish image)
    read -r t_flash m_flash s_flash < <(publish flash)
    read -r t_zoom s_zoom < <(zoom_pass)
    t_bimage=0 t_bflash=0
    if [[ -n $before ]]; then
      read -r t_bimage _ < <(cli=$before publish image)
      read -r t_bflash _ < <(cli=$before publish flash)
    fi
    rebuild=0
    ((first)) && rebuild=$("$build/zarvex-bench-rebuild" "$pdf" flash |
      awk '$1 == "rebuild" { print $2 }')
    echo "$t_ppm $t_image $t_flash $rebuild $m_image $m_flash $s_image $s_flash $t_zoom $s_zoom" \
      "$t_bimage $t_bflash" >>"$work/rounds"
    echo "$name round $r: pdftoppm ${t_ppm} s, image ${t_image} s" \
      "($(ratio "$t_image" "$t_ppm")x), flash ${t_flash} s ($(ratio "$t_flash" "$t_ppm")x)" \
      ${before:+"; before: image $(ratio "$t_bimage" "$t_ppm")x, flash $(ratio "$t_bflash" "$t_ppm")x"}
  done
  echo "== $name: $pages pages, $(du -k "$pdf" | cut -f1) KiB, median of $rounds rounds"
  echo "pdftoppm (reference):   $(column 1) s"
  echo "publish, image format:  $(column 2) s  ratio $(ratio "$(ratios 2)" 1)  (target <= 0.50)" \
    " peak $(($(maximum 5) / 1024)) MB"
  echo "  $(stages 2 7)"
  echo "publish, flash format:  $(column 3) s  ratio $(ratio "$(ratios 3)" 1)" \
    " (target <= 1.20 light, <= 0.50 heavy)  peak $(($(maximum 6) / 1024)) MB"
  echo "  $(stages 3 11)"
  echo "publish, image format with --zoom-pages: $(column 15) s, of which the zoom pass" \
    "$(column 16) s ($(awk -v p="$pages" -v z="$(column 16)" 'BEGIN { printf "%.1f", (z > 0 ? p / z : 0) }') pages/s)"
  if [[ -n $before ]]; then
    echo "before ($before): image $(column 17) s  ratio $(ratio "$(ratios 17)" 1)," \
      "flash $(column 18) s  ratio $(ratio "$(ratios 18)" 1)"
  fi
  ((first)) && echo "preview rebuild:        $(column 4) s  (target < 0.50)"
  first=0
done < <(documents)
