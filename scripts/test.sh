#!/usr/bin/env bash
# Builds and runs the whole test suite (see build.sh for the preset and folder).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/build.sh" "$@"
cd "$("$here/scripts/build-dir.sh")"
ctest --output-on-failure -j"$(nproc)"
