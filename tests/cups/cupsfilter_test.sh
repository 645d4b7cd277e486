#!/bin/bash
# The filters run by cupsfilter(8) with each sample PPD and -e (the PPD's own filters): pstops
# prepares the PostScript, our filter turns it into the printer stream.  No scheduler; a private
# cups-files.conf whose ServerBin holds the system filters, the wrapped pstops and ours.
#
# Each run's output is compared with the expected stream: the PJL header as exact text for the
# options given, then the PostScript the filter received from pstops with exactly the insertions
# expected, control-D and the trailer.  Knobs: KEEP=1 keeps the work directory.
. "$(dirname "$0")/lib.sh"
require_tools cupsfilter iconv perl hostname

make_workdir
trap remove_workdir EXIT
trap 'exit 130' INT TERM

mkdir -p "$W/conf" "$W/capture" "$W/out" "$W/home"
make_serverbin "$W/bin" "$W/capture"
printf 'ServerBin %s\nDataDir /usr/share/cups\n' "$W/bin" > "$W/conf/cups-files.conf"
# cupsfilter looks its printer up on the default server: make that fail at once; and no
# client.conf or lpoptions of the system may add options.
export CUPS_SERVER=$W/no-server.sock CUPS_SERVERROOT=$W/conf HOME=$W/home LANG=C LC_ALL=C

DOCUMENT=$W/document.ps
write_document 4 "$DOCUMENT"

# run LABEL PPD cupsfilter-options...: the output goes to $W/out/LABEL.prn, the filter's input
# (pstops' output) to $W/out/LABEL.input.
run() {
  local label=$1 ppd=$2 status=0
  shift 2
  timeout 60 cupsfilter -c "$W/conf/cups-files.conf" -p "$TF_SOURCE_DIR/ppd/$ppd" -e \
    -m printer/tf -U tux "$@" "${RUN_FILE:-$DOCUMENT}" > "$W/out/$label.prn" 2> "$W/out/$label.err" ||
    status=$?
  mv "$W/capture/pstops.1.ps" "$W/out/$label.input" 2>/dev/null || true
  if [ "$status" -ne 0 ]; then
    fail "$label: cupsfilter exited with status $status"
    grep -v '^DEBUG' "$W/out/$label.err" | tail -n 5
    return 1
  fi
  grep -q "^INFO: $(filter_of "$ppd") (PID [0-9]*) exited with no errors" "$W/out/$label.err" ||
    { fail "$label: the filter did not run"; return 1; }
}
filter_of() { sed -n 's/^\*cupsFilter2: ".* \([^ ]*\)"$/\1/p' "$TF_SOURCE_DIR/ppd/$1"; }

# check LABEL PAGES COPIES PS-TRANSFORM [once]: the output against the template on standard input
# (see render), then the filter's input through PS-TRANSFORM, control-D (with "once" only when the
# input does not already end with one) and the trailer; and one page line per page.
check() {
  local label=$1 pages=$2 copies=$3 transform=$4 once=${5:-} input=$W/out/$1.input page lines
  [ -f "$input" ] || { fail "$label: no copy of the filter's input"; return; }
  {
    render
    $transform < "$input"
    if [ -z "$once" ] || [ "$(tail -c 1 "$input" | od -An -tx1 | tr -d ' ')" != 04 ]; then
      printf '\004'
    fi
    trailer
  } > "$W/out/$label.expected"
  compare_stream "$label" "$W/out/$label.expected" "$W/out/$label.prn"
  lines=$(for page in $(seq "$pages"); do echo "PAGE:$page $copies"; done)
  if [ "$(grep '^PAGE:' "$W/out/$label.err")" = "$lines" ]; then
    pass "$label: one page line per page, $copies copies each"
  else
    fail "$label: page lines"
    grep '^PAGE:' "$W/out/$label.err" | head -n 5
  fi
}

P=$TF_PREFIX B=$TF_BASIC_PREFIX

