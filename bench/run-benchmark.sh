#!/usr/bin/env bash
# Builds TLVP, the shipped post and the benchmarks (optimised, with debug
# information), then posts generated finishing tool paths of 10^5, 10^6 and
# 10^7 moves with the real TLVP and prints records per second, input MB per
# second, peak memory and time per record for each, and the same 10^6 moves
# with 10^4 processes and tool changes.  Then the micro-benchmarks of the
# reader, number formatting, conditions and section expansion.
#
#   bench/run-benchmark.sh [post_run_bench options, e.g. --sizes=100000]
#
# TLV_BUILD_DIR builds elsewhere than build/; TLV_MICRO=0 skips the
# micro-benchmarks.  The generated files go to a temporary folder and are
# removed (about 1 GB for 10^7 moves).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TLV_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -DTLV_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target TLVP sample_post dictionary post_run_bench \
  toolpath_read_bench format_expand_bench express_eval_bench
uptime
"$build/bench/post_run_bench" "$@"
if [[ ${TLV_MICRO:-1} != 0 ]]; then
  for b in toolpath_read_bench format_expand_bench express_eval_bench; do
    "$build/bench/$b" --benchmark_min_time=0.2
  done
fi
