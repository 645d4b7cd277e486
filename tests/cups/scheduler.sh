# A private cupsd for the tests (sourced after lib.sh, not run).
#
# The scheduler has its own configuration, spool, cache and logs in the work directory $W and
# listens on a Unix socket only ($SOCK); it is stopped by its PID after its jobs are cancelled.
# Every wait is bounded.  A test calls start_cupsd, add_queue for each queue (QUEUES lists them
# for the clean-up), submit for each job and check_job to compare what the printer received.
#
# Knobs: KEEP=1 keeps the work directory; JOB_TIMEOUT (seconds, default 30) bounds each job.
JOB_TIMEOUT=${JOB_TIMEOUT:-30}
CUPSD_PID=
QUEUES=()

stop_cupsd() {
  [ -n "$CUPSD_PID" ] || return 0
  if kill -0 "$CUPSD_PID" 2>/dev/null; then
    # Cancel what is left first, so that cupsd stops its filters and reaps them itself.
    local q
    for q in "${QUEUES[@]}"; do timeout 5 cancel -h "$SOCK" -a "$q" >/dev/null 2>&1 || true; done
    for _ in $(seq 50); do
      [ -z "$(timeout 2 lpstat -h "$SOCK" -o 2>/dev/null)" ] && break
      sleep 0.1
    done
    kill -TERM "$CUPSD_PID" 2>/dev/null || true
    for _ in $(seq 100); do kill -0 "$CUPSD_PID" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$CUPSD_PID" 2>/dev/null && kill -KILL "$CUPSD_PID" 2>/dev/null
  fi
  wait "$CUPSD_PID" 2>/dev/null || true
  CUPSD_PID=
}
cleanup() {
  set +e
  stop_cupsd
  remove_workdir
}

abort() {
  echo "FAIL: $*"
  if [ -f "$W/log/error_log" ]; then
    echo "--- last lines of the scheduler's log ---"
    grep -E '^[EW] |\] (ERROR|PAGE|Job (completed|stopped))' "$W/log/error_log" | tail -n 20
  fi
  exit 1
}

# start_cupsd [cupsd.conf lines...]: a fresh work directory and the scheduler on $W/cupsd.sock,
# with the web interface off unless a line turns it on.
start_cupsd() {
  make_workdir
  SOCK=$W/cupsd.sock
  trap cleanup EXIT
  trap 'exit 130' INT TERM
  mkdir -p "$W"/{etc/ppd,etc/ssl,spool/tmp,cache,state,log,home,capture,printer}
  chown "$CUPS_USER" "$W/capture" "$W/printer"  # the wrapped pstops and the backend write here
  make_serverbin "$W/bin" "$W/capture"

  cat > "$W/etc/cups-files.conf" <<EOF
ServerRoot $W/etc
ServerBin $W/bin
DataDir /usr/share/cups
DocumentRoot /usr/share/cups/doc-root
RequestRoot $W/spool
TempDir $W/spool/tmp
CacheDir $W/cache
StateDir $W/state
AccessLog $W/log/access_log
ErrorLog $W/log/error_log
PageLog $W/log/page_log
Printcap $W/state/printcap
User $CUPS_USER
Group $CUPS_GROUP
SystemGroup root
EOF
  {
    cat <<EOF
LogLevel debug
MaxLogSize 0
PageLogFormat %p %j %u %T %P %C
Listen $SOCK
Browsing No
BrowseLocalProtocols none
DefaultShared No
PreserveJobHistory Yes
PreserveJobFiles No
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
    local line web=no
    for line in "$@"; do
      printf '%s\n' "$line"
      [[ $line == WebInterface* ]] && web=yes
    done
    [ "$web" = yes ] || echo 'WebInterface No'
  } > "$W/etc/cupsd.conf"
  # No client.conf, lpoptions or server of the system may add to the jobs.
  export CUPS_SERVERROOT=$W/etc HOME=$W/home LANG=C LC_ALL=C
  unset CUPS_SERVER

  cupsd -t -c "$W/etc/cupsd.conf" -s "$W/etc/cups-files.conf" >"$W/log/test.out" 2>&1 ||
    abort "cupsd refuses the configuration: $(cat "$W/log/test.out")"
  cupsd -f -c "$W/etc/cupsd.conf" -s "$W/etc/cups-files.conf" >"$W/log/cupsd.out" 2>&1 &
  CUPSD_PID=$!
  for _ in $(seq 100); do
    timeout 5 lpstat -h "$SOCK" -r 2>/dev/null | grep -q 'is running' && break
    kill -0 "$CUPSD_PID" 2>/dev/null || abort "cupsd exited: $(cat "$W/log/cupsd.out")"
    sleep 0.1
  done
  timeout 5 lpstat -h "$SOCK" -r 2>/dev/null | grep -q 'is running' ||
    abort "cupsd not ready in 10 s"

  DOCUMENT=$W/document.ps
  write_document 3 "$DOCUMENT"
  chmod 0644 "$DOCUMENT"
  declare -gA JOB
}

