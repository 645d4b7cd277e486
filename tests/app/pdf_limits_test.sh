#!/bin/bash
# PDFs that Ghostscript cannot finish are stopped, and the service goes on serving.
#
# The service runs with a PDF time limit of 3 s and a limit of 1 MiB on the PostScript a PDF may
# become.  An endless PDF (a page of 10^9 paths, 22 KB, that Ghostscript works on for hours and
# writes nothing of) is stopped at the time limit, a huge one (a page whose drawing expands to
# 360 MB) at the size limit: each job is aborted with the reason
# as its job-state-message, the printer receives nothing of it, no Ghostscript is left running,
# and a plain PDF sent next prints.
. "$(dirname "$0")/lib.sh"
require_app_tools

app_start -o pdf-time-limit=3 -o pdf-output-limit=1
mkdir -p "$W/out/office"
app_add_printer office tf-color-utf8 "file://$W/out/office"
DATA=$TF_SOURCE_DIR/tests/data/convert
start=$SECONDS
print_named office "$DATA/endless.pdf" application/pdf endless
print_named office "$DATA/huge.pdf" application/pdf huge
print_named office "$DATA/two-pages.pdf" application/pdf after
app_wait_idle office 60 || fail "jobs left"
echo "the three jobs took $((SECONDS - start)) s"

# Job $1 is in state $2 (8 aborted, 9 completed) with the job-state-message $3.
job_state() {
  local id=$1 state=$2 message=$3 what=$4
  if ipp office "$TF_SOURCE_DIR/tests/app/job-state.test" -d "job_id=$id" -d "state=$state" \
       -d "message=$message" >"$W/state$id.txt" 2>&1; then
    pass "$what: $state, \"$message\""
  else
    fail "$what: not $state with \"$message\""
    grep -E 'GOT|EXPECTED' "$W/state$id.txt"
  fi
}
job_state 1 8 "The PDF could not be converted within 3 s; the job was stopped." "endless PDF"
job_state 2 8 "The PDF's PostScript would be larger than 1 MiB; the job was stopped." \
  "huge PDF"
job_state 3 9 "Job completed." "the next PDF"
for job in endless huge; do
  if [ -s "$W/out/office/$job.prn" ]; then
    fail "$job: the printer received something"
  else
    pass "$job: the printer received nothing"
  fi
done
if render_pages "$W/out/office/after.prn" --pages 2; then
  pass "after: two pages render"
else
  fail "after: does not render"
  echo "$RENDER"
fi
if pgrep -f "$W/state/spool" >/dev/null; then
  fail "a Ghostscript of the service still runs: $(pgrep -af "$W/state/spool")"
else
  pass "no Ghostscript is left running"
fi
finish