# ---- UTF-8 printer: stapled, watermarked secure print -----------------------------------------
run color tf-color-utf8.ppd -t "Quarterly report" \
  -o ${P}PrintTypeTicketKey=2 -o ${P}PrintTypeUserNameTicketKey=tux \
  -o ${P}PrintTypePasswordTicketKey=1234 -o ${P}DocumentNameTypeTicketKey=1 \
  -o QMStaple=UpperLeftSingle -o QMLineWeightAdjustment=Strongly2 \
  -o ${P}WMARKTypeTicket=0 -o ${P}WMARKNameTicket=Confidential \
  -o "${P}WMARKTextTicket=(CONFIDENTIAL)" -o ${P}WMARKOnlyFirstTicket=0 \
  -o ${P}WMARKFontTicket=Helvetica -o ${P}WMARKFontSizeTicket=48 -o ${P}WMARKColorRTicket=1 \
  -o ${P}WMARKColorGTicket=0 -o ${P}WMARKColorBTicket=0 -o ${P}WMARKDensityTicket=50 \
  -o ${P}WMARKAngleTicket=45 -o ${P}WMARKOrientationTicket=1 \
  -o ${P}WMARKPaperWidthTicket=595 -o ${P}WMARKPaperHeightTicket=842 \
  -o ${P}WMARKWidthTicket=400 -o ${P}WMARKHeightTicket=60 &&
check color 4 1 insert_watermark <<'EOF'
<UEL>@PJL SET STRINGCODESET=UTF8
@PJL JOB MODE=PRINTER<CR>
@PJL SET HOLD=STORE
@PJL SET HOLDTYPE=PRIVATE
@PJL SET USERNAME="tux"<CR>
@PJL SET HOLDENCRYPTKEY="1234"<CR>
@PJL SET JOBNAME="Quarterly report"<CR>
<HOST utf8>
@PJL SET JOBATTR="@LUNA=tux"
@PJL SET JOBATTR="@NLPP=1"
@PJL SET JOBATTR="@JOAU=tux"<CR>
@PJL SET JOBATTR="@DIND=PORTRAIT"
@PJL SET JOBATTR="@DIBB=OFF"
@PJL SET JOBATTR="@DIBK=OFF"
@PJL SET JOBATTR="@LWAD=-2"
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
@PJL COMMENT QMJOBINFO STAPLEEX=TOPLEFT
@PJL COMMENT QMJOBINFO MIXEDSIZETYPE=NONE
@PJL COMMENT QMJOBINFO CUD=OFF
@PJL COMMENT QMJOBINFO END
@PJL ENTER LANGUAGE=POSTSCRIPT
EOF

# ---- Shift-JIS printer with a product code: administrator account, Japanese title, 2 copies -----
run bytemode tf-mono-bytemode.ppd -t "会議資料" -n 2 -o QMPunch=Left -o QMNumPunchHoles=3Holes \
  -o ${P}JBAManageTypeListTicketKey=1 -o ${P}JBAInfoListTicketKey=0 \
  -o ${P}JBAAdminUserSettingRadioBtnTicket=1 -o ${P}JBAAdminUserIDListCtrlTicket=1 \
  -o ${P}JBAAdminUserPasswordTextEditTicket=pw -o ${P}JBAAdminDomainNameTextEditTicket=hq &&
check bytemode 4 2 cat <<'EOF'
<UEL>@PJL JOB MODE=PRINTER<CR>
@PJL SET JOBATTR="@JOAU=tux"<CR>
@PJL SET JOBATTR="@JOEP=pw"<CR>
@PJL SET JOBATTR="@JOAD=hq"<CR>
@PJL SET JOBATTR="@DAID="<CR>
@PJL SET JOBATTR="@ACNA=<SJIS:会議資料>"<CR>
<HOST bytes>
@PJL SET JOBATTR="@LUNA=tux"
@PJL SET JOBATTR="@NLPP=1"
@PJL SET JOBATTR="@JOAU=tux"<CR>
@PJL SET RENDERMODE=GRAYSCALE
@PJL COMMENT QMJOBINFO VERSION=1.3.0
@PJL COMMENT QMJOBINFO BEGIN
@PJL COMMENT QMJOBINFO PDLTYPE=PDL[POSTSCRIPT]:VERSION[3]
@PJL COMMENT QMJOBINFO JOBTYPE=PRINT
@PJL COMMENT QMJOBINFO DUPLEXTYPE=SIMPLEX
@PJL COMMENT QMJOBINFO COLORMODE=GRAYSCALE
@PJL COMMENT QMJOBINFO NUP=1
@PJL COMMENT QMJOBINFO STAPLE=OFF
@PJL COMMENT QMJOBINFO PUNCH=ON
@PJL COMMENT QMJOBINFO BOOKLETTYPE=TYPE[NOBOOKLET]
@PJL COMMENT QMJOBINFO END
@PJL ENTER LANGUAGE=POSTSCRIPT
EOF

