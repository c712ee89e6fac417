#!/usr/bin/env bash
# Builds the libFuzzer programs (clang, TLV_FUZZ=ON) into build-fuzz/ and runs
# each fuzz target, or only the ones named, for a given number of seconds.
#
#   scripts/fuzz.sh [-t SECONDS] [-j JOBS] [-r] [TARGET...]
#
# TARGET is a name such as definition_read_fuzz (the "_fuzz" may be left out).
# Each target starts from a copy of its seed corpus (fuzz/corpus/<name>/) in
# build-fuzz/fuzz-work/<name>/, so new inputs found in a run do not land in the
# tree by themselves; copy the ones worth keeping into the seed corpus.  With
# -r a run resumes from what the last run left there (seeds added again), so
# short runs add up.
# Crashes, leaks, timeouts and out-of-memory inputs go to fuzz/findings/<name>/
# (ignored by git: a finding is kept by turning it into a seed input and a test
# beside the reader).  At the end a table shows, per target, the executions,
# the coverage (edges and features), the corpus size and the findings.
# The exit status is 1 when any target left a finding.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=180
jobs=2
resume=0
while getopts "t:j:rh" opt; do
  case $opt in
    t) seconds=$OPTARG ;;
    j) jobs=$OPTARG ;;
    r) resume=1 ;;
    *) sed -n '2,17p' "$0" | sed 's/^# \{0,1\}//'; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || ((seconds < 1)); then
  echo "fuzz.sh: -t wants a number of seconds, not '$seconds'" >&2
  exit 2
fi

build=$root/build-fuzz
# No -Werror here: clang warns about things g++ does not, and the normal build
# is the one that keeps the tree warning-free.
cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTLV_FUZZ=ON -DTLV_BENCH=OFF >/dev/null
# Keep going past a target that does not compile (another folder may be
# mid-edit): the others still run, and the run ends with status 1.
build_failed=0
if ! cmake --build "$build" --target fuzz -j"$jobs" -- -k; then
  echo "fuzz.sh: some fuzz programs did not build; running the ones that did" >&2
  build_failed=1
fi

# Every *_fuzz.cpp of the tree is a target.
all=()
for src in "$root"/fuzz/*_fuzz.cpp; do
  all+=("$(basename "$src" .cpp)")
done
targets=()
if (($#)); then
  for want in "$@"; do
    want=${want%.cpp}
    [[ "$want" == *_fuzz ]] || want=${want}_fuzz
    found=0
    for name in "${all[@]}"; do [[ "$name" == "$want" ]] && found=1; done
    if ((!found)); then
      echo "fuzz.sh: no fuzz target '$want' (there are: ${all[*]})" >&2
      exit 2
    fi
    targets+=("$want")
  done
else
  targets=("${all[@]}")
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:symbolize=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/scripts/lsan.supp}

summary=()
status=$build_failed
for name in "${targets[@]}"; do
  program=$build/fuzz/$name
  if [[ ! -x "$program" ]]; then
    echo "fuzz.sh: $program was not built" >&2
    summary+=("$(printf '%-32s %s' "$name" "not built")")
    status=1
    continue
  fi
  work=$build/fuzz-work/$name
  findings=$root/fuzz/findings/$name
  ((resume)) || rm -rf "$work"
  mkdir -p "$work/corpus" "$findings"
  if [[ -d "$root/fuzz/corpus/$name" ]]; then
    cp -r "$root/fuzz/corpus/$name/." "$work/corpus/"
  fi
  before=$(find "$findings" -type f | wc -l)
  echo "== $name: ${seconds}s"
  log=$work/log.txt
  # One process at a time: the machine is shared.  A slow input (over 25 s)
  # is a hang; the memory limit catches runaway allocation.
  set +e
  (cd "$work" && "$program" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$findings/" corpus) >"$log" 2>&1
  rc=$?
  set -e
  tail -n 3 "$log" | sed 's/^/   /'
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  last=$(grep -E '^#[0-9]+' "$log" | grep -o 'cov: [0-9]* ft: [0-9]* corp: [0-9]*' | tail -n 1)
  cov=$(sed -n 's/.*cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.*ft: \([0-9]*\).*/\1/p' <<<"$last")
  corp=$(sed -n 's/.*corp: \([0-9]*\).*/\1/p' <<<"$last")
  after=$(find "$findings" -type f | wc -l)
  new=$((after - before))
  verdict=ok
  if ((rc != 0 || new > 0)); then
    verdict="FINDING (exit $rc, $new new file(s) in fuzz/findings/$name, log $log)"
    status=1
  fi
  summary+=("$(printf '%-32s %12s %8s %8s %7s  %s' "$name" "${execs:-?}" "${cov:-?}" \
    "${ft:-?}" "${corp:-?}" "$verdict")")
done

echo
printf '%-32s %12s %8s %8s %7s  %s\n' target executions edges features corpus result
for line in "${summary[@]}"; do echo "$line"; done
exit $status
