# Shared helpers of the tests that run the filters through real CUPS (sourced, not run).
#
# The tests never touch the system's CUPS: every configuration, spool, log and filter directory
# lives in a temporary work directory, removed at the end (KEEP=1 keeps it for a look).
# Environment set by CTest: TF_BIN_DIR (the built programs), TF_SOURCE_DIR (the source tree).

set -euo pipefail
umask 022

TF_SKIP=77  # CTest shows such a test as skipped, with the reason printed
SYSTEM_SERVERBIN=$(cups-config --serverbin 2>/dev/null || echo /usr/lib/cups)
TF_PREFIX=com.brantlowe.ticket.
TF_BASIC_PREFIX=com.brantlowe.basicticket.

# When the tools of CUPS a test needs are missing, the test is reported skipped (never passed).
require_tools() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "SKIPPED: $tool is not installed (Debian: cups, cups-daemon, cups-client, cups-filters)"
      exit "$TF_SKIP"
    fi
  done
  [ -x "$SYSTEM_SERVERBIN/filter/pstops" ] ||
    { echo "SKIPPED: $SYSTEM_SERVERBIN/filter/pstops is not installed (Debian: cups-core-drivers)"; exit "$TF_SKIP"; }
}

# The user CUPS runs filters and backends as: lp for a scheduler started by root, else the caller.
if [ "$(id -u)" = 0 ]; then
  CUPS_USER=lp CUPS_GROUP=lp
else
  CUPS_USER=$(id -un) CUPS_GROUP=$(id -gn)
fi

FAILURES=0
fail() { echo "FAIL: $*"; FAILURES=$((FAILURES + 1)); }
pass() { echo "ok   $*"; }

# A fresh work directory that the spooler's user can traverse (mktemp makes it 0700).
make_workdir() {
  W=$(mktemp -d "${TMPDIR:-/tmp}/tf-cups.XXXXXX")
  chmod 0755 "$W"
}
remove_workdir() {
  if [ "${KEEP:-0}" = 1 ]; then echo "work directory kept: $W"; else rm -rf "$W"; fi
}

# A private ServerBin in $1: the system's filters and backends by symbolic link, except that
# pstops is wrapped so that a copy of what it writes (the input of the filter after it) lands in
# $2; our two filters copied in (root-owned when run as root, 0755: CUPS refuses anything else);
# the recorder backend.
make_serverbin() {
  local bin=$1 capture=$2 f
  mkdir -p "$bin/filter" "$bin/backend"
  for f in cgi-bin daemon driver monitor notifier; do
    [ -e "$SYSTEM_SERVERBIN/$f" ] && ln -s "$SYSTEM_SERVERBIN/$f" "$bin/$f"
  done
  for f in "$SYSTEM_SERVERBIN"/filter/*; do ln -s "$f" "$bin/filter/"; done
  rm "$bin/filter/pstops"
  sed -e "s|@PSTOPS@|$SYSTEM_SERVERBIN/filter/pstops|" -e "s|@CAPTURE@|$capture|" \
      "$TF_SOURCE_DIR/tests/cups/pstops-recorder.in" > "$bin/filter/pstops"
  install -m 0755 "$TF_BIN_DIR/ticketfilter" "$TF_BIN_DIR/ticketfilter-basic" "$bin/filter/"
  chmod 0755 "$bin/filter/pstops"
  install -m 0755 "$TF_SOURCE_DIR/tests/cups/recorder" "$bin/backend/recorder"
}

# A PostScript document of $1 pages (more than any number-up, so that duplex stays on).
write_document() {
  local pages=$1 out=$2 i
  {
    printf '%%!PS-Adobe-3.0\n%%%%Title: ticketfilter test\n%%%%Pages: %d\n' "$pages"
    printf '%%%%BoundingBox: 0 0 595 842\n%%%%EndComments\n%%%%BeginProlog\n'
    printf '/F { /Helvetica findfont 24 scalefont setfont } bind def\n%%%%EndProlog\n'
    for i in $(seq "$pages"); do
      printf '%%%%Page: %d %d\nF 72 700 moveto (Page %d) show\nshowpage\n' "$i" "$i" "$i"
    done
    printf '%%%%Trailer\n%%%%EOF\n'
  } > "$out"
}

# The host lines of the account attributes, as the filter must write them on this machine:
# "@CNAM=" the host name (cut to 32 characters for a UTF-8 printer), and "@HOAD=" its address
# encoded when the name resolves to a usable one: the first IPv4 address that is not 127.0.0.1
# ("I" and eight hexadecimal digits), else the last IPv6 address without "fe80::1" in it ("6" and
# 32 hexadecimal digits).  $1: utf8 or bytes.
expected_host_lines() {
  local mode=$1 host address
  host=$(hostname)
  if [ "$mode" = utf8 ]; then host=${host:0:32}; else host=${host:0:96}; fi
  if [ -z "$host" ]; then
    printf '@PJL SET JOBATTR="@CNAM=UnknownHost"\n'
    return
  fi
  printf '@PJL SET JOBATTR="@CNAM=%s"\n' "$host"
  # The name's addresses in the resolver's order, asked the way the filter asks (getaddrinfo for
  # stream sockets, no flags; getnameinfo for the numeric text).
  address=$(perl -MSocket=:addrinfo,SOCK_STREAM -e '
      my ($error, @list) = getaddrinfo($ARGV[0], "", {socktype => SOCK_STREAM});
      exit 0 if $error;
      for (@list) {
        my ($failed, $text) = getnameinfo($_->{addr}, NI_NUMERICHOST, NIx_NOSERV);
        print "$text\n" unless $failed;
      }' "$host" | awk '
    index($1, ".") && $1 != "127.0.0.1" { v4 = $1; exit }
    index($1, ":") && !index($1, "fe80::1") { v6 = $1 }
    END {
      if (v4 != "") {
        n = split(v4, part, ".")
        out = "I"
        for (i = 1; i <= n && i <= 4; ++i) {
          if (length(part[i]) >= 4 || part[i] + 0 >= 256) { out = ""; break }
          out = out sprintf("%02X", part[i] + 0)
        }
        print out
      } else if (v6 != "") {
        sub(/%.*/, "", v6)
        n = split(v6, group, ":")
        k = 0
        for (i = 1; i <= n; ++i) if (group[i] != "") ++k
        out = "6"; gap = 0
        for (i = 1; i <= n; ++i) {
          if (group[i] != "") { out = out substr("0000", 1, 4 - length(group[i])) group[i]; continue }
          if (gap) continue
          for (j = k; j < 8; ++j) out = out "0000"
          gap = 1
        }
        print out
      }
    }') || true
  [ -n "$address" ] && printf '@PJL SET JOBATTR="@HOAD=%s"\n' "$address"
  return 0
}

