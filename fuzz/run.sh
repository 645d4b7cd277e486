#!/bin/bash
# Runs the fuzz harnesses of a fuzz build (cmake -DTICKETFILTER_FUZZ=ON with clang), one after the
# other, each for the given time, starting from its committed corpus (which is never written: new
# inputs go to a work directory).  Prints one line per harness with libFuzzer's final figures; a
# finding stops the run with the input kept under the work directory and exit status 1.
# Usage: fuzz/run.sh BUILD_DIR SECONDS [WORK_DIR] [HARNESS...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?build directory}
seconds=${2:?seconds per harness}
work=${3:-}
own_work=false
if [ -z "$work" ]; then
  work=$(mktemp -d -t tf-fuzz.XXXXXX)
  own_work=true
fi
shift $(( $# < 3 ? $# : 3 ))
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=(ps_stream header text specialpage)

# Leaks inside the CUPS library are not the filter's (see fuzz/lsan.supp).
export LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

status=0
for h in "${harnesses[@]}"; do
  mkdir -p "$work/$h/corpus" "$work/$h/findings"
  log="$work/$h/log"
  # -close_fd_mask=3: the job's page lines and messages stay out of the log; libFuzzer and the
  # sanitizers still report.
  if "$build/bin/${h}_fuzzer" -max_total_time="$seconds" -close_fd_mask=3 -print_final_stats=1 \
      -artifact_prefix="$work/$h/findings/" "$work/$h/corpus" "fuzz/corpus/$h" >"$log" 2>&1; then
    done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1)
    echo "fuzz $h: ${seconds}s: $done_line"
  else
    echo "fuzz $h: FINDING (log: $log)"
    grep -E 'FUZZ FINDING|ERROR:|SUMMARY:|detail' "$log" | head -8
    ls "$work/$h/findings"
    status=1
  fi
done
# A work directory of this run's own is removed, unless it holds a finding.
if $own_work && [ $status -eq 0 ]; then rm -rf "$work"; fi
exit $status