# ---- Decomposition printer: the feature settings as PJL before the switch into PostScript ------
run decomp tf-mono-decomp.ppd -t "Decomp" -o QMOutputMode=HighSpeed -o QMBrightnes=Dark2 \
  -o Smoothing=False
decomp_pjl() {  # the PJL each feature line of this job must give, in the order of the lines
  local feature name
  grep -a '^%%BeginFeature: ' "$W/out/decomp.input" | while IFS= read -r feature; do
    case ${feature#%%BeginFeature: } in
      '*QMOutputMode HighSpeed') printf '@PJL SET BITSPERPIXEL=1\n' ;;  # no resolution lines
      '*QMHalftone Fineness')
        for name in TTRC GTRC ITRC TSCR GSCR ISCR; do
          printf '@PJL SET JOBATTR="@%s=64"\n' "$name"
        done ;;
      '*QMTonerSaver False') printf '@PJL SET ECONOMODE=OFF\n' ;;
      '*QMBrightnes Dark2') printf '@PJL SET JOBATTR="@PSBR=-2"\n' ;;
      '*Smoothing False') printf '@PJL SET RET=OFF\n' ;;
      '*PageSize A4' | '*Collate True' | '*Duplex None') ;;
      *) echo "unexpected feature line: $feature" ;;
    esac
  done
}
[ -f "$W/out/decomp.input" ] && {
  cat <<'EOF'
<UEL>@PJL JOB MODE=PRINTER<CR>
<HOST bytes>
@PJL SET JOBATTR="@LUNA=tux"
@PJL SET JOBATTR="@NLPP=1"
@PJL SET JOBATTR="@JOAU=tux"<CR>
@PJL SET RENDERMODE=GRAYSCALE
EOF
  decomp_pjl
  echo '@PJL ENTER LANGUAGE=POSTSCRIPT'
} | check decomp 4 1 cat once

# ---- ticketfilter-basic: finishing tickets of its own prefix, with PostScript insertions ------
# Separator pages before the first "%%EndProlog", image shift and automatic fit before
# "%%EndSetup" (one page per sheet).
insert_finishing() {
  sed -e '/^%%EndProlog$/i\
[{\
%%BeginNonPPDFeatures\
1 dict dup/SeparatorPages[1 3]put/Custom/ProcSet findresource/setcoverseparator get exec\
%%EndNonPPDFeatures\
} stopped cleartomark' -e '/^%%EndSetup$/i\
[{\
%%BeginNonPPDFeatures\
5.000/Custom/ProcSet findresource/setsignatureimageshift get exec\
%%EndNonPPDFeatures\
} stopped cleartomark\
[{\
%%BeginNonPPDFeatures\
/Custom/ProcSet findresource/setsignatureautoscale 2 copy known {get true exch exec} {pop pop} ifelse\
%%EndNonPPDFeatures\
} stopped cleartomark'
}
run basic tf-basic.ppd -t "Basic" -o QMColorMode=Auto -o QMStaple=None \
  -o ${B}TabMarginSwitchTicket=1 -o ${B}TabMarginMMShiftTicket=10 -o ${B}TrimmerSwitchTicket=0 \
  -o ${B}OffsetStackingListTicket=5 -o ${B}OffsetStackingUnitsLArrowTicket=2 \
  -o ${B}EjectOptionsListTicket=3 -o ${B}SeparatorPageListTicket=0 \
  -o "${B}SeparatorPageTicket='1 3'" -o ${B}BookletMarginSwitchTicket=1 \
  -o ${B}BookletMarginMMShiftTicket=5 -o ${B}AutoFitSwitchTicket=1 \
  -o ${P}TrimmerSwitchTicket=1 -o ${P}TrimmerMMCuttingSizeTicket=99 &&
