#!/usr/bin/env bash
# Desktop application speed, on this machine:
#   start-up to a visible preview of the demo book                target < 2 s
#   Apply after a property change on an imported book             target < 0.5 s
# Start-up is the whole program (`zarvex --screenshot`, offscreen unless
# QT_QPA_PLATFORM says otherwise) from exec to the preview page loaded, as it
# reports it. Apply is the preview rebuild the Apply command runs, on a PDF of
# PAGES pages (300) imported as Flash pages. Prints figures only; medians of
# ROUNDS (3) runs. PDF=file measures that document instead.
targets="zarvex zarvex-bench-rebuild"
source "$(dirname "$0")/common.sh"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

: >"$work/rounds"
for ((r = 1; r <= rounds; r++)); do
  start=$(now)
  shown=$("$build/zarvex" --screenshot "$work/shot.png" 2>/dev/null |
    awk '$1 == "preview" && $2 == "shown" { print $4 / 1000 }')
  whole=$(awk -v a="$start" -v b="$(now)" 'BEGIN { printf "%.3f", b - a }')
  apply=$("$build/zarvex-bench-rebuild" "$pdf" flash | awk '$1 == "rebuild" { print $2 }')
  echo "${shown:-nan} $apply $whole" >>"$work/rounds"
  echo "round $r: preview shown after ${shown:-nan} s (program ran ${whole} s), apply ${apply} s"
done

echo "document:                 $pages pages, median of $rounds rounds"
echo "start-up to preview:      $(column 1) s  (target < 2.0)"
echo "apply after a change:     $(column 2) s  (target < 0.5)"
