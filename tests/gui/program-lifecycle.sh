#!/usr/bin/env bash
# zarvex started as a user starts it, in a private home: the preview shows the
# demo book (a picture is kept), the log file says the version, and quitting,
# by the program itself or by SIGTERM as at logout, removes the preview folder
# and the page converters' work folder.
set -euo pipefail
zarvex=$1
shots=$2
mkdir -p "$shots"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config
export ZARVEX_FLASH_TRUST_DIR=$home/trust ZARVEX_WORK_BASE=$home/work
preview=$XDG_DATA_HOME/Drevalis/preview
fail() { echo "FAIL: $*" >&2; exit 1; }

out=$("$zarvex" --screenshot "$shots/main-window.png")
echo "$out"
[[ $out == "preview shown after "* ]] || fail "the preview did not show: $out"
[[ -s $shots/main-window.png ]] || fail "no picture of the window"
grep -q "version is:" "$XDG_DATA_HOME/Kestrova/Imvoria/3D Zarvex.log" || fail "no version line in the log"
[[ ! -e $preview ]] || fail "the preview folder outlived the program"

"$zarvex" &
pid=$!
for _ in $(seq 1 300); do
  [[ -f $preview/index.html ]] && break
  sleep 0.1
done
[[ -f $preview/index.html ]] || fail "no preview was written"
mkdir -p "$ZARVEX_WORK_BASE/Pellido"
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
((status == 0)) || fail "SIGTERM ended the program with status $status, not by a clean quit"
[[ ! -e $preview ]] || fail "the preview folder survived SIGTERM"
[[ ! -e $ZARVEX_WORK_BASE/Pellido ]] || fail "the work folder survived SIGTERM"
echo "ok"
