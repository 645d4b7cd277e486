#!/bin/bash
# A printer's ticket defaults set through its web pages in a real browser (headless Chromium,
# driven through ChromeDriver by browser.pl), then a job without tickets of its own carries them.
#
#   1. the service on a free port with a printer "office" (tf-color-utf8, file: device);
#   2. the browser opens the printer's page, follows "Printing Defaults", types an account ID and
#      a watermark text into the form and sends it with the form's button; the answer says
#      "Changes saved." and shows the new values;
#   3. IPP (Get-Printer-Attributes) reports the same defaults;
#   4. a PostScript job with no tickets prints: its PJL header carries the account ID, its
#      PostScript the watermark text, and Ghostscript renders its pages with the grey watermark.
. "$(dirname "$0")/lib.sh"
require_app_tools curl
for tool in chromium chromedriver; do
  command -v "$tool" >/dev/null 2>&1 ||
    { echo "SKIPPED: $tool is not installed (Debian: chromium, chromium-driver)"; exit "$TF_SKIP"; }
done

DRIVER_PID=
stop_driver() {
  if [ -n "$DRIVER_PID" ]; then
    kill -TERM "$DRIVER_PID" 2>/dev/null || true
    wait "$DRIVER_PID" 2>/dev/null || true
    DRIVER_PID=
  fi
}

app_start
trap 'stop_driver; app_cleanup' EXIT
mkdir -p "$W/out/office" "$W/profile"
app_add_printer office tf-color-utf8 "file://$W/out/office"

# ChromeDriver on a free port of this machine, answering only local clients.
driver_port=$(free_port)
chromedriver --port="$driver_port" --allowed-ips=127.0.0.1 --log-path="$W/chromedriver.log" \
  >"$W/chromedriver.out" 2>&1 &
DRIVER_PID=$!
for i in $(seq 100); do
  curl -s "http://127.0.0.1:$driver_port/status" 2>/dev/null | grep -q '"ready": *true' && break
  if ! kill -0 "$DRIVER_PID" 2>/dev/null; then
    fail "chromedriver ended"
    cat "$W/chromedriver.out"
    break
  fi
  sleep 0.1
done

account=BROWSER7
mark="BROWSER MARK"
if perl "$TF_SOURCE_DIR/tests/app/browser.pl" "http://127.0.0.1:$driver_port" \
     "http://localhost:$APP_PORT/office" "$W/profile" "$W/answer.png" \
     "ticketfilter-account-id=$account" "ticketfilter-watermark=$mark" >"$W/browser.txt" 2>&1; then
  pass "the browser opened the pages and sent the form"
else
  fail "the browser did not get through the pages:"
  cat "$W/browser.txt"
  tail -n 20 "$W/chromedriver.log" 2>/dev/null || true
fi
sed 's/^/     /' "$W/browser.txt"
grep -qx "link http://localhost:$APP_PORT/office/printing" "$W/browser.txt" &&
  pass "the printer's page links to its defaults" || fail "no link to office/printing"
grep -qx "typed ticketfilter-account-id=$account" "$W/browser.txt" &&
  grep -qx "typed ticketfilter-watermark=$mark" "$W/browser.txt" &&
  pass "the form took the values typed" || fail "the form fields did not take the values"
grep -qx "banner Changes saved." "$W/browser.txt" &&
  pass "the answer says \"Changes saved.\"" || fail "no \"Changes saved.\" banner"
grep -qx "shown ticketfilter-account-id=$account" "$W/browser.txt" &&
  grep -qx "shown ticketfilter-watermark=$mark" "$W/browser.txt" &&
  pass "the answer shows the new defaults" || fail "the answer does not show the new defaults"
[ -s "$W/answer.png" ] && [ "$(head -c 4 "$W/answer.png" | tail -c 3)" = PNG ] &&
  pass "a screenshot of the answer" || fail "no screenshot"

# The same defaults through IPP.
cat > "$W/get.test" <<'EOF'
{
	NAME "Ticket defaults"
	OPERATION Get-Printer-Attributes
	GROUP operation-attributes-tag
	ATTR charset attributes-charset utf-8
	ATTR naturalLanguage attributes-natural-language en
	ATTR uri printer-uri $uri
	ATTR keyword requested-attributes ticketfilter-account-id-default,ticketfilter-watermark-default
	STATUS successful-ok
	EXPECT ticketfilter-account-id-default OF-TYPE text WITH-VALUE "$account"
	EXPECT ticketfilter-watermark-default OF-TYPE text WITH-VALUE "$mark"
}
EOF
if ipp office "$W/get.test" -d "account=$account" -d "mark=$mark" >"$W/get.txt" 2>&1; then
  pass "IPP reports the defaults set in the browser"
else
  fail "IPP does not report them:"
  cat "$W/get.txt"
fi

# A job without tickets of its own.
write_document 2 "$W/doc.ps"
print_named office "$W/doc.ps" application/postscript plain
app_wait_idle office 30 || fail "the job did not end"
stream=$W/out/office/plain.prn
if grep -aq "^@PJL SET JOBATTR=\"@DAID=$account\"" "$stream"; then
  pass "the job's PJL header carries the account ID set in the browser"
else
  fail "no @DAID=$account in the job's header:"
  sed -n '/^@PJL/p' "$stream" 2>/dev/null | head -n 30
fi
grep -aqF "($mark)" "$stream" && pass "the job's PostScript carries the watermark text" ||
  fail "no ($mark) in the job's PostScript"
if render_pages "$stream" --pages 2 --gray-watermark; then
  pass "the job renders its 2 pages with the watermark ($(tail -n 1 <<<"$RENDER"))"
else
  fail "the job does not render as expected"
  echo "$RENDER"
fi
stop_driver
finish
