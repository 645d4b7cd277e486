#!/bin/bash
# Standard job attributes through a private cupsd, sent by clients that are not ours: CUPS's own
# ipptool test files (print-job-password.test, print-job.test, get-printer-attributes.test) and
# lp with job-password, job-account-id, job-accounting-user-id, finishings and print-color-mode.
# The printer stream the recorder backend receives is compared with the expected one (the PJL
# header as exact text, then the PostScript from pstops, control-D and the trailer), a job that
# names a ticket and the standard attribute shows the ticket winning, and a password the printer
# cannot take stops the job with its ERROR line while nothing reaches the printer.  The queues'
# options are listed by lpoptions and the web interface's "Set Default Options" page.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/scheduler.sh"
require_tools cupsd lpadmin lp lpstat lpoptions cancel ipptool curl iconv perl hostname
TESTS=/usr/share/cups/ipptool
for t in print-job-password.test print-job.test get-printer-attributes.test; do
  [ -f "$TESTS/$t" ] || { echo "SKIPPED: $TESTS/$t is missing (Debian: cups-ipp-utils)"; exit "$TF_SKIP"; }
done

start_cupsd "WebInterface Yes"
add_queue color tf-color-utf8.ppd
add_queue mono tf-mono-bytemode.ppd
P=$TF_PREFIX

# submit_ipptool LABEL QUEUE TEST-FILE [ipptool arguments]: the job of an ipptool test file, sent
# as the user alice; the job id goes to JOB[LABEL].
submit_ipptool() {
  local label=$1 queue=$2 file=$3 reply state
  shift 3
  reply=$(CUPS_USER=alice timeout 20 ipptool -tv -f "$DOCUMENT" -d filetype=application/postscript \
          "$@" "$(ipp_uri "$queue")" "$file" 2>&1) || abort "ipptool $label: $reply"
  JOB[$label]=$(sed -n 's/^ *job-id (integer) = //p' <<<"$reply")
  [ -n "${JOB[$label]}" ] || abort "ipptool $label: no job id: $reply"
  state=$(wait_job "${JOB[$label]}")
  [ "$state" = completed ] || abort "job $label (${JOB[$label]}) ended $state"
}

# The PJL header the printer received for job LABEL (up to the switch into PostScript).
header_of() { sed -n '1,/^@PJL ENTER LANGUAGE=POSTSCRIPT$/p' "$W/printer/job.${JOB[$1]}.prn"; }
same_header() {  # LABEL OTHER-LABEL what
  if cmp -s <(header_of "$1") <(header_of "$2"); then
    pass "$1: the same header as $2 ($3)"
  else
    fail "$1: the header differs from that of $2 ($3)"
    diff <(header_of "$2" | cat -v) <(header_of "$1" | cat -v) | head -n 20 || true
  fi
}

# The comment block of a plain job on the colour printer, as the lines after it.
comment_block() {  # colour-mode [staple position]
  local staple=${2:-}
  cat <<EOF
@PJL COMMENT QMJOBINFO VERSION=1.5.0
@PJL COMMENT QMJOBINFO BEGIN
@PJL COMMENT QMJOBINFO PDLTYPE=PDL[POSTSCRIPT]:VERSION[3]
@PJL COMMENT QMJOBINFO JOBTYPE=PRINT
@PJL COMMENT QMJOBINFO DUPLEXTYPE=SIMPLEX
@PJL COMMENT QMJOBINFO COLORMODE=$1
@PJL COMMENT QMJOBINFO NUP=1
@PJL COMMENT QMJOBINFO STAPLE=$([ -n "$staple" ] && echo ON || echo OFF)
@PJL COMMENT QMJOBINFO PUNCH=OFF
@PJL COMMENT QMJOBINFO BOOKLETTYPE=TYPE[NOBOOKLET]
@PJL COMMENT QMJOBINFO ORIENTATION=PORTRAIT
@PJL COMMENT QMJOBINFO SADDLESTAPLE=OFF
EOF
  if [ -n "$staple" ]; then echo "@PJL COMMENT QMJOBINFO STAPLEEX=$staple"; fi
  cat <<'EOF'
@PJL COMMENT QMJOBINFO MIXEDSIZETYPE=NONE
@PJL COMMENT QMJOBINFO CUD=OFF
@PJL COMMENT QMJOBINFO END
@PJL ENTER LANGUAGE=POSTSCRIPT
EOF
}

# ---- what the scheduler offers IPP clients -----------------------------------------------------
attributes=$(timeout 20 ipptool -tv "$(ipp_uri color)" "$TESTS/get-printer-attributes.test" 2>&1) ||
  fail "get-printer-attributes.test: $(grep -E 'FAIL|EXPECTED' <<<"$attributes" | head -n 3)"
