#!/bin/bash
# The filters under a private cupsd: one queue per sample PPD, jobs sent with lp and -o options,
# the bytes the printer would receive (our recorder backend) compared with the expected stream,
# and the page totals of page_log.
#
# The scheduler has its own configuration, spool, cache and logs in a temporary directory and
# listens on a Unix socket only; it is stopped by its PID after its jobs are cancelled.  Every
# wait is bounded.  The expected stream of a job is written here: the PJL header as exact text
# for the options sent, then the PostScript that the filter received from pstops (a copy kept by
# the wrapped pstops) with exactly the insertions expected, control-D and the trailer.
#
# Knobs: KEEP=1 keeps the work directory; JOB_TIMEOUT (seconds, default 30) bounds each job.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/scheduler.sh"
require_tools cupsd lpadmin lp lpstat cancel iconv perl hostname

start_cupsd
add_queue color tf-color-utf8.ppd
add_queue mono tf-mono-bytemode.ppd
add_queue decomp tf-mono-decomp.ppd
add_queue basic tf-basic.ppd

P=$TF_PREFIX B=$TF_BASIC_PREFIX

# A stapled, watermarked secure-print job with a front cover, two copies.
submit secure color -U tux -t "Quarterly report" -n 2 \
  -o ${P}PrintTypeTicketKey=2 -o ${P}PrintTypeUserNameTicketKey=tux \
  -o ${P}PrintTypePasswordTicketKey=1234 -o ${P}DocumentNameTypeTicketKey=1 \
  -o QMStaple=UpperLeftSingle \
  -o ${P}WMARKTypeTicket=0 -o ${P}WMARKNameTicket=Confidential \
  -o "${P}WMARKTextTicket=(CONFIDENTIAL)" -o ${P}WMARKOnlyFirstTicket=0 \
  -o ${P}WMARKFontTicket=Helvetica -o ${P}WMARKFontSizeTicket=48 -o ${P}WMARKColorRTicket=1 \
  -o ${P}WMARKColorGTicket=0 -o ${P}WMARKColorBTicket=0 -o ${P}WMARKDensityTicket=50 \
  -o ${P}WMARKAngleTicket=45 -o ${P}WMARKOrientationTicket=1 \
  -o ${P}WMARKPaperWidthTicket=595 -o ${P}WMARKPaperHeightTicket=842 \
  -o ${P}WMARKWidthTicket=400 -o ${P}WMARKHeightTicket=60 \
  -o ${P}KPIFCoverCountTicket=1 -o ${P}KPIFCoverValueTicket_0=0,0,front,Cardstock
check_job secure color 3 2 insert_watermark <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE kpif SYSTEM "kpif-v02030a.dtd">
<kpif version="1.0" cpss-version="2.01" xml:lang="en-US">
  <job-template-attributes>
    <cover-front syntax="collection">
        <cover-type syntax="keyword">front</cover-type>
        <media-col syntax="collection">
            <media-type syntax="name">Cardstock</media-type>
        </media-col>
    </cover-front>
  </job-template-attributes>
</kpif>
<UEL>@PJL SET STRINGCODESET=UTF8
@PJL JOB MODE=PRINTER<CR>
@PJL SET HOLD=STORE
@PJL SET HOLDTYPE=PRIVATE
@PJL SET USERNAME="tux"<CR>
@PJL SET HOLDENCRYPTKEY="1234"<CR>
@PJL SET JOBNAME="Quarterly report"<CR>
<HOST utf8>
@PJL SET JOBATTR="@LUNA=tux"
@PJL SET JOBATTR="@NLPP=N1"
@PJL SET JOBATTR="@JOAU=tux"<CR>
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
@PJL COMMENT QMJOBINFO STAPLEEX=TOPLEFT
@PJL COMMENT QMJOBINFO MIXEDSIZETYPE=NONE
@PJL COMMENT QMJOBINFO CUD=OFF
@PJL COMMENT QMJOBINFO END
@PJL ENTER LANGUAGE=POSTSCRIPT
EOF

# A left-bound booklet in subsets of five sheets, with the account of a typed user ID.
submit booklet color -U tux -t "Booklet" -o QMSignature=LeftSig -o QMSigVol=5Sheets \
  -o ${P}JBAManageTypeListTicketKey=2 -o ${P}JBAUserSettingRadioBtnTicket=1 \
  -o ${P}JBAUserIDListCtrlTicket=2 -o ${P}JBAUserIDTextEditTicket=acct01 \
  -o ${P}JBAUserPasswordTextEditTicket=secret -o ${P}JBADomainNameTextEditTicket=office \
  -o ${P}JBAAccountIDTextEditTicket=4711
