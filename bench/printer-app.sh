#!/bin/bash
# A 100-page PDF job through the printer application against the same job through CUPS and the
# filter: wall time from submission to the completed job, and peak memory of the service (or
# scheduler) with every process under it.  Not part of the tests; figures in
# docs/performance.md.
#
#   bench/printer-app.sh [BUILD_DIR] [ROUNDS]     (default: build, 3 rounds; medians reported)
#
# The PDF: the pages of /usr/share/doc/libtasn1-doc/libtasn1.pdf repeated up to 100 (qpdf).
# The app: the service of tests/app/lib.sh on a free port, printer "office" (tf-color-utf8) on a
# file: device, the job sent with ipptool (Print-Job); done when the service lists it completed.
# CUPS: the private scheduler of tests/cups/scheduler.sh, a queue with tf-color-utf8.ppd
# (PDF -> pdftopdf -> pdftops -> pstops -> ticketfilter -> the recording backend), the job sent
# with lp; done when the scheduler logs "Job completed.".  Memory: bench/proc_peak.pl samples the
# service's or the scheduler's process tree every 10 ms (peak of the summed VmRSS; VmHWM of each
# process).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
rounds=${2:-3}
export TF_BIN_DIR=$build/bin TF_SOURCE_DIR=$PWD TF_TOOLS_DIR=$build/tests/bin
. tests/app/lib.sh
. tests/cups/scheduler.sh
require_app_tools qpdf cupsd lp
source_pdf=/usr/share/doc/libtasn1-doc/libtasn1.pdf
[ -f "$source_pdf" ] || { echo "no $source_pdf (Debian: libtasn1-doc)"; exit 1; }

start_cupsd
trap 'set +e; stop_cupsd; app_cleanup' EXIT
# The real pstops, not the tests' recording wrapper.
ln -sf "$SYSTEM_SERVERBIN/filter/pstops" "$W/bin/filter/pstops"
add_queue cups tf-color-utf8.ppd
app_start -o log-level=info
mkdir -p "$W/out/office"
app_add_printer office tf-color-utf8 "file://$W/out/office"

pages=$(qpdf --show-npages "$source_pdf")
copies=$(( (100 + pages - 1) / pages ))
inputs=()
for _ in $(seq "$copies"); do inputs+=("$source_pdf"); done
qpdf --empty --pages "${inputs[@]}" -- "$W/all.pdf"
qpdf --empty --pages "$W/all.pdf" 1-100 -- "$W/job.pdf"
chmod 0644 "$W/job.pdf"
echo "job: $(qpdf --show-npages "$W/job.pdf") pages, $(wc -c <"$W/job.pdf") bytes (from $pages pages)"

now() { date +%s.%N; }
# measure LABEL ROOT_PID COMMAND...: runs COMMAND (which returns once the job completed) with the
# sampler on ROOT_PID's tree; appends "seconds tree_peak_kib root_hwm_kib children" to
# $W/LABEL.results.
measure() {
  local label=$1 root=$2 start end
  shift 2
  rm -f "$W/stop"
  perl bench/proc_peak.pl "$root" "$W/stop" 10 >"$W/peak.txt" &
  local sampler=$!
  sleep 0.2
  start=$(now)
  "$@"
  end=$(now)
  touch "$W/stop"
  wait "$sampler"
  printf '%s %s %s %s\n' "$(awk -v a="$end" -v b="$start" 'BEGIN { printf "%.2f", a - b }')" \
    "$(awk '$1 == "tree_peak_kib" { print $2 }' "$W/peak.txt")" \
    "$(awk '$1 == "root_hwm_kib" { print $2 }' "$W/peak.txt")" \
    "$(awk '$1 == "child_hwm_kib" { printf "%s=%s,", $2, $3 }' "$W/peak.txt")" \
    >>"$W/$label.results"
}

app_job() {
  ipptool -f "$W/job.pdf" -d "job_name=bench$1" -d filetype=application/pdf \
    "$APP_URI/office" "$TF_SOURCE_DIR/tests/app/print-named.test" >/dev/null
  local i
  for i in $(seq 6000); do
    grep -qE " completed .* bench$1\$" <<<"$(app_jobs office)" && return 0
    grep -qE " (aborted|canceled) .* bench$1\$" <<<"$(app_jobs office)" &&
      { echo "app job $1 failed"; exit 1; }
    sleep 0.05
  done
  echo "app job $1 did not complete"
  exit 1
}
cups_job() { JOB_TIMEOUT=600 SUBMIT_FILE=$W/job.pdf submit "bench$1" cups -t "bench$1"; }

for round in $(seq "$rounds"); do
  measure app "$APP_PID" app_job "$round"
  measure cups "$CUPSD_PID" cups_job "$round"
  echo "round $round: app $(tail -n 1 "$W/app.results"); cups $(tail -n 1 "$W/cups.results")"
done

# What each printed: the page count of the PostScript and the size of the stream.
app_out=$W/out/office/bench1.prn
cups_out=$W/printer/job.${JOB[bench1]}.prn
for pair in "app:$app_out" "cups:$cups_out"; do
  echo "${pair%%:*} stream: $(wc -c <"${pair#*:}") bytes, $(grep -ac '^%%Page: ' "${pair#*:}") %%Page lines"
done

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
echo
echo "median of $rounds rounds   wall s   tree peak RSS MiB   root peak RSS MiB"
for label in app cups; do
  printf '%-20s %8s %19.1f %19.1f\n' "$label" \
    "$(awk '{ print $1 }' "$W/$label.results" | median)" \
    "$(awk '{ print $2 / 1024 }' "$W/$label.results" | median)" \
    "$(awk '{ print $3 / 1024 }' "$W/$label.results" | median)"
done
echo "children's peak RSS (KiB, last round): app $(tail -n 1 "$W/app.results" | cut -d' ' -f4)"
echo "                                       cups $(tail -n 1 "$W/cups.results" | cut -d' ' -f4)"
