#!/bin/bash
# Installs what the tests need, builds, and runs every test:
#   1. the whole suite in an ordinary build (build/);
#   2. the whole suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer
#      (build-sanitize/): the unit tests, and the programs the end-to-end tests run;
#   3. a short run of every fuzz harness (build-fuzz/, clang with libFuzzer), from its corpus.
# Each step prints how long it took.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
jobs=$(nproc)
fuzz_seconds=${TICKETFILTER_FUZZ_SECONDS:-15}  # per harness

step_start=$SECONDS
step() {
  echo "== $1 ($((SECONDS - step_start)) s so far)"
}

step "tests"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTICKETFILTER_TESTS=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build -j "$jobs" --output-on-failure --timeout 600

step "tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTICKETFILTER_TESTS=ON \
    -DTICKETFILTER_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j "$jobs"
# A sanitizer report ends the process with a status no test expects (a leak report too), and
# undefined behaviour aborts it (-fno-sanitize-recover).  Leaks inside the CUPS library are not
# the filter's (fuzz/lsan.supp).
ASAN_OPTIONS=exitcode=86:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1 \
LSAN_OPTIONS=suppressions=$PWD/fuzz/lsan.supp \
UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-sanitize -j "$jobs" --output-on-failure --timeout 900

step "fuzz harnesses, ${fuzz_seconds} s each"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTICKETFILTER_FUZZ=ON -DTICKETFILTER_TESTS=OFF >/dev/null
cmake --build build-fuzz -j "$jobs"
fuzz/run.sh build-fuzz "$fuzz_seconds"

step "done"