check_job booklet color 3 1 cat <<'EOF'
<UEL>@PJL SET STRINGCODESET=UTF8
@PJL JOB MODE=PRINTER<CR>
<HOST utf8>
@PJL SET JOBATTR="@LUNA=tux"
@PJL SET JOBATTR="@NLPP=N1"
@PJL SET JOBATTR="@JOAU=acct01"<CR>
@PJL SET JOBATTR="@JOEP=secret"<CR>
@PJL SET JOBATTR="@JOAD=office"<CR>
@PJL SET JOBATTR="@DAID=4711"<CR>
@PJL SET JOBATTR="@ACNA=Booklet"<CR>
@PJL SET JOBATTR="@DIND=PORTRAIT"
@PJL SET JOBATTR="@DIBB=LEFT"
@PJL SET JOBATTR="@DIBK=MANUALDIVIDE"
@PJL SET JOBATTR="@LWAD=0"
@PJL SET RENDERMODE=COLOR
@PJL COMMENT QMJOBINFO VERSION=1.5.0
@PJL COMMENT QMJOBINFO BEGIN
@PJL COMMENT QMJOBINFO PDLTYPE=PDL[POSTSCRIPT]:VERSION[3]
@PJL COMMENT QMJOBINFO JOBTYPE=PRINT
@PJL COMMENT QMJOBINFO DUPLEXTYPE=TUMBLE
@PJL COMMENT QMJOBINFO COLORMODE=COLOR
@PJL COMMENT QMJOBINFO NUP=1
@PJL COMMENT QMJOBINFO STAPLE=OFF
@PJL COMMENT QMJOBINFO PUNCH=OFF
@PJL COMMENT QMJOBINFO BOOKLETTYPE=TYPE[MANUALDIVIDE]:THRESHOLD[5]
@PJL COMMENT QMJOBINFO ORIENTATION=LANDSCAPE
@PJL COMMENT QMJOBINFO SADDLESTAPLE=OFF
@PJL COMMENT QMJOBINFO MIXEDSIZETYPE=NONE
@PJL COMMENT QMJOBINFO CUD=OFF
@PJL COMMENT QMJOBINFO END
@PJL ENTER LANGUAGE=POSTSCRIPT
EOF

# Special pages of every kind (two covers, an inserted sheet, a page exception) and perfect
# binding trimmed at the fore edge; the other binding values are the queue's defaults.
submit special color -U tux -t "Bound" -o QMPBindPosition=BindLeft \
  -o QMPBindTrimming=1EdgeCutMinimum -o ${P}KPIFCoverCountTicket=2 \
  -o ${P}KPIFCoverValueTicket_0=0,1,front,coated,white,2100,2970 \
  -o ${P}KPIFCoverValueTicket_1=1,0,back,Cardstock -o ${P}KPIFInsertionCountTicket=1 \
  -o ${P}KPIFInsertionValueTicket_0=0,2,1,Tab -o ${P}KPIFExceptionCountTicket=1 \
  -o ${P}KPIFExceptionValueTicket_0=1,1,1,2,3,two-sided-long-edge,Plain,blue,2100,2970
check_job special color 3 1 cat <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE kpif SYSTEM "kpif-v02030a.dtd">
<kpif version="1.0" cpss-version="2.01" xml:lang="en-US">
  <job-template-attributes>
    <cover-front syntax="collection">
        <cover-type syntax="keyword">front</cover-type>
        <media-col syntax="collection">
            <media-type syntax="keyword">coated</media-type>
            <media-color syntax="keyword">white</media-color>
            <media-size syntax="collection">
                <x-dimension syntax="integer">2100</x-dimension>
                <y-dimension syntax="integer">2970</y-dimension>
            </media-size>
        </media-col>
    </cover-front>
    <cover-back syntax="collection">
        <cover-type syntax="keyword">back</cover-type>
        <media-col syntax="collection">
            <media-type syntax="name">Cardstock</media-type>
        </media-col>
    </cover-back>
    <insert-sheet syntax="1setOf">
        <value syntax="collection">
                <insert-after-page-number syntax="integer">2</insert-after-page-number>
                <insert-count syntax="integer">1</insert-count>
                <media-col syntax="collection">
                    <media-type syntax="name">Tab</media-type>
                </media-col>
        </value>
    </insert-sheet>
    <page-overrides syntax="1setOf">
        <value syntax="collection">
            <input-documents syntax="1setOf">
                <value syntax="rangeOfInteger">
                    <lower-bound syntax="integer">1</lower-bound>
                    <upper-bound syntax="integer">1</upper-bound>
                </value>
            </input-documents>
            <pages syntax="1setOf">
                <value syntax="rangeOfInteger">
                    <lower-bound syntax="integer">2</lower-bound>
                    <upper-bound syntax="integer">3</upper-bound>
                </value>
            </pages>
            <sides syntax="keyword">two-sided-long-edge</sides>
            <media-col syntax="collection">
                <media-type syntax="name">Plain</media-type>
                <media-color syntax="keyword">blue</media-color>
                <media-size syntax="collection">
                    <x-dimension syntax="integer">2100</x-dimension>
                    <y-dimension syntax="integer">2970</y-dimension>
                </media-size>
            </media-col>
        </value>
    </page-overrides>
  </job-template-attributes>
