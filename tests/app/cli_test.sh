#!/bin/bash
# The sub-commands the framework gives the program, against a running service: drivers, add,
# printers, default, status, options, pause, resume, submit, jobs, cancel, delete, shutdown; and
# devices, which the framework's client would abort in without an Avahi daemon (run in a network
# namespace of its own when this user may make one, so that its network discovery stays on this
# machine).
#
# PAPPL 1.3 gives a printer added while the service runs the printer-id 0 until the service
# starts again (printer.c adds the id it was asked for, not the one it assigned), and `default`
# and `delete` find printers by that id: they are run after a restart.
. "$(dirname "$0")/lib.sh"
require_app_tools

app_start
drivers=$($APP drivers)
for driver in tf-color-utf8 tf-mono-bytemode tf-mono-decomp tf-basic; do
  grep -q "^$driver " <<<"$drivers" && pass "drivers lists $driver" || fail "drivers lacks $driver"
done
mkdir -p "$W/out/a" "$W/out/b"
$APP add -d alpha -m tf-mono-bytemode -v "file://$W/out/a" && pass "add alpha" || fail "add alpha"
$APP add -d beta -m tf-basic -v "file://$W/out/b" && pass "add beta" || fail "add beta"
if $APP add -d gamma -m tf-unknown -v "file://$W/out/a" 2>/dev/null; then
  fail "add with an unknown driver succeeded"
else
  pass "add with an unknown driver is refused"
fi
[ "$($APP printers | sort | tr '\n' ' ')" = "alpha beta " ] && pass "printers: alpha beta" ||
  fail "printers: $($APP printers | tr '\n' ' ')"
grep -q '^Running' <<<"$($APP status)" && pass "status: running" || fail "status: $($APP status)"
grep -q 'media=iso_a4_210x297mm' <<<"$($APP options -d alpha)" && pass "options lists the media" ||
  fail "options lacks the media"
app_restart
if $APP default -d beta && [ "$($APP default)" = beta ]; then
  pass "default beta"
else
  fail "default: $($APP default)"
fi

write_document 2 "$W/doc.ps"
$APP pause -d alpha
id=$($APP submit -d alpha -t held "$W/doc.ps") && pass "submit: $id" || fail "submit"
grep -qE '^1 +pending ' <<<"$($APP jobs -d alpha)" && pass "jobs: 1 pending" ||
  fail "jobs: $($APP jobs -d alpha)"
$APP cancel -d alpha -j 1 && pass "cancel job 1" || fail "cancel"
grep -qE '^1 +canceled ' <<<"$($APP jobs -d alpha)" && pass "jobs: 1 canceled" ||
  fail "jobs after cancel: $($APP jobs -d alpha)"
$APP resume -d alpha
$APP submit -d alpha -t printed "$W/doc.ps" >/dev/null
app_wait_idle alpha 30 || fail "alpha: jobs left"
[ -s "$W/out/a/printed.prn" ] && pass "submit prints through the local socket" ||
  fail "nothing printed"
if $APP delete -d beta && [ "$($APP printers)" = alpha ]; then
  pass "delete beta"
else
  fail "delete: $($APP printers)"
fi

if unshare -n true 2>/dev/null; then
  if unshare -n env TMPDIR="$W/tmp" "$TF_BIN_DIR/ticketfilter-app" devices \
       >"$W/devices.txt" 2>&1; then
    pass "devices without an Avahi daemon: lists what it can ($(wc -l <"$W/devices.txt") lines)"
  else
    fail "devices failed"
    cat "$W/devices.txt"
  fi
else
  echo "devices: not run (no network namespace for this user, and it looks for printers on the" \
       "network)"
fi

$APP shutdown && pass "shutdown" || fail "shutdown"
for _ in $(seq 100); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$APP_PID" 2>/dev/null; then
  fail "the service still runs after shutdown"
else
  wait "$APP_PID" 2>/dev/null && pass "the service ended" || pass "the service ended ($?)"
  APP_PID=
fi
finish
