#!/bin/bash
# The Debian package that package_test.sh built, installed on this system with
# "apt-get install ./ticketfilter_<version>_<arch>.deb", a job run through cupsfilter with the
# installed filter and PPD; the printer application's user made by the package, its unit verified,
# the service run as that user and printed to; then the package purged: nothing of it may be left
# behind (the user stays, as the users of removed packages do).
#
# This changes the system (files under /usr), so it runs only where that is safe: as root, with
# apt-get, when no ticketfilter package is installed and none of the package's files exists yet
# (a "cmake --install" of the project would be overwritten and then removed).  Elsewhere it is
# reported as skipped; TF_PACKAGE_INSTALL=0 skips it on purpose.  CI (a fresh Debian 12, as root)
# runs it.  Environment: TF_BUILD_DIR.
. "$(dirname "$0")/lib.sh"
skip() { echo "SKIPPED: $*"; exit "$TF_SKIP"; }
[ "${TF_PACKAGE_INSTALL:-1}" != 0 ] || skip "TF_PACKAGE_INSTALL=0"
[ "$(id -u)" = 0 ] || skip "installing a package needs root"
for tool in apt-get dpkg dpkg-deb cupsfilter; do
  command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done
if grep -q '^TICKETFILTER_SANITIZE:BOOL=ON$' "$TF_BUILD_DIR/CMakeCache.txt"; then
  skip "the package is built from an ordinary build, not from this sanitizer build"
fi
deb=$(ls "$TF_BUILD_DIR"/package/ticketfilter_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { echo "FAIL: no package in $TF_BUILD_DIR/package (cups.package builds it)"; exit 1; }
if dpkg-query -W -f='${Status}' ticketfilter 2>/dev/null | grep -q 'installed'; then
  skip "a ticketfilter package is already installed on this system"
fi
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }')
for file in $files; do
  [ ! -e "$file" ] || skip "$file exists already (installed by other means)"
done
make_workdir
installed=0
app_pid=
# Stops the installed service this test started.  $app_pid is runuser's, which does not pass a
# signal on to the service it waits for: the service is found by its state folder.
stop_service() {
  [ -n "$app_pid" ] || return 0
  local pattern="ticketfilter-app server -o state-directory=$W/app/state"
  pkill -TERM -f -- "$pattern" 2>/dev/null || true
  for _ in $(seq 100); do pgrep -f -- "$pattern" >/dev/null || break; sleep 0.1; done
  pkill -KILL -f -- "$pattern" 2>/dev/null || true
  kill -KILL "$app_pid" 2>/dev/null || true
  wait "$app_pid" 2>/dev/null || true
  app_pid=
  return 0
}
cleanup() {
  set +e
  stop_service
  # Whatever happened, the system is left as it was found.
  if [ "$installed" = 1 ] && dpkg-query -W -f='${Status}' ticketfilter 2>/dev/null | grep -q installed; then
    apt-get purge -y -qq -o DPkg::Lock::Timeout=120 ticketfilter >/dev/null 2>&1
  fi
  remove_workdir
}
trap cleanup EXIT
export DEBIAN_FRONTEND=noninteractive

# ---- install ------------------------------------------------------------------------------------
cp "$deb" "$W/"  # apt reads it as its own user from a folder it can reach
chmod 0644 "$W/$(basename "$deb")"
installed=1
if apt-get install -y -qq -o DPkg::Lock::Timeout=120 "$W/$(basename "$deb")" >"$W/install.log" 2>&1; then
  pass "apt-get install ./$(basename "$deb")"
else
  echo "FAIL: apt-get install"
  tail -n 20 "$W/install.log"
  exit 1
fi
dpkg-query -W -f='${Status}' ticketfilter | grep -q 'install ok installed' &&
  pass "dpkg knows ticketfilter as installed" || fail "dpkg status: $(dpkg-query -W -f='${Status}' ticketfilter)"
serverbin=$(cups-config --serverbin 2>/dev/null || echo /usr/lib/cups)
for program in ticketfilter ticketfilter-basic; do
  mode=$(stat -c '%a %U' "$serverbin/filter/$program" 2>/dev/null)
  [ "$mode" = "755 root" ] && pass "$serverbin/filter/$program: 755, root" ||
    fail "$serverbin/filter/$program: '$mode'"
done

# ---- a job through cupsfilter with the installed filter and PPD ------------------------------
ppd=$(dpkg -L ticketfilter | grep '/tf-color-utf8\.ppd$')
mkdir -p "$W/conf" "$W/home"
printf 'ServerBin %s\nDataDir /usr/share/cups\n' "$serverbin" > "$W/conf/cups-files.conf"
export CUPS_SERVER=$W/no-server.sock CUPS_SERVERROOT=$W/conf HOME=$W/home LANG=C LC_ALL=C
write_document 2 "$W/document.ps"
if timeout 60 cupsfilter -c "$W/conf/cups-files.conf" -p "$ppd" -e -m printer/tf -U tux \
     -t Report -o job-password=1234 -o finishings=20 "$W/document.ps" >"$W/job.prn" 2>"$W/job.err" &&
   grep -q "^INFO: ticketfilter (PID [0-9]*) exited with no errors" "$W/job.err"; then
  pass "cupsfilter ran the installed ticketfilter on the installed $(basename "$ppd")"
else
  fail "cupsfilter: $(grep -v '^DEBUG' "$W/job.err" | tail -n 5)"