</kpif>
<UEL>@PJL SET STRINGCODESET=UTF8
@PJL JOB MODE=PRINTER<CR>
<HOST utf8>
@PJL SET JOBATTR="@LUNA=tux"
@PJL SET JOBATTR="@NLPP=N1"
@PJL SET JOBATTR="@JOAU=tux"<CR>
@PJL SET JOBATTR="@PBRE=LEFT"
@PJL SET JOBATTR="@MSDA=ROTSEFLAND"
@PJL SET JOBATTR="@PBTC=FACE"
@PJL SET JOBATTR="@PBBP=A4"
@PJL SET JOBATTR="@PBTP=CUSTOM"
@PJL SET JOBATTR="@PBTW=2030"
@PJL SET JOBATTR="@PBTH=2970"
@PJL SET JOBATTR="@PBAW=0"
@PJL SET JOBATTR="@PBAH=0"
@PJL SET JOBATTR="@PBAT=0"
@PJL SET JOBATTR="@PBAB=0"
@PJL SET JOBATTR="@PBAF=0"
@PJL SET JOBATTR="@PBAX=0"
@PJL SET JOBATTR="@PBAY=0"
@PJL SET JOBATTR="@PBAV=0"
@PJL SET JOBATTR="@PBCP=A3"
@PJL SET JOBATTR="@PBCQ=THICK"
@PJL SET JOBATTR="@PBCC=WHITE"
@PJL SET JOBATTR="@PBCT=INTRAY9"
@PJL SET JOBATTR="@PBCI=OFF"
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
@PJL COMMENT QMJOBINFO STAPLE=OFF
@PJL COMMENT QMJOBINFO PUNCH=OFF
@PJL COMMENT QMJOBINFO BOOKLETTYPE=TYPE[NOBOOKLET]
@PJL COMMENT QMJOBINFO ORIENTATION=PORTRAIT
@PJL COMMENT QMJOBINFO SADDLESTAPLE=OFF
@PJL COMMENT QMJOBINFO MIXEDSIZETYPE=NONE
@PJL COMMENT QMJOBINFO CUD=OFF
@PJL COMMENT QMJOBINFO END
@PJL ENTER LANGUAGE=POSTSCRIPT
EOF

# PDF documents go through CUPS's default chain (pdftopdf, then pdftops with Ghostscript's
# ps2write, whose pages are ended from inside procedures), and through Poppler's pdftops: the
# printer must receive a job that Ghostscript renders with the watermark on every page (or only
# the first), as many pages as the PDF has, and no save left open by a page.
RENDER_CHECK=$TF_BUILD_DIR/tests/bin/render_check
WATERMARK=(-o ${P}WMARKTypeTicket=0 -o ${P}WMARKNameTicket=Confidential
  -o "${P}WMARKTextTicket=(CONFIDENTIAL)" -o ${P}WMARKFontTicket=Helvetica
  -o ${P}WMARKFontSizeTicket=48 -o ${P}WMARKColorRTicket=1 -o ${P}WMARKColorGTicket=0
  -o ${P}WMARKColorBTicket=0 -o ${P}WMARKDensityTicket=50 -o ${P}WMARKAngleTicket=45
  -o ${P}WMARKOrientationTicket=1 -o ${P}WMARKPaperWidthTicket=595
  -o ${P}WMARKPaperHeightTicket=842 -o ${P}WMARKWidthTicket=400 -o ${P}WMARKHeightTicket=60)