check basic 4 1 insert_finishing <<'EOF'
<UEL>@PJL JOB MODE=PRINTER<CR>
<HOST bytes>
@PJL SET JOBATTR="@LUNA=tux"
@PJL SET JOBATTR="@TABS=10"
@PJL SET JOBATTR="@TRMR=0"
@PJL SET JOBOFFSET=COPIES
@PJL SET JOBATTR="@OCSN=2"
@PJL SET JOBATTR="@FACE=UP"
@PJL SET JOBATTR="@LWAD=0"
@PJL COMMENT QMJOBINFO VERSION=1.3.0
@PJL COMMENT QMJOBINFO BEGIN
@PJL COMMENT QMJOBINFO PDLTYPE=PDL[POSTSCRIPT]:VERSION[3]
@PJL COMMENT QMJOBINFO JOBTYPE=PRINT
@PJL COMMENT QMJOBINFO DUPLEXTYPE=SIMPLEX
@PJL COMMENT QMJOBINFO NUP=1
@PJL COMMENT QMJOBINFO STAPLE=OFF
@PJL COMMENT QMJOBINFO PUNCH=OFF
@PJL COMMENT QMJOBINFO BOOKLETTYPE=TYPE[NOBOOKLET]
@PJL COMMENT QMJOBINFO END
@PJL ENTER LANGUAGE=POSTSCRIPT
EOF

# PDF: cupsfilter runs pdftopdf and pdftops, with Ghostscript's ps2write by default or Poppler;
# the watermark must show on every page of what the printer receives, with no save left open.
RENDER_CHECK=$TF_BUILD_DIR/tests/bin/render_check
for pdf in /usr/share/cups/data/default-testpage.pdf /usr/share/doc/libtasn1-doc/libtasn1.pdf; do
  for renderer in gs pdftops; do
    label="$(basename "$pdf" .pdf)-$renderer"
    if [ ! -r "$pdf" ] || ! command -v pdfinfo >/dev/null; then
      fail "$label: $pdf or pdfinfo (poppler-utils) is missing"
      continue
    fi
    RUN_FILE=$pdf run "$label" tf-color-utf8.ppd -o pdftops-renderer=$renderer \
      -o ${P}WMARKTypeTicket=0 -o ${P}WMARKNameTicket=Confidential \
      -o "${P}WMARKTextTicket=(CONFIDENTIAL)" -o ${P}WMARKOnlyFirstTicket=0 \
      -o ${P}WMARKFontTicket=Helvetica -o ${P}WMARKFontSizeTicket=48 -o ${P}WMARKColorRTicket=1 \
      -o ${P}WMARKColorGTicket=0 -o ${P}WMARKColorBTicket=0 -o ${P}WMARKDensityTicket=50 \
      -o ${P}WMARKAngleTicket=45 -o ${P}WMARKOrientationTicket=1 \
      -o ${P}WMARKPaperWidthTicket=595 -o ${P}WMARKPaperHeightTicket=842 \
      -o ${P}WMARKWidthTicket=400 -o ${P}WMARKHeightTicket=60 || continue
    pages=$(pdfinfo "$pdf" | awk '/^Pages:/ { print $2 }')
    if out=$("$RENDER_CHECK" --pages "$pages" "$W/out/$label.prn" 2>&1); then
      pass "$label: $pages pages rendered, each with its watermark, no save left open"
    else
      fail "$label: the printer stream does not render as expected"
      printf '%s\n' "$out" | grep -v ' watermark pixels$' | head -n 12
    fi
  done
done

[ "$FAILURES" -eq 0 ] || { echo "$FAILURES check(s) failed"; exit 1; }
echo "all checks passed"
