#!/usr/bin/env bash
# Builds and runs the whole test suite.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${ZARVEX_BUILD_DIR:-$here/build}
"$here/scripts/build.sh" "$@"
cd "$build"
ctest --output-on-failure -j"$(nproc)"
