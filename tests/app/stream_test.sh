#!/bin/bash
# What the printer receives from the printer application: the PJL header with the job's tickets
# and the printer's defaults, and PostScript that Ghostscript renders with the document's pages.
#
# Three printers (tf-color-utf8, tf-basic, tf-mono-decomp) with ticket defaults set through the
# service's own sub-command (modify -o NAME-default=VALUE: an IPP Set-Printer-Attributes), then
# a PDF and PWG raster (the printer's watermark on their pages too), and the jobs of tickets.test
# sent by ipptool: standard attributes (finishings, sides, media, copies,
# job-accounting-user-id, print-color-mode, number-up), job-password as CUPS's clients send it (an operation attribute), a job
# forwarded from another machine with vendor attributes of its own, and a password sent as a
# digest.  The header of each is compared line by line; the PPD code pstops puts into the
# PostScript shows that media, sides and finishings reached the printer as under CUPS; a default
# that its attribute does not take is set back.
. "$(dirname "$0")/lib.sh"
require_app_tools iconv hostname

app_start
for name in office basic decomp; do mkdir -p "$W/out/$name"; done
app_add_printer office tf-color-utf8 "file://$W/out/office"
app_add_printer basic tf-basic "file://$W/out/basic"
app_add_printer decomp tf-mono-decomp "file://$W/out/decomp"
$APP modify -d office -o ticketfilter-account-id-default=DEPT7 \
  -o ticketfilter-staple-default=top-double -o ticketfilter-watermark-default=DRAFT \
  -o ticketfilter-print-type-default=sample || fail "modify office"
$APP modify -d basic -o ticketfilter-account-id-default=DEPT7 || fail "modify basic"
$APP modify -d decomp -o ticketfilter-print-mode-default=1200x1200 \
  -o ticketfilter-toner-save-default=true || fail "modify decomp"

DOC=$W/document.ps
write_document 3 "$DOC"
# The printer's watermark on a PDF and on raster pages too.
to_pdf "$DOC" "$W/document.pdf"
to_pwg "$DOC" "$W/document.pwg" 150 sgray
print_named office "$W/document.pdf" application/pdf pdf
app_wait_idle office 60
print_named office "$W/document.pwg" image/pwg-raster pwg
for name in office basic decomp; do
  ipp "$name" "$TF_SOURCE_DIR/tests/app/tickets.test" -f "$DOC" -d filetype=application/postscript \
    >"$W/$name.ipptool" 2>&1 || { fail "tickets.test on $name"; cat "$W/$name.ipptool"; }
done
for name in office basic decomp; do app_wait_idle "$name" 60 || fail "$name: jobs left"; done

# The header of printer $1's job $2 (everything before "@PJL ENTER LANGUAGE") against the
# template on standard input (../cups/lib.sh's render: <UEL>, <CR>, <HOST utf8|bytes>).
check_header() {
  local printer=$1 job=$2 stream=$W/out/$1/$2.prn
  if [ ! -s "$stream" ]; then
    fail "$printer/$job: the printer received nothing"
    return
  fi
  render > "$W/expected"
  perl -ne 'exit if /^\@PJL ENTER LANGUAGE/; print' "$stream" > "$W/actual"
  if cmp -s "$W/expected" "$W/actual"; then
    pass "$printer/$job: header"
  else
    fail "$printer/$job: header differs (< expected, > received)"
    diff <(cat -v "$W/expected") <(cat -v "$W/actual") || true
  fi
}

# The PostScript of printer $1's job $2 holds each PPD feature given ("*Duplex DuplexNoTumble").
check_features() {
  local printer=$1 job=$2 feature
  shift 2
  for feature in "$@"; do
    if grep -aqxF "%%BeginFeature: $feature" "$W/out/$printer/$job.prn"; then
      pass "$printer/$job: PostScript sets $feature"
    else
      fail "$printer/$job: PostScript lacks $feature"
    fi
  done
}

check_render() {
  local printer=$1 job=$2
  shift 2
  if render_pages "$W/out/$printer/$job.prn" "$@"; then
    pass "$printer/$job: renders ($(tail -n 1 <<<"$RENDER"))"
  else
    fail "$printer/$job: does not render as expected"
    echo "$RENDER"
  fi
}

