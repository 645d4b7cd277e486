# Shared helpers of the printer application's tests (sourced, not run); also the way for any
# other test to run the service (a browser test, CUPS as a client of it).
#
# Environment set by CTest: TF_BIN_DIR (the built programs: ticketfilter-app), TF_SOURCE_DIR,
# TF_TOOLS_DIR (render_check).  KEEP=1 keeps the work directory $W for a look.
#
#   app_start [-o name=value ...]   starts the service: a work directory $W (made unless set),
#       the state in $W/state, the log in $W/app.log (debug), the sample PPDs of the source tree,
#       on a free TCP port of this machine, under a program name of its own ($W/bin/tfapp-<pid>):
#       its local socket is its own, so tests can run at once.  Extra server options are passed
#       on (and kept for app_restart).  Sets APP (the command for sub-commands: "$APP add ...",
#       refused while the service is not running), APP_PORT, APP_PID and APP_URI
#       (ipp://localhost:PORT/ipp/print).
#   app_stop                         SIGTERM and a bounded wait, then SIGKILL
#   app_kill                         SIGKILL at once (a crash)
#   app_restart                      app_start again with the same state and options
#   app_add_printer NAME DRIVER URI  a printer, e.g. app_add_printer office tf-color-utf8
#                                    file://$W/out/office (an existing folder: one file per job
#                                    name; an existing file: every job appended)
#   app_wait_idle NAME [SECONDS]     until NAME has no pending, held or processing job
#   app_jobs NAME                    the job list ("id state user title" lines)
#   ipp NAME TESTFILE [ARGS...]      ipptool -t with TESTFILE against printer NAME
#   print_named NAME FILE TYPE JOB   Print-Job of FILE (MIME type TYPE) to printer NAME under the
#                                    job name JOB (its stream: JOB.prn in a folder device)
#
# Tests report with pass/fail of ../cups/lib.sh and end with "finish", which stops the service
# and also fails a test whose service ended by itself or whose sanitizers reported anything.
. "$(dirname "${BASH_SOURCE[0]}")/../cups/lib.sh"

APP_PID=
APP_OPTIONS=()
APP_READY_TIMEOUT=${APP_READY_TIMEOUT:-20}

require_app_tools() {
  [ -x "$TF_BIN_DIR/ticketfilter-app" ] ||
    { echo "SKIPPED: ticketfilter-app is not built (Debian: libpappl-dev, libpam0g-dev)"
      exit "$TF_SKIP"; }
  [ -x "$TF_TOOLS_DIR/render_check" ] ||
    { echo "SKIPPED: render_check is not built (it needs GoogleTest: googletest, libgtest-dev)"
      exit "$TF_SKIP"; }
  require_tools ipptool gs perl "$@"
}

# A TCP port of this machine that nothing listens on.
free_port() {
  perl -MIO::Socket::INET -e \
    'my $s = IO::Socket::INET->new(Listen => 1, LocalAddr => "127.0.0.1", LocalPort => 0)
       or die "no port: $!"; print $s->sockport, "\n";'
}

app_cleanup() {
  set +e
  if [ -n "$APP_PID" ] && kill -0 "$APP_PID" 2>/dev/null; then
    kill -KILL "$APP_PID" 2>/dev/null
    wait "$APP_PID" 2>/dev/null
  fi
  [ -n "${APP_SOCKET:-}" ] && rm -f "$APP_SOCKET"
  if [ "$FAILURES" -gt 0 ] && [ -f "$W/app.log" ]; then
    echo "--- errors and warnings of the service's log ---"
    grep -E '^[EW] ' "$W/app.log" | tail -n 30
  fi
  remove_workdir
}

