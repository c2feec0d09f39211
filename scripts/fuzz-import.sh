#!/usr/bin/env bash
# Runs the import over mutated copies of a fixture PDF (COUNT, 300 by default)
# in an AddressSanitizer/UndefinedBehaviorSanitizer build (build-asan, or
# $ZARVEX_BUILD_DIR), with leak detection. Fails on any crash, hang, leak or
# sanitizer report.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${ZARVEX_BUILD_DIR:-$here/build-asan}
count=${COUNT:-300}

cmake -S "$here" -B "$build" -DZARVEX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" -j"$(nproc)" --target test_import pdf2swf getswfSize >/dev/null

export ZARVEX_RESOURCES="$build/resources"
export ZARVEX_FUZZ_COUNT="$count"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
"$build/test_import" --gtest_filter='ImportFuzz.*'
echo "fuzz-import: $count mutated copies imported without a crash, hang or leak"