for expected in 'job-password-supported (integer) = 16' \
                'job-password-encryption-supported (keyword) = none' \
                'job-account-id-supported (boolean) = true' \
                'job-accounting-user-id-supported (boolean) = true' \
                'print-color-mode-supported (1setOf keyword) = monochrome,color'; do
  grep -qF "$expected" <<<"$attributes" && pass "get-printer-attributes: $expected" ||
    fail "get-printer-attributes: no '$expected'"
done
finishings=$(sed -n 's/^ *finishings-supported (1setOf enum) = //p' <<<"$attributes" | tr , '\n' |
             sort | tr '\n' ' ')
every="bind bind-left bind-right bind-top booklet-maker fold-half none punch punch-dual-left"
every+=" punch-dual-right punch-dual-top punch-quad-left punch-quad-right punch-quad-top"
every+=" punch-triple-left punch-triple-right punch-triple-top saddle-stitch staple"
every+=" staple-dual-left staple-dual-top staple-top-left staple-top-right "
[ "$finishings" = "$every" ] &&
  pass "get-printer-attributes: finishings-supported holds every finishing of the printer" ||
  fail "get-printer-attributes: finishings-supported is '$finishings'"

# ---- ipptool's secure-print job: held under the requesting user with its password -------------
submit_ipptool password color "$TESTS/print-job-password.test"
grep -q 'job-password=1234 job-password-encryption=none' <<<"$(job_options "${JOB[password]}")" &&
  pass "password: the scheduler passed job-password and job-password-encryption=none" ||
  fail "password: the filter's options were '$(job_options "${JOB[password]}")'"
{ cat <<'EOF'
<UEL>@PJL SET STRINGCODESET=UTF8
@PJL JOB MODE=PRINTER<CR>
@PJL SET HOLD=STORE
@PJL SET HOLDTYPE=PRIVATE
@PJL SET USERNAME="alice"<CR>
@PJL SET HOLDENCRYPTKEY="1234"<CR>
@PJL SET JOBNAME="Untitled"<CR>
<HOST utf8>
@PJL SET JOBATTR="@LUNA=alice"
@PJL SET JOBATTR="@NLPP=1"
@PJL SET JOBATTR="@JOAU=alice"<CR>
@PJL SET JOBATTR="@DIND=PORTRAIT"
@PJL SET JOBATTR="@DIBB=OFF"
@PJL SET JOBATTR="@DIBK=OFF"
@PJL SET JOBATTR="@LWAD=0"
@PJL SET RENDERMODE=COLOR
EOF
  comment_block COLOR; } | check_job password color 3 1 cat

# ipptool's plain job prints as it always did.
submit_ipptool plain color "$TESTS/print-job.test"
{ cat <<'EOF'
<UEL>@PJL SET STRINGCODESET=UTF8
@PJL JOB MODE=PRINTER<CR>
<HOST utf8>
@PJL SET JOBATTR="@LUNA=alice"
@PJL SET JOBATTR="@NLPP=1"
@PJL SET JOBATTR="@JOAU=alice"<CR>
@PJL SET JOBATTR="@DIND=PORTRAIT"
@PJL SET JOBATTR="@DIBB=OFF"
@PJL SET JOBATTR="@DIBK=OFF"
@PJL SET JOBATTR="@LWAD=0"
@PJL SET RENDERMODE=COLOR
EOF
  comment_block COLOR; } | check_job plain color 3 1 cat

# The same on the Shift-JIS printer (no job name there: the title needs the product type).
submit_ipptool password-mono mono "$TESTS/print-job-password.test"
check_job password-mono mono 3 1 cat <<'EOF'
<UEL>@PJL JOB MODE=PRINTER<CR>
@PJL SET HOLD=STORE
@PJL SET HOLDTYPE=PRIVATE
@PJL SET USERNAME="alice"<CR>
@PJL SET HOLDENCRYPTKEY="1234"<CR>
<HOST bytes>
@PJL SET JOBATTR="@LUNA=alice"
@PJL SET JOBATTR="@NLPP=1"
@PJL SET JOBATTR="@JOAU=alice"<CR>
@PJL SET RENDERMODE=GRAYSCALE
@PJL COMMENT QMJOBINFO VERSION=1.3.0
@PJL COMMENT QMJOBINFO BEGIN
@PJL COMMENT QMJOBINFO PDLTYPE=PDL[POSTSCRIPT]:VERSION[3]
@PJL COMMENT QMJOBINFO JOBTYPE=PRINT
@PJL COMMENT QMJOBINFO DUPLEXTYPE=SIMPLEX
@PJL COMMENT QMJOBINFO COLORMODE=GRAYSCALE
@PJL COMMENT QMJOBINFO NUP=1
@PJL COMMENT QMJOBINFO STAPLE=OFF
@PJL COMMENT QMJOBINFO PUNCH=OFF
@PJL COMMENT QMJOBINFO BOOKLETTYPE=TYPE[NOBOOKLET]
@PJL COMMENT QMJOBINFO END
@PJL ENTER LANGUAGE=POSTSCRIPT
EOF