app_start() {
  if [ -z "${W:-}" ]; then
    W=$(mktemp -d "${TMPDIR:-/tmp}/tf-app.XXXXXX")
    trap app_cleanup EXIT
    trap 'exit 130' INT TERM
  fi
  [ $# -gt 0 ] && APP_OPTIONS=("$@")
  mkdir -p "$W/bin" "$W/state" "$W/out" "$W/tmp"
  APP_NAME=tfapp-$$
  ln -sf "$TF_BIN_DIR/ticketfilter-app" "$W/bin/$APP_NAME"
  # The framework's local socket, named after the program: /run for root, else TMPDIR.
  APP_SOCKET=$W/tmp/$APP_NAME$(id -u).sock
  [ "$(id -u)" = 0 ] && APP_SOCKET=/run/$APP_NAME.sock
  APP=app_command
  APP_PORT=$(free_port)
  APP_URI=ipp://localhost:$APP_PORT/ipp/print
  # In a sanitizer build the leaks of the frameworks under the service are left out (lsan.supp);
  # the stacks are taken in full so that the suppressions find them.
  TMPDIR=$W/tmp LSAN_OPTIONS=suppressions=$TF_SOURCE_DIR/tests/app/lsan.supp \
    ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}fast_unwind_on_malloc=0 \
    "$W/bin/$APP_NAME" server -o state-directory="$W/state" -o server-port="$APP_PORT" \
    -o log-file="$W/app.log" -o log-level=debug -o ppd-directory="$TF_SOURCE_DIR/ppd" \
    "${APP_OPTIONS[@]}" >>"$W/server.out" 2>&1 &
  APP_PID=$!
  local i
  for i in $(seq $((APP_READY_TIMEOUT * 10))); do
    if ! kill -0 "$APP_PID" 2>/dev/null; then
      echo "FAIL: the service did not start:"
      cat "$W/server.out"
      exit 1
    fi
    # "Running ..." once it answers on its socket (an old socket of a stopped one says "Server is
    # not running.").
    [ -S "$APP_SOCKET" ] && [[ "$(app_command status 2>/dev/null)" == Running* ]] && return 0
    sleep 0.1
  done
  echo "FAIL: the service did not answer within $APP_READY_TIMEOUT s"
  exit 1
}

# A sub-command against the running service.  Only while it runs: the framework's client would
# otherwise start a service of its own (with the default state directory) to answer it.  The
# sub-commands are the framework's client code, which leaks what it sends: in a sanitizer build
# their leak report is left out; the service is checked in full.
app_command() {
  if [ -z "$APP_PID" ] || ! kill -0 "$APP_PID" 2>/dev/null; then
    echo "app_command $1: the service is not running" >&2
    return 1
  fi
  TMPDIR=$W/tmp ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 "$W/bin/$APP_NAME" "$@"
}

app_stop() {
  [ -n "$APP_PID" ] || return 0
  kill -TERM "$APP_PID" 2>/dev/null || true
  local i
  for i in $(seq 700); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
  kill -KILL "$APP_PID" 2>/dev/null || true
  wait "$APP_PID" 2>/dev/null || true
  APP_PID=
  rm -f "$APP_SOCKET"
}

app_kill() {
  [ -n "$APP_PID" ] || return 0
  kill -KILL "$APP_PID" 2>/dev/null || true
  wait "$APP_PID" 2>/dev/null || true
  APP_PID=
  rm -f "$APP_SOCKET"
}

app_restart() {
  app_stop
  app_start
}

app_add_printer() {
  local name=$1 driver=$2 uri=$3 i
  $APP add -d "$name" -m "$driver" -v "$uri" || { echo "FAIL: add $name ($driver, $uri)"; exit 1; }
  # A printer that answers with its attributes; its up-time counts from the next second.
  for i in $(seq 50); do
    ipptool -q "$APP_URI/$name" /usr/share/cups/ipptool/get-printer-attributes.test 2>/dev/null &&
      break
    sleep 0.1
  done
  sleep 1
}

app_jobs() { $APP jobs -d "$1" 2>/dev/null; }

app_wait_idle() {
  local name=$1 seconds=${2:-60} i
  for i in $(seq $((seconds * 10))); do
    grep -qE ' (pending|held|processing) ' <<<"$(app_jobs "$name")" || return 0
    sleep 0.1
  done
  echo "FAIL: printer $name still has jobs after $seconds s:"
  app_jobs "$name"
  return 1
}

ipp() {
  local name=$1 test=$2
  shift 2
  ipptool -t "$@" "$APP_URI/$name" "$test"
}

print_named() {
  ipp "$1" "$TF_SOURCE_DIR/tests/app/print-named.test" -f "$2" -d "filetype=$3" -d "job_name=$4" \
    >"$W/print-$4.txt" 2>&1 || { fail "Print-Job $4"; cat "$W/print-$4.txt"; }
}

finish() {
  # A service that ended by itself (a crash) fails the test, whatever passed before.
  if [ -n "$APP_PID" ] && ! kill -0 "$APP_PID" 2>/dev/null; then
    local status=0
    wait "$APP_PID" 2>/dev/null || status=$?
    fail "the service ended by itself (exit status $status)"
    APP_PID=
  fi
  # Stopped as a service is stopped; in a sanitizer build its report (an error, or memory it did
  # not free) fails the test.
  app_stop
  if grep -q 'Sanitizer' "$W/server.out" 2>/dev/null; then
    fail "the sanitizers reported:"
    grep -A30 'Sanitizer' "$W/server.out" | head -n 60
  fi
  if [ "$FAILURES" -gt 0 ]; then
    echo "$FAILURES check(s) failed"
    exit 1
  fi
  echo "all checks passed"
}