# ---- tf-color-utf8 with defaults: account ID DEPT7, two staples at the top, a DRAFT watermark,
# sample print ----------------------------------------------------------------------------------
# Punch from finishings 74; staples from the printer's default; the account user from the job,
# the account from the printer; held as a sample for the job's owner.
check_header office punched <<'EOF'
<UEL>@PJL SET STRINGCODESET=UTF8
@PJL JOB MODE=PRINTER<CR>
@PJL SET HOLD=PROOF
@PJL SET USERNAME="alice"<CR>
@PJL SET JOBNAME="punched"<CR>
<HOST utf8>
@PJL SET JOBATTR="@LUNA=alice"
@PJL SET JOBATTR="@NLPP=1"
@PJL SET JOBATTR="@JOAU=bob"<CR>
@PJL SET JOBATTR="@JOEP="<CR>
@PJL SET JOBATTR="@DAID=DEPT7"<CR>
@PJL SET JOBATTR="@ACNA=punched"<CR>
@PJL SET JOBATTR="@DIND=PORTRAIT"
@PJL SET JOBATTR="@DIBB=OFF"
@PJL SET JOBATTR="@DIBK=OFF"
@PJL SET JOBATTR="@LWAD=0"
@PJL SET RENDERMODE=COLOR
@PJL COMMENT QMJOBINFO VERSION=1.5.0
@PJL COMMENT QMJOBINFO BEGIN
@PJL COMMENT QMJOBINFO PDLTYPE=PDL[POSTSCRIPT]:VERSION[3]
@PJL COMMENT QMJOBINFO JOBTYPE=PRINT
@PJL COMMENT QMJOBINFO DUPLEXTYPE=DUPLEX
@PJL COMMENT QMJOBINFO COLORMODE=COLOR
@PJL COMMENT QMJOBINFO NUP=1
@PJL COMMENT QMJOBINFO STAPLE=ON
@PJL COMMENT QMJOBINFO PUNCH=ON
@PJL COMMENT QMJOBINFO BOOKLETTYPE=TYPE[NOBOOKLET]
@PJL COMMENT QMJOBINFO ORIENTATION=PORTRAIT
@PJL COMMENT QMJOBINFO SADDLESTAPLE=OFF
@PJL COMMENT QMJOBINFO STAPLEEX=TOPDUAL
@PJL COMMENT QMJOBINFO PUNCHEX=HOLES[TWO]:LOCATION[LEFT]
@PJL COMMENT QMJOBINFO MIXEDSIZETYPE=NONE
@PJL COMMENT QMJOBINFO CUD=OFF
@PJL COMMENT QMJOBINFO END
EOF
check_features office punched "*PageSize Letter" "*Duplex DuplexNoTumble" "*QMPunch Left" \
  "*QMNumPunchHoles 2Holes" "*QMStaple TopDouble"
if grep -aqx '%%Requirements: numcopies(2) duplex' "$W/out/office/punched.prn"; then
  pass "office/punched: two copies asked of the printer"
else
  fail "office/punched: no numcopies(2) in the PostScript"
fi
# Ghostscript makes the two copies the PostScript asks for: six pages.
check_render office punched --pages 6 --gray-watermark