# ---- a job forwarded from another machine: the account lines name that machine -----------------
# print-job.test with the attribute a forwarding scheduler adds (the scheduler takes it from a
# client on this machine only).
sed 's/^\(\s*\)GROUP job-attributes-tag/\1ATTR name job-originating-host-name 198.51.100.7\n&/' \
  "$TESTS/print-job.test" > "$W/print-job-forwarded.test"
submit_ipptool forwarded color "$W/print-job-forwarded.test"
{ cat <<'EOF'
<UEL>@PJL SET STRINGCODESET=UTF8
@PJL JOB MODE=PRINTER<CR>
@PJL SET JOBATTR="@CNAM=198.51.100.7"
@PJL SET JOBATTR="@LUNA=alice"
@PJL SET JOBATTR="@HOAD=IC6336407"
@PJL SET JOBATTR="@NLPP=1"
@PJL SET JOBATTR="@JOAU=alice"<CR>
@PJL SET JOBATTR="@DIND=PORTRAIT"
@PJL SET JOBATTR="@DIBB=OFF"
@PJL SET JOBATTR="@DIBK=OFF"
@PJL SET JOBATTR="@LWAD=0"
@PJL SET RENDERMODE=COLOR
EOF
  comment_block COLOR; } | check_job forwarded color 3 1 cat

# ---- lp with the account attributes: the lines of the dialog's user mode ------------------------
submit account color -U tux -o job-account-id=ACC9 -o job-accounting-user-id=bob
{ cat <<'EOF'
<UEL>@PJL SET STRINGCODESET=UTF8
@PJL JOB MODE=PRINTER<CR>
<HOST utf8>
@PJL SET JOBATTR="@LUNA=tux"
@PJL SET JOBATTR="@NLPP=N1"
@PJL SET JOBATTR="@JOAU=bob"<CR>
@PJL SET JOBATTR="@JOEP="<CR>
@PJL SET JOBATTR="@DAID=ACC9"<CR>
@PJL SET JOBATTR="@ACNA=document.ps"<CR>
@PJL SET JOBATTR="@DIND=PORTRAIT"
@PJL SET JOBATTR="@DIBB=OFF"
@PJL SET JOBATTR="@DIBK=OFF"
@PJL SET JOBATTR="@LWAD=0"
@PJL SET RENDERMODE=COLOR
EOF
  comment_block COLOR; } | check_job account color 3 1 cat
submit account-tickets color -U tux -o ${P}JBAManageTypeListTicketKey=2 \
  -o ${P}JBAUserSettingRadioBtnTicket=1 -o ${P}JBAUserIDListCtrlTicket=2 \
  -o ${P}JBAUserIDTextEditTicket=bob -o ${P}JBAAccountIDTextEditTicket=ACC9
same_header account account-tickets "the dialog's account tickets"

# ---- finishings and print-color-mode -----------------------------------------------------------
submit staple color -U tux -o finishings=20 -o print-color-mode=monochrome
{ cat <<'EOF'
<UEL>@PJL SET STRINGCODESET=UTF8
@PJL JOB MODE=PRINTER<CR>
<HOST utf8>
@PJL SET JOBATTR="@LUNA=tux"
@PJL SET JOBATTR="@NLPP=N1"
@PJL SET JOBATTR="@JOAU=tux"<CR>
@PJL SET JOBATTR="@DIND=PORTRAIT"
@PJL SET JOBATTR="@DIBB=OFF"
@PJL SET JOBATTR="@DIBK=OFF"
@PJL SET JOBATTR="@LWAD=0"
@PJL SET RENDERMODE=GRAYSCALE
EOF
  comment_block GRAYSCALE TOPLEFT; } | check_job staple color 3 1 cat
submit staple-tickets color -U tux -o QMStaple=UpperLeftSingle -o QMColorMode=Black
same_header staple staple-tickets "QMStaple=UpperLeftSingle QMColorMode=Black"

submit punch mono -U tux -o finishings=78
submit punch-tickets mono -U tux -o QMPunch=Left -o QMNumPunchHoles=3Holes
same_header punch punch-tickets "QMPunch=Left QMNumPunchHoles=3Holes"
header_of punch | grep -qx '@PJL COMMENT QMJOBINFO PUNCH=ON' &&
  pass "punch: finishings=78 punches" || fail "punch: no PUNCH=ON line"

