#!/bin/bash
# Twenty jobs sent at once all print, one after another, each whole: PAPPL 1.3 would start some
# jobs twice and let two jobs write into one device at once (job_serialization.h).
#
# The printer's device is one file that every job is appended to.  Twenty clients (ipptool with
# CUPS's print-job.test) send at the same moment a document of their own: PostScript or PDF, with
# 1 to 3 pages, each page saying "job N page P".  Every job must complete, and the file must hold
# exactly twenty printer streams one after another, each from its PJL header to its PJL trailer,
# each the whole of one document (one job's text, its pages, rendering without error).
. "$(dirname "$0")/lib.sh"
require_app_tools

JOBS=20
app_start
: > "$W/out/all.prn"
app_add_printer office tf-color-utf8 "file://$W/out/all.prn"

for n in $(seq "$JOBS"); do
  pages=$(( (n % 3) + 1 ))
  write_sized_document a4 "$pages" "job $n" "$W/doc$n.ps"
  if (( n % 2 == 0 )); then to_pdf "$W/doc$n.ps" "$W/doc$n.pdf"; fi
done
pids=()
for n in $(seq "$JOBS"); do
  file=$W/doc$n.ps type=application/postscript
  if (( n % 2 == 0 )); then file=$W/doc$n.pdf type=application/pdf; fi
  ipp office /usr/share/cups/ipptool/print-job.test -f "$file" -d "filetype=$type" \
    >"$W/client$n.txt" 2>&1 &
  pids+=($!)
done
accepted=0
for n in $(seq "$JOBS"); do
  if wait "${pids[$((n - 1))]}"; then accepted=$((accepted + 1)); else cat "$W/client$n.txt"; fi
done
[ "$accepted" = "$JOBS" ] && pass "$JOBS jobs sent at once were accepted" ||
  fail "only $accepted of $JOBS jobs were accepted"
app_wait_idle office 180 || fail "jobs left"
completed=$(app_jobs office | grep -c ' completed ') || true
[ "$completed" = "$JOBS" ] && pass "$JOBS jobs completed" ||
  { fail "$completed of $JOBS jobs completed"; app_jobs office; }
started=$(grep -c 'Starting print job' "$W/app.log") || true
[ "$started" = "$JOBS" ] && pass "every job was started once" ||
  fail "$started starts for $JOBS jobs"

# Split the file into printer streams: from the UEL that begins a header to the UEL of the
# trailer, with nothing in between the streams.
mkdir -p "$W/streams"
perl -e '
  local $/; my $all = <STDIN>; my $n = 0;
  while ($all =~ /\G(\e%-12345X\@PJL SET STRINGCODESET=UTF8\n.*?\e%-12345X\@PJL EOJ\n)/gcs) {
    open(my $out, ">", sprintf("%s/%02d.prn", $ARGV[0], ++$n)) or die; print $out $1; close($out);
  }
  my $rest = length($all) - (pos($all) // 0);
  print "$n $rest\n";' "$W/streams" < "$W/out/all.prn" > "$W/split.txt"
read -r streams rest < "$W/split.txt"
if [ "$streams" = "$JOBS" ] && [ "$rest" = 0 ]; then
  pass "the device received $JOBS whole printer streams one after another"
else
  fail "the device received $streams printer streams and $rest bytes besides"
fi
seen=()
for stream in "$W"/streams/*.prn; do
  # The page texts, as PostScript strings both in the documents and in Ghostscript's PostScript.
  jobs=$(grep -ao '(job [0-9]* page ' "$stream" | sort -u)
  n=$(sed -n 's/^(job \([0-9]*\) page $/\1/p' <<<"$jobs")
  if [ "$(wc -l <<<"$jobs")" != 1 ] || [ -z "$n" ]; then
    fail "$(basename "$stream"): not one job's pages: $(tr '\n' ' ' <<<"$jobs")"
    continue
  fi
  seen+=("$n")
  if render_pages "$stream" --pages $(( (n % 3) + 1 )); then
    pass "$(basename "$stream"): job $n whole, $(( (n % 3) + 1 )) page(s)"
  else
    fail "$(basename "$stream"): job $n does not render as $(( (n % 3) + 1 )) page(s)"
    echo "$RENDER"
  fi
done
[ "$(printf '%s\n' "${seen[@]}" | sort -un | wc -l)" = "$JOBS" ] &&
  pass "every document printed once" || fail "documents printed: ${seen[*]}"
finish
