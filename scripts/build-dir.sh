#!/usr/bin/env bash
# Prints the build folder that scripts/build.sh uses.
here=$(cd "$(dirname "$0")/.." && pwd)
preset=${ZARVEX_PRESET:-default}
case "$preset" in
  asan) dir=$here/build-asan ;;
  *) dir=$here/build ;;
esac
echo "${ZARVEX_BUILD_DIR:-$dir}"
