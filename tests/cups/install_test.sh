#!/bin/bash
# "cmake --install" into a staging directory (DESTDIR), under a strict umask: both filters land in
# the CUPS filter directory with mode 0755 and owned by the installing user (root-owned when root
# installs, as CUPS requires), the sample PPDs in the CUPS model directory, the manual pages in
# man8, the README and the ticket reference with mode 0644; our own directories are 0755, so that
# the spooler's user reaches them.
# Environment: TF_BUILD_DIR, TF_FILTER_DIR, TF_PPD_DIR, TF_MAN_DIR, TF_DOC_DIR (absolute install
# paths).
. "$(dirname "$0")/lib.sh"
make_workdir
trap remove_workdir EXIT

# Every install rule of the project is in the default component; installing it by name leaves the
# build's install_manifest.txt (which README's removal command reads) as the real install wrote it.
manifest=$TF_BUILD_DIR/install_manifest_Unspecified.txt
trap 'rm -f "$manifest"; remove_workdir' EXIT
(umask 077 && DESTDIR="$W/stage" cmake --install "$TF_BUILD_DIR" --component Unspecified \
  >"$W/install.log" 2>&1) || { echo "FAIL: cmake --install"; cat "$W/install.log"; exit 1; }
me=$(id -u)

expect_file() {  # path mode
  local path=$W/stage$1 mode
  if [ ! -f "$path" ]; then fail "$1 is not installed"; return; fi
  mode=$(stat -c '%a %u' "$path")
  [ "$mode" = "$2 $me" ] && pass "$1: mode $2, owned by uid $me" ||
    fail "$1: mode and owner are '$mode', expected '$2 $me'"
}
expect_file "$TF_FILTER_DIR/ticketfilter" 755
expect_file "$TF_FILTER_DIR/ticketfilter-basic" 755
for ppd in "$TF_SOURCE_DIR"/ppd/*.ppd; do expect_file "$TF_PPD_DIR/$(basename "$ppd")" 644; done
expect_file "$TF_MAN_DIR/man8/ticketfilter.8" 644
expect_file "$TF_MAN_DIR/man8/ticketfilter-basic.8" 644
expect_file "$TF_DOC_DIR/tickets.md" 644
expect_file "$TF_DOC_DIR/README.md" 644

# The printer application, where the build has it: the program, its systemd unit naming the
# program where this install put it, its user's sysusers.d entry; all in the install's manifest.
if [ -x "$TF_BIN_DIR/ticketfilter-app" ]; then
  expect_file "$TF_INSTALL_BIN_DIR/ticketfilter-app" 755
  expect_file "$TF_UNIT_DIR/ticketfilter-app.service" 644
  expect_file "$TF_SYSUSERS_DIR/ticketfilter-app.conf" 644
  grep -q "^ExecStart=$TF_INSTALL_BIN_DIR/ticketfilter-app server " \
    "$W/stage$TF_UNIT_DIR/ticketfilter-app.service" 2>/dev/null &&
    pass "the unit runs $TF_INSTALL_BIN_DIR/ticketfilter-app" ||
    fail "the unit's ExecStart: $(grep ExecStart "$W/stage$TF_UNIT_DIR/ticketfilter-app.service")"
  for file in "$TF_INSTALL_BIN_DIR/ticketfilter-app" "$TF_UNIT_DIR/ticketfilter-app.service" \
              "$TF_SYSUSERS_DIR/ticketfilter-app.conf"; do
    grep -qxF "$file" "$manifest" && pass "the manifest lists $file" ||
      fail "the manifest lacks $file"
  done
fi

# The installed programs are the built ones.
cmp -s "$W/stage$TF_FILTER_DIR/ticketfilter" "$TF_BIN_DIR/ticketfilter" &&
  cmp -s "$W/stage$TF_FILTER_DIR/ticketfilter-basic" "$TF_BIN_DIR/ticketfilter-basic" &&
  pass "the installed filters are the built programs" || fail "the installed filters differ"

# The directories that are ours alone can be read by the spooler's user whatever the umask (the
# others exist on a system with CUPS; here in the staging directory they follow the umask).
for dir in "$TF_PPD_DIR" "$TF_DOC_DIR"; do
  mode=$(stat -c %a "$W/stage$dir")
  [ "$mode" = 755 ] && pass "$dir: mode 755" || fail "$dir: mode $mode, expected 755"
done

# The manual pages format without a warning; ticketfilter-basic(8) is the same page.
if command -v man >/dev/null 2>&1; then
  warnings=$(MANWIDTH=80 man --warnings -l "$W/stage$TF_MAN_DIR/man8/ticketfilter.8" 2>&1 >/dev/null)
  [ -z "$warnings" ] && pass "ticketfilter.8 formats without a warning" ||
    fail "ticketfilter.8: $warnings"
fi
grep -qx '\.so man8/ticketfilter\.8' "$W/stage$TF_MAN_DIR/man8/ticketfilter-basic.8" &&
  pass "ticketfilter-basic.8 points to ticketfilter.8" || fail "ticketfilter-basic.8"

[ "$FAILURES" -eq 0 ] || { echo "$FAILURES check(s) failed"; exit 1; }
echo "all checks passed"
