#!/bin/bash
# The Debian package that package_test.sh built, installed on this system with
# "apt-get install ./ticketfilter_<version>_<arch>.deb", a job run through cupsfilter with the
# installed filter and PPD, then the package purged: nothing of it may be left behind.
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
cleanup() {
  set +e
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
for dir in "$(dirname "$ppd")" /usr/share/doc/ticketfilter; do [ -e "$dir" ] && left="$left $dir"; done
[ -z "$left" ] && pass "nothing of the package is left behind" || fail "left behind:$left"

[ "$FAILURES" -eq 0 ] || { echo "$FAILURES check(s) failed"; exit 1; }
echo "all checks passed"
