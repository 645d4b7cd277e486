#!/bin/bash
# CUPS as a client of the printer application: a private cupsd makes an IPP Everywhere queue
# (`lpadmin -m everywhere`, the PPD made from the printer's own attributes) on the app's printer
# and prints a PDF through it with lp options; the app's file: device receives the printer stream.
#
#   - the queue's PPD comes from the app's attributes (its make, two-sided printing, account
#     attributes, job passwords, PDF taken as it is);
#   - a 3-page PDF sent with job-account-id, two-sided printing and two copies completes in both
#     the scheduler and the app;
#   - its PJL header carries the job's account ID (a ticket from a standard attribute that CUPS's
#     IPP backend passes on), the printer's default print type (a sample print, held for the
#     job's owner), duplex, and the job's title and owner as CUPS sent them; CUPS's IPP backend
#     sends the job's user as its job-accounting-user-id, which goes before the printer's default;
#   - the PostScript after it renders in Ghostscript: two copies of 3 pages, with the printer's
#     default watermark on each.
. "$(dirname "$0")/lib.sh"
. "$TF_SOURCE_DIR/tests/cups/scheduler.sh"
require_app_tools cupsd lpadmin lp lpstat cancel
[ -x "$SYSTEM_SERVERBIN/backend/ipp" ] ||
  { echo "SKIPPED: CUPS's ipp backend is not installed (Debian: cups-daemon)"; exit "$TF_SKIP"; }

# The scheduler's work directory is the app's too: the scheduler first, then the service; both
# are stopped at the end.
start_cupsd
trap 'set +e; stop_cupsd; app_cleanup' EXIT
# The private scheduler knows the backends of its own ServerBin only: CUPS's IPP backend too.
ln -s "$SYSTEM_SERVERBIN/backend/ipp" "$W/bin/backend/ipp"
app_start
mkdir -p "$W/out/office"
app_add_printer office tf-color-utf8 "file://$W/out/office"

# Printer defaults: sample print, a watermark and the accounting user.
cat > "$W/defaults.test" <<'EOF'
{
	NAME "Ticket defaults of the printer"
	OPERATION Set-Printer-Attributes
	GROUP operation-attributes-tag
	ATTR charset attributes-charset utf-8
	ATTR naturalLanguage attributes-natural-language en
	ATTR uri printer-uri $uri
	GROUP printer-attributes-tag
	ATTR keyword ticketfilter-print-type-default sample
	ATTR text ticketfilter-watermark-default "QUEUE MARK"
	ATTR text ticketfilter-accounting-user-id-default "carol"
	STATUS successful-ok
}
EOF
ipp office "$W/defaults.test" >"$W/defaults.txt" 2>&1 ||
  { fail "Set-Printer-Attributes"; cat "$W/defaults.txt"; }

# The IPP Everywhere queue: CUPS asks the printer for its attributes and makes the PPD.
if timeout 60 lpadmin -h "$SOCK" -p everywhere -E -v "$APP_URI/office" -m everywhere \
     >"$W/log/lpadmin.out" 2>&1; then
  pass "lpadmin -m everywhere made a queue on the app's printer"
else
  abort "lpadmin -m everywhere: $(cat "$W/log/lpadmin.out")"
fi
QUEUES+=(everywhere)
# The scheduler makes the PPD after lpadmin returns: wait until it has loaded it.
for _ in $(seq 200); do
  grep -q 'load_ppd: Saving .*/everywhere.data' "$W/log/error_log" && break
  sleep 0.1
done
ppd=$W/etc/ppd/everywhere.ppd
# The make from printer-make-and-model ("Ticket Printer Color"); two-sided printing; the account
# attributes and job passwords that the printer advertises; PDF sent on as PDF.
for line in '*Manufacturer: "Ticket"' '*OpenUI *Duplex: PickOne' '*cupsJobAccountId: True' \
            '*cupsJobAccountingUserId: True' \
            '*cupsFilter2: "application/vnd.cups-pdf application/pdf 10 -"'; do
  grep -qxF "$line" "$ppd" && pass "its PPD: $line" || fail "its PPD lacks $line"
done
grep -q '^\*cupsJobPassword: "1111' "$ppd" && pass "its PPD: *cupsJobPassword (digits)" ||
  fail "its PPD lacks *cupsJobPassword"

write_sized_document a4 3 "Through CUPS" "$W/doc.ps"
to_pdf "$W/doc.ps" "$W/doc.pdf"
chmod 0644 "$W/doc.pdf"
SUBMIT_FILE=$W/doc.pdf JOB_TIMEOUT=90 submit pdf everywhere -t "cups-pdf" -n 2 \
  -o sides=two-sided-long-edge -o job-account-id=CUPS42
pass "the scheduler completed the PDF job (${JOB[pdf]})"
app_wait_idle office 60 || fail "the app did not finish the job"
stream=$W/out/office/cups-pdf.prn
if grep -qE ' completed .* cups-pdf$' <<<"$(app_jobs office)" && [ -s "$stream" ]; then
  pass "the app completed it: $(wc -c <"$stream") bytes in its device file"
else
  fail "the app did not complete it: $(app_jobs office)"
  ls -l "$W/out/office"
fi

# The header: the job's account ID and user from CUPS, the printer's sample print, two-sided.
header=$(sed -n '/^@PJL ENTER LANGUAGE/q; /^@PJL/p' "$stream" 2>/dev/null | tr -d '\r')
check_line() {
  if grep -qxF "$1" <<<"$header"; then pass "header: $1"; else fail "header lacks $1"; fi
}
check_line '@PJL SET JOBATTR="@DAID=CUPS42"'
check_line '@PJL SET HOLD=PROOF'
check_line '@PJL SET JOBATTR="@JOAU=root"'
check_line '@PJL SET JOBNAME="cups-pdf"'
check_line '@PJL SET USERNAME="root"'
check_line '@PJL COMMENT QMJOBINFO DUPLEXTYPE=DUPLEX'
if [ "$FAILURES" -gt 0 ]; then echo "$header"; fi

grep -aqF "(QUEUE MARK)" "$stream" && pass "the PostScript carries the printer's watermark" ||
  fail "no (QUEUE MARK) in the PostScript"
# The two copies are the printer's: the PostScript asks for them, Ghostscript renders both.
if render_pages "$stream" --pages 6 --gray-watermark; then
  pass "renders two copies of 3 pages with the watermark ($(tail -n 1 <<<"$RENDER"))"
else
  fail "does not render as expected"
  echo "$RENDER"
fi
finish