# ---- a ticket of the job wins over the standard attribute -------------------------------------
submit both-password color -U tux -o job-password=1234 -o ${P}PrintTypeTicketKey=2 \
  -o ${P}PrintTypeUserNameTicketKey=tux -o ${P}PrintTypePasswordTicketKey=9999
header_of both-password | grep -q '^@PJL SET HOLDENCRYPTKEY="9999"'$'\r''$' &&
  ! header_of both-password | grep -q 'HOLDENCRYPTKEY="1234"' &&
  pass "both-password: the print-type tickets' password 9999 wins over job-password" ||
  fail "both-password: $(header_of both-password | grep ENCRYPT | cat -v)"
# The scheduler appends its finishings mapping (QMStaple=UpperLeftSingle) after the job's own.
submit both-staple color -U tux -o finishings=20 -o QMStaple=TopDouble
job_options "${JOB[both-staple]}" | grep -q 'QMStaple=TopDouble.* QMStaple=UpperLeftSingle' &&
  pass "both-staple: the scheduler passed the job's QMStaple and its own mapping after it" ||
  fail "both-staple: the filter's options were '$(job_options "${JOB[both-staple]}")'"
submit staple-top color -U tux -o QMStaple=TopDouble
same_header both-staple staple-top "QMStaple=TopDouble wins over finishings=20"

# ---- a password the printer cannot take: the job stops, nothing reaches the printer ------------
refused() {  # LABEL error-text lp-arguments...
  local label=$1 error=$2 received
  shift 2
  SUBMIT_EXPECT=stopped submit "$label" color -U tux "$@"
  received=$W/printer/job.${JOB[$label]}.prn
  if [ ! -s "$received" ]; then
    pass "$label: the printer received nothing"
  else
    fail "$label: the printer received $(wc -c < "$received") bytes"
  fi
  grep -aqF "[Job ${JOB[$label]}] $error" "$W/log/error_log" &&
    pass "$label: the job stopped with \"ERROR: $error\"" ||
    fail "$label: no ERROR line '$error' in the scheduler's log"
}
# A client that sends the password as a digest.
refused digest "The job password was sent encrypted; the printer needs the password itself to \
hold the job for its owner, so the job is not printed." \
  -o job-password=03ac674216f3e15c761ee1a5e255f067953623c8b388b4459e13f978d7c846f4 \
  -o job-password-encryption=sha2-256
refused letters "The job password does not fit the printer (at most 16 digits); the job is not printed." \
  -o job-password=12ab
timeout 5 lpstat -h "$SOCK" -p color | grep -q 'enabled' &&
  pass "the queue stays enabled after the refused jobs" || fail "the queue was disabled"
submit after color -U tux -o QMStaple=TopDouble
same_header after staple-top "a job after the refused ones"

# ---- the queue's options in lpoptions and the web interface -----------------------------------
options=$(timeout 10 lpoptions -h "$SOCK" -p color -l 2>&1)
for line in 'QMStaple/Staple: *None UpperLeftSingle UpperRightSingle LeftDouble TopDouble' \
            'QMPunch/Punch: *None Left Top Right' \
            'QMSignature/Booklet: *None LeftSig RightSig LeftSigCenterStaple LeftSigFold' \
            'QMColorMode/Color Mode: *Color Black Auto' \
            'QMPBindPosition/Perfect Binding: *None BindLeft BindRight BindTop'; do
  grep -qxF "$line" <<<"$options" && pass "lpoptions -l: $line" || fail "lpoptions -l lacks '$line'"
done
curl -s -c "$W/cookies" --unix-socket "$SOCK" http://localhost/printers/color >/dev/null || true
sid=$(awk '$6 == "org.cups.sid" { print $7 }' "$W/cookies" 2>/dev/null)
page=$(timeout 10 curl -s -b "org.cups.sid=$sid" --unix-socket "$SOCK" \
       -d "org.cups.sid=$sid&OP=set-printer-options&printer_name=color" http://localhost/admin |
       sed 's/<[^>]*>/\n/g' | sed 's/^ *//; s/ *$//' | grep -v '^$') || true
for text in 'Color Mode' 'Staple' 'Upper Left' 'Two at the Top' 'Punch' 'Punch Holes' \
            'Booklet' 'Left Binding, Saddle Stitch' 'Left Binding, Folded' 'Perfect Binding'; do
  grep -qxF "$text" <<<"$page" && pass "Set Default Options lists '$text'" ||
    fail "Set Default Options lacks '$text'"
done

stop_cupsd
[ "$FAILURES" -eq 0 ] || { echo "$FAILURES check(s) failed"; exit 1; }
echo "all checks passed"
