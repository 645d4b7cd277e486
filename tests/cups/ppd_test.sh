#!/bin/bash
# Every sample PPD passes cupstestppd with all warnings on, with the filters where CUPS looks for
# them (cupstestppd -R: a root directory holding the built filters in the CUPS filter directory).
# Without the filters the only complaint may be the missing filter.  No sample PPD may carry
# *JCLBegin: pstops would then write a second PJL header before ours.
. "$(dirname "$0")/lib.sh"
require_tools cupstestppd
make_workdir
trap remove_workdir EXIT

mkdir -p "$W/root$SYSTEM_SERVERBIN/filter"
install -m 0755 "$TF_BIN_DIR/ticketfilter" "$TF_BIN_DIR/ticketfilter-basic" \
  "$W/root$SYSTEM_SERVERBIN/filter/"

ppds=("$TF_SOURCE_DIR"/ppd/*.ppd)
[ ${#ppds[@]} -ge 4 ] || fail "expected the four sample PPDs, found ${#ppds[@]}"
for ppd in "${ppds[@]}"; do
  name=$(basename "$ppd")
  report=$(cupstestppd -W all -R "$W/root" "$ppd" 2>&1) || true
  # An ordinary user cannot give the filters to root, which cupstestppd wants of them.
  [ "$(id -u)" = 0 ] || report=$(grep -v 'WARN.*Bad permissions on cupsFilter2 file' <<<"$report")
  if grep -q ': PASS$' <<<"$report" && ! grep -q WARN <<<"$report"; then
    pass "$name: cupstestppd -W all passes without a warning"
  else
    fail "$name: cupstestppd"
    echo "$report"
  fi
  # Without the installed filter, the missing filter is the only warning.
  report=$(cupstestppd -W all -R "$W/empty-root" "$ppd" 2>&1 || true)
  if grep -q ': PASS$' <<<"$report" &&
     [ "$(grep -c WARN <<<"$report")" = 1 ] && grep -q 'WARN.*Missing cupsFilter2 file' <<<"$report"; then
    pass "$name: without the filter only the filter is missing"
  else
    fail "$name: cupstestppd without the filter"
    echo "$report"
  fi
  filters=$(grep -c '^\*cupsFilter2: "application/vnd.cups-postscript [^ ]* 0 ticketfilter\(-basic\)\?"$' "$ppd" || true)
  [ "$filters" = 1 ] && pass "$name: names one of our filters with *cupsFilter2" ||
    fail "$name: *cupsFilter2 lines naming our filter: $filters"
  ! grep -q '^\*JCL' "$ppd" && pass "$name: no *JCL keywords" || fail "$name: has *JCL keywords"
done

[ "$FAILURES" -eq 0 ] || { echo "$FAILURES check(s) failed"; exit 1; }
echo "all checks passed"