# Secure print from job-password (an operation attribute): no sample print; the job's own
# account ID wins over the printer's; black and white, two pages per sheet (pstops lays them out,
# the header says so).
check_header office secure <<'EOF'
<UEL>@PJL SET STRINGCODESET=UTF8
@PJL JOB MODE=PRINTER<CR>
@PJL SET HOLD=STORE
@PJL SET HOLDTYPE=PRIVATE
@PJL SET USERNAME="alice"<CR>
@PJL SET HOLDENCRYPTKEY="4711"<CR>
@PJL SET JOBNAME="secure"<CR>
<HOST utf8>
@PJL SET JOBATTR="@LUNA=alice"
@PJL SET JOBATTR="@NLPP=N2"
@PJL SET JOBATTR="@JOAU=alice"<CR>
@PJL SET JOBATTR="@JOEP="<CR>
@PJL SET JOBATTR="@DAID=OWN42"<CR>
@PJL SET JOBATTR="@ACNA=secure"<CR>
@PJL SET JOBATTR="@DIND=LANDSCAPE"
@PJL SET JOBATTR="@DIBB=OFF"
@PJL SET JOBATTR="@DIBK=OFF"
@PJL SET JOBATTR="@LWAD=0"
@PJL SET RENDERMODE=GRAYSCALE
@PJL COMMENT QMJOBINFO VERSION=1.5.0
@PJL COMMENT QMJOBINFO BEGIN
@PJL COMMENT QMJOBINFO PDLTYPE=PDL[POSTSCRIPT]:VERSION[3]
@PJL COMMENT QMJOBINFO JOBTYPE=PRINT
@PJL COMMENT QMJOBINFO DUPLEXTYPE=SIMPLEX
@PJL COMMENT QMJOBINFO COLORMODE=GRAYSCALE
@PJL COMMENT QMJOBINFO NUP=2
@PJL COMMENT QMJOBINFO STAPLE=ON
@PJL COMMENT QMJOBINFO PUNCH=OFF
@PJL COMMENT QMJOBINFO BOOKLETTYPE=TYPE[NOBOOKLET]
@PJL COMMENT QMJOBINFO ORIENTATION=LANDSCAPE
@PJL COMMENT QMJOBINFO NUPEX=RIGHTTODOWN
@PJL COMMENT QMJOBINFO SADDLESTAPLE=OFF
@PJL COMMENT QMJOBINFO STAPLEEX=TOPDUAL
@PJL COMMENT QMJOBINFO MIXEDSIZETYPE=NONE
@PJL COMMENT QMJOBINFO CUD=OFF
@PJL COMMENT QMJOBINFO END
EOF
check_features office secure "*QMColorMode Black"
check_render office secure --pages 2 --gray-watermark

# A job forwarded by a scheduler on this machine for 198.51.100.7, with vendor attributes: its
# own staples and print type, and no watermark.
check_header office vendor <<'EOF'
<UEL>@PJL SET STRINGCODESET=UTF8
@PJL JOB MODE=PRINTER<CR>
@PJL SET JOBATTR="@CNAM=198.51.100.7"
@PJL SET JOBATTR="@LUNA=alice"
@PJL SET JOBATTR="@HOAD=IC6336407"
@PJL SET JOBATTR="@NLPP=1"
@PJL SET JOBATTR="@JOAU=alice"<CR>
@PJL SET JOBATTR="@JOEP="<CR>
@PJL SET JOBATTR="@DAID=DEPT7"<CR>
@PJL SET JOBATTR="@ACNA=vendor"<CR>
@PJL SET JOBATTR="@DIND=PORTRAIT"
@PJL SET JOBATTR="@DIBB=OFF"
@PJL SET JOBATTR="@DIBK=OFF"
@PJL SET JOBATTR="@LWAD=0"
@PJL SET RENDERMODE=COLOR
@PJL COMMENT QMJOBINFO VERSION=1.5.0
@PJL COMMENT QMJOBINFO BEGIN
@PJL COMMENT QMJOBINFO PDLTYPE=PDL[POSTSCRIPT]:VERSION[3]
@PJL COMMENT QMJOBINFO JOBTYPE=PRINT
@PJL COMMENT QMJOBINFO DUPLEXTYPE=SIMPLEX
@PJL COMMENT QMJOBINFO COLORMODE=COLOR
@PJL COMMENT QMJOBINFO NUP=1
@PJL COMMENT QMJOBINFO STAPLE=ON
@PJL COMMENT QMJOBINFO PUNCH=OFF
@PJL COMMENT QMJOBINFO BOOKLETTYPE=TYPE[NOBOOKLET]
@PJL COMMENT QMJOBINFO ORIENTATION=PORTRAIT
@PJL COMMENT QMJOBINFO SADDLESTAPLE=OFF
@PJL COMMENT QMJOBINFO STAPLEEX=LEFTDUAL
@PJL COMMENT QMJOBINFO MIXEDSIZETYPE=NONE
@PJL COMMENT QMJOBINFO CUD=OFF
@PJL COMMENT QMJOBINFO END
EOF
check_features office vendor "*PageSize A4" "*QMStaple LeftDouble"
check_render office vendor --pages 3

check_render office pdf --pages 3 --gray-watermark
check_render office pwg --pages 3 --gray-watermark

# A password sent as a digest: the job stops, nothing reaches the printer, and the log says why.
if [ -s "$W/out/office/digest.prn" ]; then
  fail "office/digest: the printer received the job"
else
  pass "office/digest: the printer received nothing"
fi
if grep -qE '^6 +aborted ' <<<"$(app_jobs office)"; then
  pass "office/digest: aborted"