# The scheduler's address for ipptool: the socket path, URL-encoded, as the host.
ipp_uri() { printf 'ipp://%s/printers/%s' "$(printf %s "$SOCK" | sed 's|/|%2F|g')" "$1"; }

add_queue() {  # name ppd
  timeout 20 lpadmin -h "$SOCK" -p "$1" -E -v "recorder:$W/printer" \
    -P "$TF_SOURCE_DIR/ppd/$2" 2>"$W/log/lpadmin.err" ||
    abort "lpadmin $1: $(cat "$W/log/lpadmin.err")"
  QUEUES+=("$1")
}

# The final state of job $1 from the scheduler's log: completed, or where a failing job stops (a
# filter failure leaves the job stopped, not aborted); "timeout" when it did not end in time.
wait_job() {
  local end=$(($(date +%s) + JOB_TIMEOUT)) line
  while [ "$(date +%s)" -lt "$end" ]; do
    line=$(grep -aE "\] \[Job $1\] Job (completed|stopped|canceled|aborted)" "$W/log/error_log" \
           2>/dev/null | head -n 1)
    case $line in
      *'Job completed.'*) echo completed; return ;;
      *'Job stopped'*) echo stopped; return ;;
      *'Job canceled'*) echo canceled; return ;;
      *'Job aborted'*) echo aborted; return ;;
    esac
    sleep 0.05
  done
  echo timeout
}

# submit LABEL QUEUE lp-arguments...: prints nothing; the job id goes to JOB[LABEL]; the document
# is $DOCUMENT, or the file named by SUBMIT_FILE.  The job must
# complete; with SUBMIT_EXPECT=stopped it must stop instead.
submit() {
  local label=$1 queue=$2 reply state
  shift 2
  reply=$(timeout 20 lp -h "$SOCK" -d "$queue" "$@" "${SUBMIT_FILE:-$DOCUMENT}" 2>&1) ||
    abort "lp ($label): $reply"
  reply=${reply#request id is "$queue"-}
  JOB[$label]=${reply%% *}
  state=$(wait_job "${JOB[$label]}")
  [ "$state" = "${SUBMIT_EXPECT:-completed}" ] || abort "job $label (${JOB[$label]}) ended $state"
}

# check_job LABEL QUEUE PAGES COPIES PS-TRANSFORM [once]: compares what the printer received with
# the header template on standard input, then the PostScript the filter got from pstops passed
# through PS-TRANSFORM (cat: none), control-D and the trailer; and checks the page total of
# page_log.  The pass-through always ends the PostScript with control-D; with "once" (the
# decomposition mode) control-D is added only when the PostScript does not already end with one.
# A decomposition-mode job gives its feature PJL and the switch in the template.
check_job() {
  local label=$1 queue=$2 pages=$3 copies=$4 transform=$5 once=${6:-} id=${JOB[$1]} total
  local expected=$W/expected.$label received=$W/printer/job.$id.prn input=$W/capture/pstops.$id.ps
  [ -f "$received" ] || { fail "$label: the printer received nothing"; return; }
  [ -f "$input" ] || { fail "$label: no copy of the filter's input"; return; }
  {
    render
    $transform < "$input"
    if [ -z "$once" ] || [ "$(tail -c 1 "$input" | od -An -tx1 | tr -d ' ')" != 04 ]; then
      printf '\004'
    fi
    trailer
  } > "$expected"
  compare_stream "$label" "$expected" "$received"
  for _ in $(seq 50); do  # the total is logged as the job ends: wait for it, boundedly
    total=$(awk -v q="$queue" -v j="$id" '$1 == q && $2 == j && $(NF - 1) == "total" { print $NF }' \
            "$W/log/page_log" 2>/dev/null)
    [ -n "$total" ] && break
    sleep 0.1
  done
  if [ "$total" = $((pages * copies)) ]; then
    pass "$label: page_log counts $total pages ($pages pages, $copies copies)"
  else
    fail "$label: page_log counts '${total}' pages, expected $((pages * copies))"
    grep "^$queue $id " "$W/log/page_log" || true
  fi
}

# The job options the filter of job $1 received (argv[5]), as the scheduler logged them.
job_options() {
  grep -a "\[Job $1\] argv\[5\]=" "$W/log/error_log" | head -n 1 | sed 's/.*argv\[5\]="//; s/"$//'
}
