#!/bin/bash
# Who may change the printers' settings.
#
#   - Listening on this machine only (the default), the printer's web page ("Printing Defaults",
#     with its form token) and IPP (Set-Printer-Attributes) change a ticket default without a
#     login, and the next job carries it.
#   - Listening on every address, the settings need a user of the administrators' group whom PAM
#     accepts (here a PAM service that accepts no one): the web page, its form and
#     Set-Printer-Attributes are refused without credentials and with wrong ones, the default
#     stays as it was, and printing still needs no login.
. "$(dirname "$0")/lib.sh"
require_app_tools curl

# The web form of printer $1's defaults with the fields field=value... given, as a browser sends
# it: the page first, for its form token and cookie.
form_post() {
  local printer=$1 page token
  shift
  page=$(curl -s -c "$W/cookies" "http://localhost:$APP_PORT/$printer/printing") || true
  token=$(sed -n 's/.*name="session" value="\([^"]*\)".*/\1/p' <<<"$page" | head -n 1)
  local args=(-s -b "$W/cookies" -d "session=$token")
  for field in "$@"; do args+=(--data-urlencode "$field"); done
  curl "${args[@]}" "http://localhost:$APP_PORT/$printer/printing" || true
}

account_default() {
  cat > "$W/get.test" <<'EOF'
{
	NAME "Account default"
	OPERATION Get-Printer-Attributes
	GROUP operation-attributes-tag
	ATTR charset attributes-charset utf-8
	ATTR naturalLanguage attributes-natural-language en
	ATTR uri printer-uri $uri
	ATTR keyword requested-attributes ticketfilter-account-id-default
	STATUS successful-ok
	EXPECT ticketfilter-account-id-default OF-TYPE text WITH-VALUE "$value"
}
EOF
  ipp office "$W/get.test" -d "value=$1" >/dev/null 2>&1
}

# ---- on this machine only ----------------------------------------------------------------------
app_start
mkdir -p "$W/out/office"
app_add_printer office tf-color-utf8 "file://$W/out/office"
answer=$(form_post office "ticketfilter-account-id=WEB1")
if grep -q 'class="banner">Changes saved.' <<<"$answer"; then
  pass "local: the web form saves a ticket default"
else
  fail "local: the web form did not save"
fi
account_default WEB1 && pass "local: the default is WEB1" || fail "local: the default is not WEB1"
write_document 1 "$W/doc.ps"
print_named office "$W/doc.ps" application/postscript fromweb
app_wait_idle office 30
grep -aq '^@PJL SET JOBATTR="@DAID=WEB1"' "$W/out/office/fromweb.prn" &&
  pass "local: the next job carries the default set on the web page" ||
  fail "local: the job lacks @DAID=WEB1"
if ipp office "$TF_SOURCE_DIR/tests/app/set-default.test" -d value=IPP2 \
     >/dev/null 2>&1 && account_default IPP2; then
  pass "local: Set-Printer-Attributes sets it without a login"
else
  fail "local: Set-Printer-Attributes did not set it"
fi
app_stop

# ---- open to the network: settings behind PAM --------------------------------------------------
app_start -o listen-hostname='*' -o auth-service=ticketfilter-app-test-none
code=$(curl -s -o /dev/null -w '%{http_code}' "http://localhost:$APP_PORT/office/printing") || true
[ "$code" = 401 ] && pass "open: the web page asks for a login (401)" ||
  fail "open: web page gave $code"
code=$(curl -s -o /dev/null -w '%{http_code}' -u nobody:wrong \
  "http://localhost:$APP_PORT/office/printing") || true
[ "$code" = 401 ] && pass "open: a wrong login is refused (401)" ||
  fail "open: a wrong login gave $code"
code=$(curl -s -o /dev/null -w '%{http_code}' -d "ticketfilter-account-id=EVIL" \
  "http://localhost:$APP_PORT/office/printing") || true
[ "$code" = 401 ] && pass "open: the form is refused (401)" || fail "open: the form gave $code"
if ipp office "$TF_SOURCE_DIR/tests/app/set-default.test" -d value=EVIL \
     >"$W/set.txt" 2>&1; then
  fail "open: Set-Printer-Attributes was taken without a login"
else
  pass "open: Set-Printer-Attributes is refused without a login"
fi
account_default IPP2 && pass "open: the default is still IPP2" || fail "open: the default changed"
print_named office "$W/doc.ps" application/postscript open
app_wait_idle office 30
if grep -qE ' completed .* open$' <<<"$(app_jobs office)"; then
  pass "open: printing needs no login"
else
  fail "open: the job did not print: $(app_jobs office | grep ' open$')"
fi
finish