fi
header=$(sed -n '1,/^@PJL ENTER LANGUAGE=POSTSCRIPT$/p' "$W/job.prn" | tr -d '\r')
for line in '@PJL SET HOLD=STORE' '@PJL SET HOLDTYPE=PRIVATE' '@PJL SET USERNAME="tux"' \
            '@PJL SET HOLDENCRYPTKEY="1234"' '@PJL SET JOBNAME="Report"' \
            '@PJL COMMENT QMJOBINFO STAPLEEX=TOPLEFT'; do
  grep -qxF "$line" <<<"$header" && pass "the job's header holds $line" ||
    fail "the job's header lacks $line"
done
cmp -s <(tail -c "$(trailer | wc -c)" "$W/job.prn") <(trailer) &&
  pass "the job ends with the PJL trailer" || fail "the job does not end with the PJL trailer"

# ---- the printer application as its systemd unit runs it ---------------------------------------
# No systemd manages services here: the service is started by hand the way its unit starts it
# (its user, TMPDIR its runtime folder, a state folder of its own), and a printer is added and
# printed to with the installed program.
if dpkg -L ticketfilter | grep -qx /usr/bin/ticketfilter-app; then
  unit=$(dpkg -L ticketfilter | grep '/ticketfilter-app\.service$')
  if id -nG ticketfilter-app 2>/dev/null | grep -qw lp; then
    pass "the package made the user ticketfilter-app, in the group lp"
  else
    fail "no user ticketfilter-app in the group lp: $(id ticketfilter-app 2>&1)"
  fi
  if command -v systemd-analyze >/dev/null 2>&1; then
    systemd-analyze verify --man=no "$unit" >"$W/verify.txt" 2>&1 && [ ! -s "$W/verify.txt" ] &&
      pass "systemd-analyze verify $unit" || fail "systemd-analyze verify: $(cat "$W/verify.txt")"
  fi
  port=$(perl -MIO::Socket::INET -e 'print IO::Socket::INET->new(Listen => 1,
    LocalAddr => "127.0.0.1", LocalPort => 0)->sockport')
  mkdir -p "$W/app/run" "$W/app/state" "$W/app/out"
  chown ticketfilter-app "$W/app/run" "$W/app/state" "$W/app/out"
  chmod 0700 "$W/app/run" "$W/app/state"
  as_service() {
    runuser -u ticketfilter-app -- env TMPDIR="$W/app/run" /usr/bin/ticketfilter-app "$@"
  }
  as_service server -o state-directory="$W/app/state" -o log-file="$W/app/state/log" \
    -o server-port="$port" >"$W/app/server.out" 2>&1 &
  app_pid=$!
  for _ in $(seq 100); do
    [[ "$(as_service status 2>/dev/null)" == Running* ]] && break
    sleep 0.1
  done
  if as_service add -d office -m tf-color-utf8 -v "file://$W/app/out" >"$W/app/add.out" 2>&1; then
    pass "the installed service runs as ticketfilter-app and takes a printer"
  else
    fail "the installed service: $(cat "$W/app/server.out" "$W/app/add.out")"
  fi
  sleep 1
  cat > "$W/app/print.test" <<'EOF'
{
	OPERATION Print-Job
	GROUP operation-attributes-tag
	ATTR charset attributes-charset utf-8
	ATTR naturalLanguage attributes-natural-language en
	ATTR uri printer-uri $uri
	ATTR name requesting-user-name tux
	ATTR name job-name installed
	ATTR mimeMediaType document-format application/postscript
	GROUP job-attributes-tag
	ATTR name job-account-id PKG1
	FILE $filename
	STATUS successful-ok
}
EOF
  ipptool -f "$W/document.ps" "ipp://localhost:$port/ipp/print/office" "$W/app/print.test" \
    >"$W/app/print.out" 2>&1 || fail "Print-Job to the installed service: $(cat "$W/app/print.out")"
  for _ in $(seq 300); do
    grep -aq '@PJL EOJ' "$W/app/out/installed.prn" 2>/dev/null && break
    sleep 0.1
  done
  grep -aq '^@PJL SET JOBATTR="@DAID=PKG1"' "$W/app/out/installed.prn" 2>/dev/null &&
    pass "the installed service printed the job with its account ID" ||
    fail "no @DAID=PKG1 in what the installed service printed"
  stop_service
  pgrep -u ticketfilter-app -f "ticketfilter-app server" >/dev/null &&
    fail "the installed service still runs after it was stopped" ||
    pass "the installed service stopped"
fi

# ---- remove: nothing is left ------------------------------------------------------------------
if apt-get purge -y -qq -o DPkg::Lock::Timeout=120 ticketfilter >"$W/purge.log" 2>&1; then
  pass "apt-get purge ticketfilter"
else
  fail "apt-get purge: $(tail -n 5 "$W/purge.log")"
fi
installed=0
dpkg-query -W -f='${Status}' ticketfilter 2>/dev/null | grep -q 'installed' &&
  fail "dpkg still lists ticketfilter" || pass "dpkg no longer lists ticketfilter"
left=
for file in $files; do [ -e "$file" ] && left="$left $file"; done
for dir in "$(dirname "$ppd")" /usr/share/doc/ticketfilter /var/lib/ticketfilter-app; do
  [ -e "$dir" ] && left="$left $dir"
done
[ -z "$left" ] && pass "nothing of the package is left behind" || fail "left behind:$left"

[ "$FAILURES" -eq 0 ] || { echo "$FAILURES check(s) failed"; exit 1; }
echo "all checks passed"