# ---- documents ---------------------------------------------------------------------------------
# write_document PAGES OUT (../cups/lib.sh): PostScript of A4 pages with "Page n" on each.

# PostScript of $2 pages titled $3 into $4, on A4, Letter or a 4x6 inch photo ($1: a4, letter,
# 4x6).
write_sized_document() {
  local size=$1 pages=$2 title=$3 out=$4 w=595 h=842 i
  [ "$size" = letter ] && w=612 h=792
  [ "$size" = 4x6 ] && w=288 h=432
  {
    printf '%%!PS-Adobe-3.0\n%%%%Title: %s\n%%%%Pages: %d\n%%%%BoundingBox: 0 0 %d %d\n' \
      "$title" "$pages" "$w" "$h"
    printf '%%%%EndComments\n%%%%BeginProlog\n'
    printf '/F { /Helvetica findfont 24 scalefont setfont } bind def\n%%%%EndProlog\n'
    printf '%%%%BeginSetup\n<< /PageSize [%d %d] >> setpagedevice\n%%%%EndSetup\n' "$w" "$h"
    for i in $(seq "$pages"); do
      printf '%%%%Page: %d %d\nF 36 %d moveto (%s page %d) show\n' \
        "$i" "$i" $((h - 60)) "$title" "$i"
      printf '0.2 setgray 36 36 moveto 100 0 rlineto 0 100 rlineto closepath fill\nshowpage\n'
    done
    printf '%%%%Trailer\n%%%%EOF\n'
  } > "$out"
}

# PDF, JPEG (the first page, 100 dpi; $3 gray for a grey one) and PWG raster ($3 dpi, $4: sgray
# or srgb) of PostScript $1 into $2.
to_pdf() { gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite -sOutputFile="$2" "$1"; }
to_jpeg() {
  local device=jpeg
  [ "${3:-}" = gray ] && device=jpeggray
  gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=$device -r100 -dLastPage=1 -sOutputFile="$2" "$1"
}
to_pwg() {
  local space=18 colour=Gray
  [ "$4" = srgb ] && space=19 colour=RGB
  gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pwgraster -r"$3" -dcupsColorSpace=$space \
    -dcupsBitsPerColor=8 -sColorConversionStrategy=$colour -sOutputFile="$2" "$1"
}

# PNG of the first page of PostScript $1 into $2 (100 dpi).
to_png() { gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r100 -dLastPage=1 -sOutputFile="$2" "$1"; }

# Apple raster (URF, as phones send it) of $1 pages of US Letter at 100 dpi, 8-bit sGray: white
# with a black box on each, into $2.  Each line begins with its repeat count; runs of up to 128
# pixels are a count (pixels - 1) and the pixel.
write_urf() {
  perl -e '
    my ($pages, $w, $h, $dpi) = ($ARGV[0], 850, 1100, 100);
    my $out = "UNIRAST\0" . pack("N", $pages);
    for my $page (1 .. $pages) {
      # bits per pixel, colour space 0 (sGray), duplex, quality; reserved; size; resolution.
      $out .= pack("CCCC", 8, 0, 1, 4) . ("\0" x 8) . pack("NNN", $w, $h, $dpi) . ("\0" x 8);
      for my $y (0 .. $h - 1) {
        my @runs = ($y >= 200 && $y < 400) ? ([100, 255], [200, 0], [$w - 300, 255]) : ([$w, 255]);
        $out .= pack("C", 0);
        for my $run (@runs) {
          my ($length, $pixel) = @$run;
          while ($length > 0) {
            my $n = $length > 128 ? 128 : $length;
            $out .= pack("CC", $n - 1, $pixel);
            $length -= $n;
          }
        }
      }
    }
    print $out;' "$1" > "$2"
}

# The pages Ghostscript renders from a printer stream (or PostScript) $1; render_check's verdict
# is in $RENDER.  Usage: render_pages FILE [render_check options...]
render_pages() {
  local file=$1
  shift
  RENDER=$("$TF_TOOLS_DIR/render_check" --no-watermark "$@" "$file" 2>&1) || return 1
}