else
  fail "office/digest: not aborted: $(app_jobs office | grep ' digest$')"
fi
if grep -q 'The job password was sent encrypted; the printer needs the password itself' \
     "$W/app.log"; then
  pass "office/digest: the job's log says why"
else
  fail "office/digest: no reason in the log"
fi

# ---- tf-basic: its own ticket keys and the basic comment ---------------------------------------
check_header basic punched <<'EOF'
<UEL>@PJL JOB MODE=PRINTER<CR>
<HOST bytes>
@PJL SET JOBATTR="@LUNA=alice"
@PJL SET JOBATTR="@JOAU=bob"<CR>
@PJL SET JOBATTR="@JOEP="<CR>
@PJL SET JOBATTR="@DAID=DEPT7"<CR>
@PJL SET JOBATTR="@LWAD=0"
@PJL SET RENDERMODE=COLOR
@PJL COMMENT QMJOBINFO VERSION=1.3.0
@PJL COMMENT QMJOBINFO BEGIN
@PJL COMMENT QMJOBINFO PDLTYPE=PDL[POSTSCRIPT]:VERSION[3]
@PJL COMMENT QMJOBINFO JOBTYPE=PRINT
@PJL COMMENT QMJOBINFO DUPLEXTYPE=DUPLEX
@PJL COMMENT QMJOBINFO COLORMODE=COLOR
@PJL COMMENT QMJOBINFO NUP=1
@PJL COMMENT QMJOBINFO STAPLE=OFF
@PJL COMMENT QMJOBINFO PUNCH=ON
@PJL COMMENT QMJOBINFO BOOKLETTYPE=TYPE[NOBOOKLET]
@PJL COMMENT QMJOBINFO END
EOF
check_render basic punched --pages 6

# ---- tf-mono-decomp: the PPD features as PJL, from the printer's defaults ----------------------
check_header decomp punched <<'EOF'
<UEL>@PJL JOB MODE=PRINTER<CR>
<HOST bytes>
@PJL SET JOBATTR="@LUNA=alice"
@PJL SET JOBATTR="@NLPP=1"
@PJL SET JOBATTR="@JOAU=bob"<CR>
@PJL SET JOBATTR="@JOEP="<CR>
@PJL SET JOBATTR="@DAID="<CR>
@PJL SET JOBATTR="@ACNA=punched"<CR>
@PJL SET RENDERMODE=GRAYSCALE
@PJL SET JOBATTR="@PSBR=0"
@PJL SET JOBATTR="@TTRC=64"
@PJL SET JOBATTR="@GTRC=64"
@PJL SET JOBATTR="@ITRC=64"
@PJL SET JOBATTR="@TSCR=64"
@PJL SET JOBATTR="@GSCR=64"
@PJL SET JOBATTR="@ISCR=64"
@PJL SET RESOLUTION=1200
@PJL SET BITSPERPIXEL=1
@PJL SET JOBATTR="@DRDM=RASTER"
@PJL SET ECONOMODE=ON
@PJL SET RET=ON
EOF
check_render decomp punched --pages 6

# ---- a default its attribute does not take is set back -----------------------------------------
$APP modify -d office -o ticketfilter-staple-default=sideways \
  -o 'ticketfilter-account-id-default=A"B' >/dev/null 2>&1 || true
sleep 2
cat > "$W/defaults.test" <<'EOF'
{
	NAME "Vendor defaults"
	OPERATION Get-Printer-Attributes
	GROUP operation-attributes-tag
	ATTR charset attributes-charset utf-8
	ATTR naturalLanguage attributes-natural-language en
	ATTR uri printer-uri $uri
	ATTR keyword requested-attributes ticketfilter-staple-default,ticketfilter-account-id-default
	STATUS successful-ok
	EXPECT ticketfilter-staple-default OF-TYPE keyword WITH-VALUE none
	EXPECT ticketfilter-account-id-default OF-TYPE text WITH-VALUE ""
}
EOF
if ipp office "$W/defaults.test" >"$W/defaults.txt" 2>&1; then
  pass "defaults the attributes do not take are set back to the driver's"
else
  fail "bad defaults stay"
  cat "$W/defaults.txt"
fi
if grep -q 'ticketfilter-staple-default is not one of the values of ticketfilter-staple; it is' \
     "$W/app.log"; then
  pass "the log says which default was set back"
else
  fail "no log line for the bad default"
fi
finish