pdf_job() {  # label pdf render-check-options lp-options...
  local label=$1 pdf=$2 check=$3 pages out
  shift 3
  if [ ! -r "$pdf" ]; then fail "$label: $pdf is not installed"; return; fi
  pages=$(pdfinfo "$pdf" | awk '/^Pages:/ { print $2 }')
  SUBMIT_FILE=$pdf submit "$label" color -U tux -t "$label" "${WATERMARK[@]}" "$@"
  if out=$("$RENDER_CHECK" $check --pages "$pages" "$W/printer/job.${JOB[$label]}.prn" 2>&1); then
    local where="every page"
    [ -n "$check" ] && where="the first page only"
    pass "$label: $pages pages rendered, the watermark on $where, no save left open"
  else
    fail "$label: the printer stream does not render as expected"
    printf '%s\n' "$out" | grep -v ' watermark pixels$' | head -n 12
  fi
  local total=
  for _ in $(seq 50); do
    total=$(awk -v j="${JOB[$label]}" '$1 == "color" && $2 == j && $(NF - 1) == "total" { print $NF }' \
            "$W/log/page_log" 2>/dev/null)
    [ -n "$total" ] && break
    sleep 0.1
  done
  [ "$total" = "$pages" ] && pass "$label: page_log counts $total pages" ||
    fail "$label: page_log counts '$total' pages, expected $pages"
}
if command -v pdfinfo >/dev/null && [ -x "$RENDER_CHECK" ]; then
  pdf_job testpage /usr/share/cups/data/default-testpage.pdf "" -o ${P}WMARKOnlyFirstTicket=0
  pdf_job manual /usr/share/doc/libtasn1-doc/libtasn1.pdf "" -o ${P}WMARKOnlyFirstTicket=0
  pdf_job manual-poppler /usr/share/doc/libtasn1-doc/libtasn1.pdf "" \
    -o ${P}WMARKOnlyFirstTicket=0 -o pdftops-renderer=pdftops
  pdf_job manual-first /usr/share/doc/libtasn1-doc/libtasn1.pdf --first-page-only \
    -o ${P}WMARKOnlyFirstTicket=1
else
  fail "pdfinfo (poppler-utils) or $RENDER_CHECK is missing: the PDF jobs were not run"
fi

# A Shift-JIS printer: a sample-print job with a Japanese user and title, two-sided, stapled and
# punched; the job-information comment of version 1.3.0 (product code in PCFileName).
submit bytemode mono -U tux -t "報告書 2024" -o sides=two-sided-long-edge \
  -o QMStaple=LeftDouble -o QMPunch=Left -o ${P}PrintTypeTicketKey=3 \
  -o ${P}PrintTypeUserNameTicketKey=山田 -o ${P}DocumentNameTypeTicketKey=1 \
  -o ${P}PrintTypeProductTypeTicketKey=3
check_job bytemode mono 3 1 cat <<'EOF'
<UEL>@PJL JOB MODE=PRINTER<CR>
@PJL SET HOLD=PROOF
@PJL SET USERNAME="<SJIS:山田>"<CR>
@PJL SET JOBNAME="<SJIS:報告書 2024>"<CR>
<HOST bytes>
@PJL SET JOBATTR="@LUNA=tux"
@PJL SET JOBATTR="@NLPP=N1"
@PJL SET JOBATTR="@JOAU=tux"<CR>
@PJL SET RENDERMODE=GRAYSCALE
@PJL COMMENT QMJOBINFO VERSION=1.3.0
@PJL COMMENT QMJOBINFO BEGIN
@PJL COMMENT QMJOBINFO PDLTYPE=PDL[POSTSCRIPT]:VERSION[3]
@PJL COMMENT QMJOBINFO JOBTYPE=PRINT
@PJL COMMENT QMJOBINFO DUPLEXTYPE=DUPLEX
@PJL COMMENT QMJOBINFO COLORMODE=GRAYSCALE
@PJL COMMENT QMJOBINFO NUP=1
@PJL COMMENT QMJOBINFO STAPLE=ON
@PJL COMMENT QMJOBINFO PUNCH=ON
@PJL COMMENT QMJOBINFO BOOKLETTYPE=TYPE[NOBOOKLET]
@PJL COMMENT QMJOBINFO END
@PJL ENTER LANGUAGE=POSTSCRIPT
EOF

grep -aq '^%%BeginFeature: \*Duplex DuplexNoTumble$' "$W/capture/pstops.${JOB[bytemode]}.ps" &&
  pass "bytemode: sides=two-sided-long-edge reached the PostScript as the PPD's duplex setting" ||
  fail "bytemode: no duplex setting for sides=two-sided-long-edge"

# The decomposition printer: the PPD feature settings that pstops wrote into the PostScript come
# before the switch into PostScript as PJL, in the order of their lines.
submit decomp decomp -U tux -t "Decomp" -o QMOutputMode=1200x1200 -o QMHalftone=Gradation \
  -o QMTonerSaver=True