# Writes the expected bytes of a template read on standard input, line by line:
#   <UEL> stands for the bytes ESC % -12345X (the line goes on after it);
#   a line ending in <CR> ends with CR LF, every other line with LF alone;
#   <SJIS:text> stands for the text converted to Shift-JIS (JIS X 0213) by iconv;
#   a line "<HOST utf8>" or "<HOST bytes>" stands for the host lines of expected_host_lines.
render() {
  local line text
  while IFS= read -r line; do
    case $line in
      '<HOST utf8>') expected_host_lines utf8; continue ;;
      '<HOST bytes>') expected_host_lines bytes; continue ;;
    esac
    line=${line//'<UEL>'/$'\e%-12345X'}
    while [[ $line =~ \<SJIS:([^\>]*)\> ]]; do
      text=$(printf '%s' "${BASH_REMATCH[1]}" | iconv -f UTF-8 -t SHIFT_JISX0213)
      line=${line/"${BASH_REMATCH[0]}"/"$text"}
    done
    if [[ $line == *'<CR>' ]]; then printf '%s\r\n' "${line%<CR>}"; else printf '%s\n' "$line"; fi
  done
}

# The PJL trailer that ends every printer stream.
trailer() { printf '\e%%-12345X@PJL EOJ\n'; }

# The watermark's insertions into PostScript prepared by pstops, whose pages have no page
# procedures ("bp", "ep", "endp") and end with "showpage": the procedure set after "%%BeginProlog";
# after the first page setup, the page-end procedures (defined once) and their arming, after every
# later page setup the arming; the drawing before every page's closing "showpage".
# The tests' watermark: red at density 50, Helvetica 48, a 400 x 60 box at 45 degrees on A4
# portrait, offsets absent (-1): the start point is (297.5 - 170 cos 45 - 1, 421 - 230 sin 45 - 1).
watermark_drawing() {
  printf '%s\n' '1.00 0.50 0.50 setrgbcolor' '/Helvetica 48 selectfont' '176.29 257.37 moveto' \
    '45 rotate' '(CONFIDENTIAL) show'
}
watermark_page_end_procedures() {
  printf '%s\n' 'currentglobal true setglobal' 'globaldict/qmvWM 8 dict put' 'qmvWM begin' \
    '/armed false def' '/installed false def' \
    '/draw{qmvWM/armed get{qmvWM/armed false put gsave initgraphics'
  watermark_drawing
  printf '%s\n' 'grestore}if}bind def' \
    '/sameM{true 0 1 5{3 index 1 index get 3 index 2 index get sub abs 0.0001 lt exch pop and}for 3 1 roll pop pop}bind def' \
    '/page{qmvWM/installed get not{matrix currentmatrix matrix defaultmatrix qmvWM/sameM get exec{' \
    'currentglobal false setglobal' \
    '[/dup cvx 2/ne cvx{qmvWM/draw get exec}/if cvx currentpagedevice/EndPage get/exec cvx]cvx' \
    '1 dict dup/EndPage 4 -1 roll put systemdict/setpagedevice get exec' \
    'setglobal qmvWM/installed true put}if}if qmvWM/armed true put}bind def' 'end' \
    'globaldict/showpage{qmvWM/draw get exec systemdict/showpage get exec}bind put' 'setglobal'
}
insert_watermark() {
  PROCS="$(watermark_page_end_procedures)" perl -ne '
    BEGIN { $procs = "$ENV{PROCS}\n" }
    if (/^showpage$/ && $armed) { print "qmvWM/draw get exec\n"; $armed = 0 }
    if (/^%%Page:/) { $setup = 0; $armed = 0 }
    print;
    if (/^%%BeginProlog$/) {
      print "userdict/qmvInfo 2 dict dup begin\n/qmvpgsave 0 def\n";
      print "/qmvbp{/qmvpgsave save store} bind def\n";
    }
    if (/^%%EndPageSetup$/ && !$setup) {
      $setup = 1;
      if (!$defined) { print $procs; $defined = 1 }
      print "qmvWM/page get exec\n";
      $armed = 1;
    }'
}

# Compares the bytes of file $2 with the expected bytes in file $1; on a difference shows both as
# text (ESC as ^[, CR as ^M) around the first differing line.
compare_stream() {
  local label=$1 expected=$2 actual=$3
  if cmp -s "$expected" "$actual"; then
    pass "$label: the printer received the expected stream"
  else
    fail "$label: the printer stream differs from the expected one (< expected, > received)"
    diff <(cat -v "$expected") <(cat -v "$actual") | head -n 30 || true
  fi
}
