#!/bin/bash
# The Debian package: "cpack -G DEB" builds ticketfilter_<version>_<arch>.deb from the build tree
# into $TF_BUILD_DIR/package (where package_install_test.sh takes it), and dpkg-deb shows its
# control fields and its files: the filters root-owned with mode 0755 in the CUPS filter folder,
# the sample PPDs in the CUPS model folder, the manual pages and the documents, and, where the
# build has it, the printer application with its systemd unit, its user's sysusers.d entry and
# the scripts that make the user and stop the service; nothing else.
# Environment: TF_BUILD_DIR, TF_SOURCE_DIR, TF_FILTER_DIR, TF_PPD_DIR, TF_UNIT_DIR, TF_SYSUSERS_DIR.
. "$(dirname "$0")/lib.sh"
for tool in cpack dpkg-deb dpkg-shlibdeps dpkg objdump strip; do
  command -v "$tool" >/dev/null 2>&1 ||
    { echo "SKIPPED: $tool is not installed (Debian: cmake, dpkg-dev)"; exit "$TF_SKIP"; }
done
if grep -q '^TICKETFILTER_SANITIZE:BOOL=ON$' "$TF_BUILD_DIR/CMakeCache.txt"; then
  echo "SKIPPED: the package is built from an ordinary build, not from this sanitizer build"
  exit "$TF_SKIP"
fi
make_workdir
trap remove_workdir EXIT
app=no
[ -x "$TF_BIN_DIR/ticketfilter-app" ] && app=yes
programs=(ticketfilter ticketfilter-basic)
[ "$app" = yes ] && programs+=(ticketfilter-app)

out=$TF_BUILD_DIR/package
rm -rf "$out"
mkdir -p "$out"
if ! (cd "$W" && timeout 300 cpack -G DEB --config "$TF_BUILD_DIR/CPackConfig.cmake" -B "$W/cpack") \
     >"$W/cpack.log" 2>&1; then
  echo "FAIL: cpack -G DEB"
  tail -n 20 "$W/cpack.log"
  exit 1
fi
rm -f "$TF_BUILD_DIR/install_manifest_Unspecified.txt"  # cpack's install of the default component
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$TF_BUILD_DIR/CMakeCache.txt")
arch=$(dpkg --print-architecture)
deb=ticketfilter_${version}_${arch}.deb
if [ -f "$W/cpack/$deb" ]; then
  pass "cpack -G DEB wrote $deb"
  cp "$W/cpack/$deb" "$out/"
else
  fail "cpack -G DEB did not write $deb: $(ls "$W/cpack")"
  exit 1
fi

# ---- control fields ----------------------------------------------------------------------------
info=$(dpkg-deb -I "$out/$deb")
field() { sed -n "s/^ $1: //p" <<<"$info"; }
[ "$(field Package)" = ticketfilter ] && pass "Package: ticketfilter" || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] && pass "Version: $version" || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] && pass "Architecture: $arch" ||
  fail "Architecture: $(field Architecture)"
[ -n "$(field Maintainer)" ] && [ -n "$(field Description)" ] &&
  pass "Maintainer and Description are given" || fail "Maintainer or Description missing"
# The libraries the filters load, found by dpkg-shlibdeps, and pstops.
depends=$(field Depends)
packages=(libc6 libcups2 cups-core-drivers)
[ "$app" = yes ] && packages+=(libpappl1 libpam0g)
for package in "${packages[@]}"; do
  grep -qE "(^|, )$package( \(|,|$)" <<<"$depends" && pass "Depends names $package" ||
    fail "Depends ($depends) lacks $package"
done
# Every library a program links itself (its NEEDED entries) comes from a package it depends on.
for program in "${programs[@]}"; do
  for soname in $(objdump -p "$TF_BIN_DIR/$program" | awk '$1 == "NEEDED" { print $2 }'); do
    # ldd names the dynamic loader by its path, every other library by its soname.
    path=$(ldd "$TF_BIN_DIR/$program" |
           awk -v so="$soname" '$1 == so { print $3 } $1 ~ "/" so "$" { print $1 }' | head -n 1)
    owner=$( { dpkg -S "$path" || dpkg -S "$(readlink -f "$path")"; } 2>/dev/null |
             head -n 1 | cut -d: -f1) || true
    if [ -z "$owner" ]; then
      fail "$program: no package holds $soname"
    elif grep -qE "(^|, )$(sed 's/[+.]/\\&/g' <<<"$owner")( \(|,|$)" <<<"$depends"; then
      pass "$program: $soname comes from $owner, a dependency"
    else
      fail "$program: $soname comes from $owner, which Depends ($depends) lacks"
    fi
  done
done

