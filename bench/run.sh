#!/bin/bash
# The performance benchmark of the filter: ticketfilter against `cat` through a pipe (the limit)
# and cups-filters' pstops (what a user would run instead).  See docs/performance.md.
#
#   bench/run.sh [--quick] [--keep]
#
# Builds the programs (Release) into bench/out/build when needed, generates the jobs and the PPDs
# into bench/out, waits for a quiet machine, runs every program in rounds (medians), then prints
# the table and the targets and keeps them in bench/out/results.txt.  The generated jobs are
# removed at the end.
#   --quick  a 100 MB large job and fewer rounds: a quick look while working
#   --keep   keep the generated jobs
# Environment: BENCH_LARGE_BYTES (default 1000000000), BENCH_ROUNDS (large and small jobs,
# default 5), BENCH_START_ROUNDS (start-up, default 21), BENCH_MAX_LOAD (default 0.7) and
# BENCH_LOAD_WAIT (seconds, default 600): how long to wait for the one-minute load average to
# fall below BENCH_MAX_LOAD before measuring anyway; BENCH_BASELINE: the path of another
# ticketfilter build, measured beside this one (before/after comparisons).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/bench/out
build=$out/build
bin=$build/bin

large_bytes=${BENCH_LARGE_BYTES:-1000000000}
rounds=${BENCH_ROUNDS:-5}
start_rounds=${BENCH_START_ROUNDS:-21}
max_load=${BENCH_MAX_LOAD:-0.7}
load_wait=${BENCH_LOAD_WAIT:-600}
baseline=${BENCH_BASELINE:-}
keep=0
for arg in "$@"; do
  case "$arg" in
    --quick) large_bytes=${BENCH_LARGE_BYTES:-100000000}; rounds=${BENCH_ROUNDS:-3}
             start_rounds=${BENCH_START_ROUNDS:-11}; load_wait=${BENCH_LOAD_WAIT:-0} ;;
    --keep) keep=1 ;;
    *) echo "usage: bench/run.sh [--quick] [--keep]" >&2; exit 2 ;;
  esac
done

# What the build needs, and pstops for the comparison.
scripts/deps.sh build
pstops=/usr/lib/cups/filter/pstops
if [ ! -x "$pstops" ] && [ "$(id -u)" = 0 ]; then
  echo "Installing cups-filters (pstops)"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends cups-filters \
    >/dev/null || true
fi

mkdir -p "$out"
cmake -S bench -B "$build" -DCMAKE_BUILD_TYPE=Release -DTF_BENCH_ROOT="$out" >/dev/null
cmake --build "$build" -j 2 --target ticketfilter ticketfilter-bench bench_gen bench_runner \
  bench_copy ppd_floor >/dev/null

