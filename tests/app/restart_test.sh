#!/bin/bash
# A restart of the service loses no queued job, nor a printer or its settings.
#
#   1. A slow PDF prints (Ghostscript works on it for seconds) with two jobs queued behind it;
#      the service is killed outright in the middle (SIGKILL: a crash, or a power cut).  Its
#      Ghostscript goes with it.  Started again, the interrupted job prints again from the
#      start, and the two queued ones print.
#   2. On a paused printer, a secure-print job (job-password among the request's operation
#      attributes, which the framework does not keep) and a plain one wait; the service is killed
#      again.  Started again, the printer takes its jobs up by itself, and the secure job still
#      has its password.
#   3. The printer and a ticket default set before are still there.
. "$(dirname "$0")/lib.sh"
require_app_tools

app_start
mkdir -p "$W/out/office"
app_add_printer office tf-color-utf8 "file://$W/out/office"
$APP modify -d office -o ticketfilter-account-id-default=DEPT7 || fail "modify"
DATA=$TF_SOURCE_DIR/tests/data/convert
write_document 2 "$W/queued.ps"

# ---- 1. killed in the middle of a job ----------------------------------------------------------
print_named office "$DATA/slow.pdf" application/pdf slow
print_named office "$W/queued.ps" application/postscript queued1
print_named office "$W/queued.ps" application/postscript queued2
for _ in $(seq 100); do
  grep -qE ' processing .* slow$' <<<"$(app_jobs office)" && break
  sleep 0.1
done
grep -qE ' processing .* slow$' <<<"$(app_jobs office)" || fail "the slow job did not start"
sleep 1.5  # the state is saved within a second of a change
app_kill
sleep 0.5
if pgrep -f "$W/state/spool" >/dev/null; then
  fail "Ghostscript outlived the service: $(pgrep -af "$W/state/spool")"
else
  pass "the service's Ghostscript went with it"
fi
app_start
app_wait_idle office 120 || fail "jobs left after the restart"
for job in slow queued1 queued2; do
  if grep -qE " completed .* $job\$" <<<"$(app_jobs office)"; then
    pass "$job: completed after the restart"
  else
    fail "$job: $(app_jobs office | grep " $job\$")"
  fi
done
grep -q 'was printing when the service stopped; it prints again' "$W/app.log" &&
  pass "the log names the job that printed again" || fail "no log line for the interrupted job"
render_pages "$W/out/office/slow.prn" --pages 1 && pass "slow: whole" || fail "slow: $RENDER"
for job in queued1 queued2; do
  render_pages "$W/out/office/$job.prn" --pages 2 && pass "$job: whole" || fail "$job: $RENDER"
done

# ---- 2. killed with jobs waiting on a paused printer -------------------------------------------
$APP pause -d office || fail "pause"
ipp office /usr/share/cups/ipptool/print-job-password.test -f "$W/queued.ps" \
  -d filetype=application/postscript >"$W/secure.txt" 2>&1 ||
  { fail "print-job-password.test"; cat "$W/secure.txt"; }
print_named office "$W/queued.ps" application/postscript waiting
sleep 1.5
waiting=$(app_jobs office | grep -c ' pending ') || true
[ "$waiting" = 2 ] && pass "two jobs wait on the paused printer" || fail "$waiting jobs wait"
app_kill
app_start
app_wait_idle office 60 || fail "the waiting jobs were not printed after the restart"
if grep -qE ' completed .* waiting$' <<<"$(app_jobs office)"; then
  pass "waiting: completed after the restart"
else
  fail "waiting: $(app_jobs office | grep ' waiting$')"
fi
if grep -aq '^@PJL SET HOLDENCRYPTKEY="1234"' "$W/out/office/Untitled.prn" 2>/dev/null; then
  pass "the secure job kept its password across the restart"
else
  fail "the secure job lost its password:" \
    "$(grep -a '^@PJL SET HOLD' "$W/out/office/Untitled.prn" 2>/dev/null)"
fi
[ -z "$(ls "$W/state/requests")" ] && pass "no request attributes are kept for ended jobs" ||
  fail "request attributes left: $(ls "$W/state/requests")"

# ---- 3. printers and their settings ------------------------------------------------------------
[ "$($APP printers)" = office ] && pass "the printer is still there" ||
  fail "printers: $($APP printers)"
grep -aq '^@PJL SET JOBATTR="@DAID=DEPT7"' "$W/out/office/waiting.prn" &&
  pass "the printer's account default still applies" || fail "the account default was lost"
finish
