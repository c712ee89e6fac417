#!/usr/bin/env bash
# Sets everything up, builds, and runs every test: once in the normal build
# and once more under AddressSanitizer and UndefinedBehaviorSanitizer.
# TLV_TEST_QUICK=1 skips the sanitizer pass.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
"$root/scripts/setup.sh"

echo "== normal build"
"$root/scripts/build.sh" "$root/build"
(cd "$root/build" && TLV_UI=tty QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs")

if [[ "${TLV_TEST_QUICK:-0}" != 1 ]]; then
  echo "== sanitizer build"
  "$root/scripts/build.sh" "$root/build-asan" -DTLV_SANITIZE=ON -DTLV_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
  (cd "$root/build-asan" &&
    TLV_UI=tty QT_QPA_PLATFORM=offscreen \
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    LSAN_OPTIONS=suppressions="$root/scripts/lsan.supp" \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --output-on-failure -j"$jobs")
fi