# ---- files -------------------------------------------------------------------------------------
# Every file with its mode and owner, as dpkg-deb lists it.
actual=$(dpkg-deb -c "$out/$deb" | awk '$1 !~ /^d/ { print $1, $2, $6 }' | sort)
expected=$(
  {
    for program in ticketfilter ticketfilter-basic; do
      echo "-rwxr-xr-x root/root .$TF_FILTER_DIR/$program"
    done
    for ppd in "$TF_SOURCE_DIR"/ppd/*.ppd; do
      echo "-rw-r--r-- root/root .$TF_PPD_DIR/$(basename "$ppd")"
    done
    echo "-rw-r--r-- root/root ./usr/share/man/man8/ticketfilter.8"
    echo "-rw-r--r-- root/root ./usr/share/man/man8/ticketfilter-basic.8"
    echo "-rw-r--r-- root/root ./usr/share/doc/ticketfilter/README.md"
    echo "-rw-r--r-- root/root ./usr/share/doc/ticketfilter/tickets.md"
    if [ "$app" = yes ]; then
      echo "-rwxr-xr-x root/root ./usr/bin/ticketfilter-app"
      echo "-rw-r--r-- root/root .$TF_UNIT_DIR/ticketfilter-app.service"
      echo "-rw-r--r-- root/root .$TF_SYSUSERS_DIR/ticketfilter-app.conf"
    fi
  } | sort)
if [ "$actual" = "$expected" ]; then
  pass "the package holds exactly the filters, PPDs, manual pages and documents (app: $app)"
else
  fail "the package's files differ (< expected, > in the package)"
  diff <(echo "$expected") <(echo "$actual") || true
fi
# Every folder is root-owned and open to the spooler's user.
bad=$(dpkg-deb -c "$out/$deb" | awk '$1 ~ /^d/ && ($1 != "drwxr-xr-x" || $2 != "root/root")')
[ -z "$bad" ] && pass "every folder is drwxr-xr-x root/root" || fail "folders: $bad"
# The packaged filters are the built programs, stripped.
mkdir -p "$W/unpacked"
dpkg-deb -x "$out/$deb" "$W/unpacked"
for program in "${programs[@]}"; do
  file=$W/unpacked$TF_FILTER_DIR/$program
  [ "$program" = ticketfilter-app ] && file=$W/unpacked/usr/bin/$program
  strip -o "$W/$program.stripped" "$TF_BIN_DIR/$program"
  if cmp -s "$W/$program.stripped" "$file"; then
    pass "$program is the built program, stripped"
  else
    fail "$program differs from the built program"
  fi
done

# ---- the printer application's service ---------------------------------------------------------
if [ "$app" = yes ]; then
  # The maintainer scripts: the user made on configure, the service stopped on removal.
  for script in postinst prerm postrm; do
    grep -qE "^ +[0-9]+ bytes, +[0-9]+ lines +\* +$script " <<<"$info" &&
      pass "control holds an executable $script" || fail "control lacks an executable $script"
  done
  unit=$W/unpacked$TF_UNIT_DIR/ticketfilter-app.service
  # Its own user and state folder, the program where the package puts it, restarted on failure.
  for line in 'User=ticketfilter-app' 'StateDirectory=ticketfilter-app' \
              'RuntimeDirectory=ticketfilter-app' 'Environment=TMPDIR=/run/ticketfilter-app' \
              'Restart=on-failure' 'NoNewPrivileges=yes' 'ProtectSystem=strict' \
              'WantedBy=multi-user.target'; do
    grep -qxF "$line" "$unit" && pass "unit: $line" || fail "unit lacks $line"
  done
  exec_start=$(sed -n 's/^ExecStart=//p' "$unit")
  [[ $exec_start == "/usr/bin/ticketfilter-app server -o state-directory=/var/lib/ticketfilter-app"* ]] &&
    pass "unit: ExecStart=$exec_start" || fail "unit: ExecStart=$exec_start"
  grep -qx 'u ticketfilter-app - .*' "$W/unpacked$TF_SYSUSERS_DIR/ticketfilter-app.conf" &&
    pass "sysusers.d names the user ticketfilter-app" || fail "sysusers.d lacks the user"
  # systemd's own check of the unit (it warns of unknown keys and bad values, and still exits 0:
  # any output fails), on a copy that runs the unpacked program; the manual pages it names are
  # not installed yet.
  if command -v systemd-analyze >/dev/null 2>&1; then
    mkdir -p "$W/unit"
    sed "s|^ExecStart=/usr/bin/|ExecStart=$W/unpacked/usr/bin/|" "$unit" \
      >"$W/unit/ticketfilter-app.service"
    if systemd-analyze verify --man=no "$W/unit/ticketfilter-app.service" >"$W/verify.txt" 2>&1 &&
       [ ! -s "$W/verify.txt" ]; then
      pass "systemd-analyze verify finds nothing wrong with the unit"
    else
      fail "systemd-analyze verify: $(cat "$W/verify.txt")"
    fi
  else
    echo "note: systemd-analyze is not installed; the unit is not verified"
  fi
fi

[ "$FAILURES" -eq 0 ] || { echo "$FAILURES check(s) failed"; exit 1; }
echo "all checks passed"
