#!/usr/bin/env bash
# Line and branch coverage of core/, cli/ and tools/ over the whole test suite.
# Builds an instrumented copy into build-coverage/ (or $ZARVEX_BUILD_DIR), runs
# every test, prints the totals and writes an HTML report under the build folder.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${ZARVEX_BUILD_DIR:-$here/build-coverage}
command -v gcovr >/dev/null 2>&1 || {
  echo "coverage: gcovr is missing (apt-get install gcovr)" >&2
  exit 1
}

# gcov must find the sources by the paths compiled in, which ccache would make relative.
export CCACHE_DISABLE=1
ZARVEX_BUILD_DIR=$build "$here/scripts/build.sh" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_FLAGS=--coverage -DCMAKE_CXX_FLAGS=--coverage \
  -DCMAKE_EXE_LINKER_FLAGS=--coverage >/dev/null
find "$build" -name '*.gcda' -delete
(cd "$build" && ctest -j"$(nproc)" --output-on-failure >"$build/coverage-ctest.log") || {
  tail -40 "$build/coverage-ctest.log" >&2
  echo "coverage: tests failed; figures below are of a failing run" >&2
}

mkdir -p "$build/coverage"
gcovr --root "$here" --object-directory "$build" \
  --filter "$here/core/" --filter "$here/cli/" --filter "$here/tools/" \
  --exclude-unreachable-branches --exclude-throw-branches \
  --html-details "$build/coverage/index.html" --txt "$build/coverage/summary.txt" --print-summary
echo "coverage: report in $build/coverage/index.html"
