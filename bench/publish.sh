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
targets="zarvex-cli zarvex-bench-rebuild"
source "$(dirname "$0")/common.sh"

# A shared machine's speed drifts: each round times the reference and both
# publishes back to back, and the figures printed are the rounds' medians.
: >"$work/rounds"
for ((r = 1; r <= rounds; r++)); do
  rm -rf "$work/image" "$work/flash"
  t_ppm=$(reference)
  t_image=$(seconds "$build/zarvex-cli" publish "$pdf" --out "$work/image" --format image \
    --quality 1 --quiet)
  t_flash=$(seconds "$build/zarvex-cli" publish "$pdf" --out "$work/flash" --quality 1 --quiet)
  rebuild=$("$build/zarvex-bench-rebuild" "$pdf" flash | awk '$1 == "rebuild" { print $2 }')
  echo "$t_ppm $t_image $t_flash $rebuild" >>"$work/rounds"
  echo "round $r: pdftoppm ${t_ppm} s, image ${t_image} s ($(ratio "$t_image" "$t_ppm")x)," \
    "flash ${t_flash} s ($(ratio "$t_flash" "$t_ppm")x), rebuild ${rebuild} s"
done

echo "document:               $pages pages, $(du -k "$pdf" | cut -f1) KiB, median of $rounds rounds"
echo "pdftoppm (reference):   $(column 1) s"
echo "publish, image format:  $(column 2) s  ratio $(ratio "$(ratios 2)" 1)  (target <= 0.70)"
echo "publish, flash format:  $(column 3) s  ratio $(ratio "$(ratios 3)" 1)  (target <= 1.00)"
echo "preview rebuild:        $(column 4) s  (target < 0.50)"
