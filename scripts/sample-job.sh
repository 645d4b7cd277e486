#!/bin/bash
# Installs what the build needs, builds both programs, and runs the sample job through
# ticketfilter with the bundled PPD.  Shows the PJL header as text and the size of the rest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target ticketfilter ticketfilter-basic

out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
options="com.brantlowe.ticket.PrintTypeTicketKey=2 \
com.brantlowe.ticket.PrintTypeUserNameTicketKey=tux \
com.brantlowe.ticket.PrintTypePasswordTicketKey=1234 \
com.brantlowe.ticket.DocumentNameTypeTicketKey=1 \
QMStaple=UpperLeftSingle QMColorMode=Color collate=true number-up=1 sides=two-sided-long-edge \
com.brantlowe.ticket.WMARKTypeTicket=0 com.brantlowe.ticket.WMARKNameTicket=Confidential \
com.brantlowe.ticket.WMARKTextTicket=(CONFIDENTIAL) com.brantlowe.ticket.WMARKOnlyFirstTicket=0 \
com.brantlowe.ticket.WMARKFontTicket=Helvetica com.brantlowe.ticket.WMARKFontSizeTicket=48 \
com.brantlowe.ticket.WMARKColorRTicket=1 com.brantlowe.ticket.WMARKColorGTicket=0 \
com.brantlowe.ticket.WMARKColorBTicket=0 com.brantlowe.ticket.WMARKDensityTicket=50 \
com.brantlowe.ticket.WMARKAngleTicket=45 com.brantlowe.ticket.WMARKOrientationTicket=1 \
com.brantlowe.ticket.WMARKPaperWidthTicket=595 com.brantlowe.ticket.WMARKPaperHeightTicket=842 \
com.brantlowe.ticket.WMARKWidthTicket=400 com.brantlowe.ticket.WMARKHeightTicket=60"

status=0
PPD=ppd/tf-color-utf8.ppd build/bin/ticketfilter 1 tux "Sample job" 2 "$options" \
    samples/sample-job.ps >"$out" 2>"$err" || status=$?

enter=$(grep -a -b -o -m1 '@PJL ENTER LANGUAGE=POSTSCRIPT' "$out" | cut -d: -f1)
header_len=$((enter + 31))
total=$(stat -c %s "$out")
trailer_len=18
echo "== PJL header (ESC shown as ^[, CR as ^M) =="
head -c "$header_len" "$out" | cat -v
echo "== PostScript: $((total - header_len - trailer_len)) bytes (watermark inserted on every page) =="
echo "== PJL trailer =="
tail -c "$trailer_len" "$out" | cat -v
echo "== standard error =="
cat "$err"
echo "== exit status: $status =="
exit "$status"