# The PJL each feature line of this job must give (a 1200 dpi resolution is written once, at the
# line that names it; the halftone lines because the printer is monochrome).
decomp_pjl() {
  local feature
  grep -a '^%%BeginFeature: ' "$W/capture/pstops.${JOB[decomp]}.ps" | while IFS= read -r feature; do
    case ${feature#%%BeginFeature: } in
      '*QMOutputMode 1200x1200')
        printf '@PJL SET RESOLUTION=1200\n@PJL SET BITSPERPIXEL=1\n'
        printf '@PJL SET JOBATTR="@DRDM=RASTER"\n' ;;
      '*QMHalftone Gradation')
        for name in TTRC GTRC ITRC TSCR GSCR ISCR; do
          printf '@PJL SET JOBATTR="@%s=66"\n' "$name"
        done ;;
      '*QMTonerSaver True') printf '@PJL SET ECONOMODE=ON\n' ;;
      '*QMBrightnes Normal') printf '@PJL SET JOBATTR="@PSBR=0"\n' ;;
      '*Smoothing True') printf '@PJL SET RET=ON\n' ;;
      '*PageSize A4' | '*Collate True' | '*Duplex None') ;;
      *) echo "unexpected feature line: $feature" ;;
    esac
  done
}
{
  cat <<'EOF'
<UEL>@PJL JOB MODE=PRINTER<CR>
<HOST bytes>
@PJL SET JOBATTR="@LUNA=tux"
@PJL SET JOBATTR="@NLPP=N1"
@PJL SET JOBATTR="@JOAU=tux"<CR>
@PJL SET RENDERMODE=GRAYSCALE
EOF
  decomp_pjl
  echo '@PJL ENTER LANGUAGE=POSTSCRIPT'
} | check_job decomp decomp 3 1 cat once
[ "$(grep -ac '^%%BeginFeature: ' "$W/capture/pstops.${JOB[decomp]}.ps")" -ge 5 ] ||
  fail "decomp: pstops wrote fewer feature lines than the queue has options"

# ticketfilter-basic reads its own ticket keys only: the secure print of its prefix counts, the
# mailbox print given with the other program's prefix does not.
submit basic basic -U tux -t "Basic" -o QMStaple=TopDouble -o QMColorMode=Black \
  -o ${B}PrintTypeTicketKey=2 -o ${B}PrintTypeUserNameTicketKey=tux \
  -o ${B}PrintTypePasswordTicketKey=4321 -o ${P}PrintTypeTicketKey=5 \
  -o ${P}PrintTypeMBNTicketKey=12
check_job basic basic 3 1 cat <<'EOF'
<UEL>@PJL JOB MODE=PRINTER<CR>
@PJL SET HOLD=STORE
@PJL SET HOLDTYPE=PRIVATE
@PJL SET USERNAME="tux"<CR>
@PJL SET HOLDENCRYPTKEY="4321"<CR>
<HOST bytes>
@PJL SET JOBATTR="@LUNA=tux"
@PJL SET JOBATTR="@LWAD=0"
@PJL SET RENDERMODE=GRAYSCALE
@PJL COMMENT QMJOBINFO VERSION=1.3.0
@PJL COMMENT QMJOBINFO BEGIN
@PJL COMMENT QMJOBINFO PDLTYPE=PDL[POSTSCRIPT]:VERSION[3]
@PJL COMMENT QMJOBINFO JOBTYPE=PRINT
@PJL COMMENT QMJOBINFO DUPLEXTYPE=SIMPLEX
@PJL COMMENT QMJOBINFO COLORMODE=GRAYSCALE
@PJL COMMENT QMJOBINFO NUP=1
@PJL COMMENT QMJOBINFO STAPLE=ON
@PJL COMMENT QMJOBINFO PUNCH=OFF
@PJL COMMENT QMJOBINFO BOOKLETTYPE=TYPE[NOBOOKLET]
@PJL COMMENT QMJOBINFO END
@PJL ENTER LANGUAGE=POSTSCRIPT
EOF

# The filters ran as the spooler's user and wrote no error.
if grep -aE '\[Job [0-9]+\] ERROR:' "$W/log/error_log" >/dev/null; then
  fail "a filter reported an error:"
  grep -aE '\[Job [0-9]+\] ERROR:' "$W/log/error_log" | head -n 5
else
  pass "no filter reported an error"
fi

stop_cupsd
[ "$FAILURES" -eq 0 ] || { echo "$FAILURES check(s) failed"; exit 1; }
echo "all checks passed"
