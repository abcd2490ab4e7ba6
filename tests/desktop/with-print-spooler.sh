#!/usr/bin/env bash
# Runs a command with a print spooler of its own: a CUPS daemon started for the run, as the
# user who runs it, listening only on a socket in a temporary folder, with one queue
# ("OrreloPDF") whose default paper is Letter and whose device is a PDF file the tests read
# back, and a second ("OrreloA5") whose paper is A5. The command sees the spooler through
# CUPS_SERVER and learns the files through ORRELO_PRINT_OUTPUT and ORRELO_PRINT_OUTPUT_A5.
# The spooler ends with the command, whose exit status this returns.
#
#   with-print-spooler.sh [--announce] -- COMMAND [ARG...]
#
#   --announce   print "CUPS_SERVER=..." and "ORRELO_PRINT_OUTPUT=..." lines once the queue
#                takes jobs, for a program that started this one in the background
#
# Without a cupsd binary (scripts/setup installs it) this says so and fails: tests that print
# through a real spooler must not pass without one.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
announce=0
while [ $# -gt 0 ]; do
  case "$1" in
    --announce) announce=1; shift ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: with-print-spooler.sh [--announce] -- COMMAND..." >&2; exit 2; }
# cupsd, lpadmin and the tests' cupsaccept/cupsreject live in sbin, which an ordinary user's
# PATH does not hold: they are looked for there after the caller's own PATH (the command too).
PATH="$PATH:/usr/local/sbin:/usr/sbin:/sbin"
cupsd="$(command -v cupsd || true)"
for tool in "$cupsd" lpadmin lpstat; do
  if [ -z "$tool" ] || ! command -v "$tool" >/dev/null; then
    echo "with-print-spooler.sh: no ${tool:-cupsd} here: the print tests need a CUPS spooler (scripts/setup)" >&2
    exit 2
  fi
done

work="$(mktemp -d "${TMPDIR:-/tmp}/orrelo-cups.XXXXXX")"
mkdir -p "$work"/{etc/ppd,etc/ssl,cache,run/certs,spool/tmp,log,out}
# The daemon runs unprivileged: as the user who started it, or as nobody when that is root
# (cupsd refuses to run its jobs as root). Its folders are its own.
run_as=()
user="$(id -un)"; group="$(id -gn)"
if [ "$(id -u)" -eq 0 ]; then
  user=nobody; group="$(id -gn nobody)"
  command -v setpriv >/dev/null || { echo "with-print-spooler.sh: setpriv is missing (util-linux)" >&2; exit 2; }
  run_as=(setpriv --reuid="$user" --regid="$group" --clear-groups --)
  chown -R "$user:$group" "$work"
fi
chmod 755 "$work"
daemon=""; cmd=""
cleanup() {
  set +e
  for pid in $cmd $daemon; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM INT HUP

cat >"$work/etc/cups-files.conf" <<EOF
ServerRoot $work/etc
ServerBin /usr/lib/cups
DataDir /usr/share/cups
StateDir $work/run
CacheDir $work/cache
RequestRoot $work/spool
TempDir $work/spool/tmp
ErrorLog $work/log/error_log
AccessLog $work/log/access_log
PageLog $work/log/page_log
Printcap $work/run/printcap
FileDevice Yes
Sandboxing relaxed
User $user
Group $group
SystemGroup $group
EOF
cat >"$work/etc/cupsd.conf" <<EOF
Listen $work/cups.sock
LogLevel info
Browsing No
WebInterface No
DefaultPaperSize Letter
PreserveJobHistory Yes
PreserveJobFiles No
DirtyCleanInterval 0
MaxJobs 0
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order allow,deny
    Allow all
  </Limit>
</Policy>
EOF

"${run_as[@]}" "$cupsd" -f -c "$work/etc/cupsd.conf" -s "$work/etc/cups-files.conf" >"$work/log/cupsd.out" 2>&1 &
daemon=$!
export CUPS_SERVER="$work/cups.sock"
for _ in $(seq 200); do
  if lpstat -r 2>/dev/null | grep -q 'is running'; then
    break
  fi
  kill -0 "$daemon" 2>/dev/null || { echo "with-print-spooler.sh: cupsd ended:" >&2; cat "$work/log/"* >&2; exit 2; }
  sleep 0.05
done
lpstat -r 2>/dev/null | grep -q 'is running' \
  || { echo "with-print-spooler.sh: cupsd did not answer in 10 s" >&2; cat "$work/log/"* >&2; exit 2; }

# The queue hands the program's PDF to the file unchanged; its paper is Letter unless a job
# asks for another.
export ORRELO_PRINT_OUTPUT="$work/out/job.pdf"
# Its filter passes the job's PDF on as it came (the spooler starts nothing for a queue
# without a filter, and then writes nothing).
printf '#!/bin/sh\nexec cat "${6:--}"\n' >"$work/pass-pdf"
chmod 755 "$work/pass-pdf"
sed "s|@FILTER@|$work/pass-pdf|" "$here/print-queue.ppd" >"$work/queue.ppd"
# (lpadmin warns that queues with a PPD will go one day: its messages go to the log.)
lpadmin -p OrreloPDF -E -v "file:$ORRELO_PRINT_OUTPUT" -P "$work/queue.ppd" -o PageSize=Letter 2>"$work/log/lpadmin" \
  && lpadmin -d OrreloPDF 2>>"$work/log/lpadmin" \
  || { echo "with-print-spooler.sh: the queue was not made:" >&2; cat "$work/log/"* >&2; exit 2; }
# A second queue, "OrreloA5", whose paper is A5 and which prints into a file of its own, for
# tests that choose another queue in the print dialog.
export ORRELO_PRINT_OUTPUT_A5="$work/out/a5.pdf"
lpadmin -p OrreloA5 -E -v "file:$ORRELO_PRINT_OUTPUT_A5" -P "$work/queue.ppd" -o PageSize=A5 2>>"$work/log/lpadmin" \
  || { echo "with-print-spooler.sh: the A5 queue was not made:" >&2; cat "$work/log/"* >&2; exit 2; }
# The queue is the default one: no variable of the caller's may name another.
unset PRINTER LPDEST

if [ "$announce" -ne 0 ]; then
  echo "CUPS_SERVER=$CUPS_SERVER"
  echo "ORRELO_PRINT_OUTPUT=$ORRELO_PRINT_OUTPUT"
  echo "ORRELO_PRINT_OUTPUT_A5=$ORRELO_PRINT_OUTPUT_A5"
fi
"$@" &
cmd=$!
status=0
wait "$cmd" || status=$?
cmd=""
exit "$status"
