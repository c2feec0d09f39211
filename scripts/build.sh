#!/usr/bin/env bash
# Configures and builds with a preset of CMakePresets.json: "default", or "ci"
# (warnings are errors) when $CI is true; $ZARVEX_PRESET chooses another, such as
# "asan". The build folder is the preset's unless $ZARVEX_BUILD_DIR names one.
# Extra arguments go to cmake.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
preset=${ZARVEX_PRESET:-$([[ ${CI:-} == true ]] && echo ci || echo default)}
args=(--preset "$preset")
[[ -n ${ZARVEX_BUILD_DIR:-} ]] && args+=(-B "$ZARVEX_BUILD_DIR")
# Rebuilds of other checkouts of the tree reuse each other's objects through ccache.
if command -v ccache >/dev/null 2>&1; then
  args+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$here} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
fi
cd "$here"
cmake "${args[@]}" "$@" >/dev/null
cmake --build "$("$here/scripts/build-dir.sh")" -j"$(nproc)"