# Generated data; the jobs are removed on exit.
jobs_dir=$out/jobs
tmp_dir=$out/tmp
mkdir -p "$out/flag" "$jobs_dir" "$tmp_dir"
small=$out/job-small.ps large=$out/job-large.ps
fsmall=$out/feat-small.ps flarge=$out/feat-large.ps empty=$out/empty.ps
cleanup() {
  if [ "$keep" = 0 ]; then rm -f "$small" "$large" "$fsmall" "$flarge" "$empty"; fi
  rm -f "$out/flag/qmjobcopy" "$jobs_dir"/* "$tmp_dir"/* 2>/dev/null || true
}
trap cleanup EXIT

need=$(( (large_bytes * 4) / 1024 + 1048576 ))  # two jobs, a job copy, a temporary file (KiB)
avail=$(df -Pk "$out" | awk 'NR == 2 { print $4 }')
if [ "$avail" -lt "$need" ]; then
  echo "ERROR: bench/out needs about $((need / 1048576)) GiB free; $((avail / 1048576)) GiB are" >&2
  exit 1
fi

echo "Generating the PPDs and the jobs (large: $large_bytes bytes)"
ppd=$out/printer.ppd decomp_ppd=$out/printer-decomp.ppd
"$bin/bench_gen" ppd ppd/tf-color-utf8.ppd "$ppd" 153600
"$bin/bench_gen" ppd ppd/tf-color-utf8.ppd "$decomp_ppd" 153600 decomp
# A job kept from an earlier run (--keep) is used again when it has the size asked for.
fits() { [ -s "$1" ] && [ $(( $(stat -c %s "$1") - large_bytes )) -ge 0 ] &&
         [ $(( $(stat -c %s "$1") - large_bytes )) -lt 1000000 ]; }
fits "$large" || "$bin/bench_gen" job "$large" "$large_bytes"
fits "$flarge" || "$bin/bench_gen" job "$flarge" "$large_bytes" features
"$bin/bench_gen" job "$small" 1000000
"$bin/bench_gen" job "$fsmall" 1000000 features
: >"$empty"
touch "$out/flag/qmjobcopy"

# The job options: a secure print with stapling, colour and duplex; the watermark runs add a
# watermark on every page.
prefix=com.brantlowe.ticket.
options="${prefix}PrintTypeTicketKey=2 ${prefix}PrintTypeUserNameTicketKey=tux \
${prefix}PrintTypePasswordTicketKey=1234 ${prefix}DocumentNameTypeTicketKey=1 \
QMStaple=UpperLeftSingle QMColorMode=Color collate=true number-up=1 sides=two-sided-long-edge"
watermark="$options ${prefix}WMARKTypeTicket=0 ${prefix}WMARKNameTicket=Confidential \
${prefix}WMARKTextTicket=(CONFIDENTIAL) ${prefix}WMARKOnlyFirstTicket=0 \
${prefix}WMARKFontTicket=Helvetica ${prefix}WMARKFontSizeTicket=48 ${prefix}WMARKColorRTicket=1 \
${prefix}WMARKColorGTicket=0 ${prefix}WMARKColorBTicket=0 ${prefix}WMARKDensityTicket=50 \
${prefix}WMARKAngleTicket=45 ${prefix}WMARKOrientationTicket=1 \
${prefix}WMARKPaperWidthTicket=595 ${prefix}WMARKPaperHeightTicket=842 \
${prefix}WMARKWidthTicket=400 ${prefix}WMARKHeightTicket=60"

tab=$'\t'
env_plain="PPD=$ppd;TMPDIR=$tmp_dir"
env_decomp="PPD=$decomp_ppd;TMPDIR=$tmp_dir"
filter_args="1${tab}tux${tab}Quarterly report${tab}1"
# plan SIZE JOB FEATURE_JOB: the programs measured on one job size.
plan() {
  local size=$1 job=$2 fjob=$3
  printf '%s\n' \
    "$size:cat${tab}$job${tab}-${tab}-${tab}cat" \
    "$size:copy-1MiB-pipe${tab}$job${tab}-${tab}-${tab}$bin/bench_copy" \
    "$size:ticketfilter${tab}$job${tab}-${tab}$env_plain${tab}$bin/ticketfilter${tab}$filter_args${tab}$options" \
    "$size:ticketfilter+jobcopy${tab}$job${tab}$jobs_dir${tab}$env_plain${tab}$bin/ticketfilter-bench${tab}$filter_args${tab}$options" \
    "$size:ticketfilter+watermark${tab}$job${tab}-${tab}$env_plain${tab}$bin/ticketfilter${tab}$filter_args${tab}$watermark"
  if [ -n "$baseline" ]; then
    printf '%s\n' "$size:baseline${tab}$job${tab}-${tab}$env_plain${tab}$baseline${tab}$filter_args${tab}$options"
  fi
  printf '%s\n' \
    "$size:cat(features)${tab}$fjob${tab}-${tab}-${tab}cat" \
    "$size:decomposition${tab}$fjob${tab}-${tab}$env_decomp${tab}$bin/ticketfilter${tab}$filter_args${tab}$options"
  if [ -n "$baseline" ]; then
    printf '%s\n' "$size:baseline-decomposition${tab}$fjob${tab}-${tab}$env_decomp${tab}$baseline${tab}$filter_args${tab}$options"
  fi
  if [ -x "$pstops" ]; then
    printf '%s\n' "$size:pstops${tab}$job${tab}-${tab}$env_plain${tab}$pstops${tab}$filter_args${tab}$options"
  fi
  if [ "$size" = large ]; then
    # The input from a pipe, as after another filter: cat feeds each program (and cat itself).
    local feed="sh${tab}-c${tab}"'cat "$0" | "$@"'
    printf '%s\n' \
      "$size:pipe:cat${tab}$job${tab}-${tab}-${tab}$feed${tab}$job${tab}cat" \
      "$size:pipe:ticketfilter${tab}$job${tab}-${tab}$env_plain${tab}$feed${tab}$job${tab}$bin/ticketfilter${tab}$filter_args${tab}$options" \
      "$size:pipe:cat(features)${tab}$fjob${tab}-${tab}-${tab}$feed${tab}$fjob${tab}cat" \
      "$size:pipe:decomposition${tab}$fjob${tab}-${tab}$env_decomp${tab}$feed${tab}$fjob${tab}$bin/ticketfilter${tab}$filter_args${tab}$options"
  fi
}
{
  printf '%s\n' \
    "start:libcups-floor${tab}$empty${tab}-${tab}$env_plain${tab}$bin/ppd_floor" \
    "start:ticketfilter${tab}$empty${tab}-${tab}$env_plain${tab}$bin/ticketfilter${tab}$filter_args${tab}$options"
  if [ -n "$baseline" ]; then
    printf '%s\n' "start:baseline${tab}$empty${tab}-${tab}$env_plain${tab}$baseline${tab}$filter_args${tab}$options"
  fi
} >"$out/start.plan"
plan small "$small" "$fsmall" >"$out/small.plan"
plan large "$large" "$flarge" >"$out/large.plan"

# Wait for a quiet machine (other work skews the timings), up to load_wait seconds.
load() { cut -d' ' -f1 /proc/loadavg; }
waited=0
while awk -v l="$(load)" -v m="$max_load" 'BEGIN { exit !(l >= m) }' && [ "$waited" -lt "$load_wait" ]; do
  [ "$waited" = 0 ] && echo "Waiting for the load average ($(load)) to fall below $max_load"
  sleep 15
  waited=$((waited + 15))
done

raw=$out/raw.txt
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
echo "Measuring (load average $load_before)"
: >"$raw"
"$bin/bench_runner" "$out/start.plan" "$start_rounds" >>"$raw"
"$bin/bench_runner" "$out/small.plan" "$rounds" >>"$raw"
"$bin/bench_runner" "$out/large.plan" "$rounds" >>"$raw"
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# With a baseline: the printer streams of both builds, byte for byte, on the large jobs.
identical=""
if [ -n "$baseline" ]; then
  identical="identical"
  # run PROGRAM PPD MODE JOB OPTIONS: the stream's checksum; MODE file (argv[6]) or pipe
  run() {
    if [ "$3" = file ]; then
      env PPD="$2" TMPDIR="$tmp_dir" "$1" 1 tux Quarterly 1 "$5" "$4" 2>/dev/null | md5sum
    else
      cat "$4" | env PPD="$2" TMPDIR="$tmp_dir" "$1" 1 tux Quarterly 1 "$5" 2>/dev/null | md5sum
    fi
  }
  compare() {
    [ "$(run "$bin/ticketfilter" "$@")" = "$(run "$baseline" "$@")" ] ||
      identical="DIFFERENT ($*)"
  }
  compare "$ppd" pipe "$large" "$options"
  compare "$ppd" file "$large" "$watermark"
  compare "$decomp_ppd" file "$flarge" "$options"
  compare "$decomp_ppd" pipe "$flarge" "$watermark"
fi

{
  echo "ticketfilter benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), commit $(git rev-parse --short HEAD 2>/dev/null || echo '?')"
  echo "machine: $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores; kernel $(uname -r);" \
       "$(c++ --version | head -1)"
  echo "load average before: $load_before; after: $load_after"
  [ -z "$identical" ] || echo "printer streams of this build and the baseline on the large jobs: $identical"
  echo "large job $(stat -c %s "$large") bytes, small job $(stat -c %s "$small") bytes;" \
       "PPD $(stat -c %s "$ppd") bytes; medians of $rounds runs ($start_rounds for start-up)"
  echo
  awk -v MiB=1048576 '
    {
      label = $1
      for (i = 2; i <= NF; ++i) { split($i, kv, "="); v[label, kv[1]] = kv[2] }
      order[++n] = label
    }
    function ref(label,   size, name, feed) {
      split(label, p, ":"); size = p[1]; name = substr(label, length(size) + 2)
      feed = (name ~ /^pipe:/) ? "pipe:" : ""
      if (name ~ /decomposition|features/) return size ":" feed "cat(features)"
      return size ":" feed "cat"
    }
    function ratio(a, b) { return v[b, "wall_s"] > 0 ? v[a, "wall_s"] / v[b, "wall_s"] : 0 }
    END {
      printf "%-32s %10s %10s %8s %10s %10s\n", "program", "MB/s", "median s", "x cat", "CPU s",
             "peak MiB"
      for (i = 1; i <= n; ++i) {
        l = order[i]
        mbs = v[l, "wall_s"] > 0 && v[l, "in_bytes"] > 0 ? v[l, "in_bytes"] / v[l, "wall_s"] / 1e6 : 0
        x = (l ~ /^start:/) ? "" : sprintf("%.2f", ratio(l, ref(l)))
        printf "%-32s %10s %10.4f %8s %10.4f %10.2f\n", l, (mbs > 0 ? sprintf("%.0f", mbs) : "-"),
               v[l, "wall_s"], x, v[l, "cpu_s"], v[l, "maxrss_kib"] / 1024
      }
      print ""
      print "targets                                              measured    target    result"
      t1 = ratio("large:ticketfilter", "large:cat")
      t1c = ratio("large:ticketfilter+jobcopy", "large:cat")
      t1w = ratio("large:ticketfilter+watermark", "large:cat")
      t2 = ratio("large:decomposition", "large:cat(features)")
      floor = v["start:libcups-floor", "maxrss_kib"]
      worst = 0; spread = 0
      split("ticketfilter ticketfilter+jobcopy ticketfilter+watermark decomposition", names, " ")
      for (k in names) {
        a = v["large:" names[k], "maxrss_kib"]; b = v["small:" names[k], "maxrss_kib"]
        d = a > b ? a - b : b - a
        if (d > spread) spread = d
        if (a - floor > worst) worst = a - floor
        if (b - floor > worst) worst = b - floor
      }
      t5 = ratio("start:ticketfilter", "start:libcups-floor")
      line("pass-through time / cat (large job)", t1, 1.3, "x")
      line("  with the job copy / cat", t1c, 0, "x")
      line("  with a watermark on every page / cat", t1w, 0, "x")
      line("  from a pipe / cat from a pipe", ratio("large:pipe:ticketfilter", "large:pipe:cat"), 0, "x")
      line("decomposition mode time / cat (large job)", t2, 3, "x")
      line("  from a pipe / cat from a pipe",
           ratio("large:pipe:decomposition", "large:pipe:cat(features)"), 0, "x")
      line("peak memory, large job - small job (MiB)", spread / 1024, 1, " MiB")
      line("peak memory above the libcups floor (MiB)", worst / 1024, 2, " MiB")
      line("empty job time / libcups floor", t5, 1.5, "x")
      if (v["large:pstops", "wall_s"] > 0) {
        printf "pstops / cat (large job): %.2fx; ticketfilter is %.1f times as fast as pstops\n",
               ratio("large:pstops", "large:cat"), ratio("large:pstops", "large:ticketfilter")
      }
    }
    function line(what, value, target, unit) {
      if (target > 0) {
        printf "%-50s %9.2f%s %8s%s    %s\n", what, value, unit, "<= " target, unit,
               (value <= target ? "met" : "NOT MET")
      } else {
        printf "%-50s %9.2f%s\n", what, value, unit
      }
    }
  ' "$raw"
} | tee "$out/results.txt"
