#!/usr/bin/env bash
# Prints for real on a private CUPS server: starts its own cupsd (config, spool,
# state and socket in a temporary folder; nothing of the machine's setup is
# used or changed), adds the virtual PDF printer as the default, runs the
# print test binary given as $1 against it, and stops that cupsd by its PID.
# Exit 77 (skipped) where it cannot run: not root, or CUPS / cups-pdf missing.
set -uo pipefail

test_binary=$1
cupsd=/usr/sbin/cupsd
if [[ $(id -u) -ne 0 ]]; then
  echo "print_test: needs root (the cups-pdf backend only runs for a root cupsd); skipped"
  exit 77
fi
for need in "$cupsd" /usr/lib/cups/backend/cups-pdf /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd; do
  [[ -e $need ]] || { echo "print_test: $need missing (scripts/install-deps --print); skipped"; exit 77; }
done
for tool in lpadmin lpstat cupsaccept cupsreject pdftotext pdfinfo; do
  command -v "$tool" >/dev/null || { echo "print_test: $tool missing (scripts/install-deps --print); skipped"; exit 77; }
done

root=$(mktemp -d /tmp/corvane-print.XXXXXX)
chmod 755 "$root" # the filters run as lp and read the spooled document
mkdir -p "$root"/etc/ppd "$root"/etc/ssl "$root"/spool/tmp "$root"/cache "$root"/state "$root"/log "$root"/home

# cups-pdf writes its PDF into the job owner's home; remember whether that
# folder is ours to remove afterwards.
pdf_out="$(getent passwd "$(id -un)" | cut -d: -f6)/PDF"
[[ -d $pdf_out ]] && pdf_out_existed=1 || pdf_out_existed=0

cupsd_pid=
finish() {
  if [[ -n $cupsd_pid ]]; then
    kill "$cupsd_pid" 2>/dev/null
    wait "$cupsd_pid" 2>/dev/null
  fi
  if [[ $pdf_out_existed -eq 0 ]]; then
    rmdir "$pdf_out" 2>/dev/null
  fi
  rm -rf "$root"
}
trap finish EXIT

cat >"$root/etc/cups-files.conf" <<CONF
ServerRoot $root/etc
RequestRoot $root/spool
TempDir $root/spool/tmp
CacheDir $root/cache
StateDir $root/state
ErrorLog $root/log/error_log
AccessLog $root/log/access_log
PageLog $root/log/page_log
FileDevice No
CONF
cat >"$root/etc/cupsd.conf" <<CONF
Listen $root/cups.sock
LogLevel info
PreserveJobFiles Yes
PreserveJobHistory Yes
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF

"$cupsd" -f -c "$root/etc/cupsd.conf" -s "$root/etc/cups-files.conf" &
cupsd_pid=$!

# Clients (lpadmin, libcups inside the test) talk to this server only, and
# read no lpoptions of the machine or of the user.
export CUPS_SERVER="$root/cups.sock"
export CUPS_SERVERROOT="$root/etc"
export HOME="$root/home"

for _ in $(seq 50); do
  lpstat -r >/dev/null 2>&1 && break
  sleep 0.2
done
if ! lpstat -r >/dev/null 2>&1; then
  echo "print_test: the private cupsd did not start" >&2
  cat "$root/log/error_log" >&2
  exit 1
fi

# The scheduler may answer lpstat a moment before it takes admin requests.
add_printer() {
  lpadmin -p PDF -E -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null \
    || lpadmin -p PDF -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
}
for attempt in $(seq 25); do
  add_printer && lpadmin -d PDF && break
  [[ $attempt -eq 25 ]] && { echo "print_test: could not add the PDF printer" >&2; exit 1; }
  sleep 0.2
done

CORVANE_PRINT_SPOOL="$root/spool" CORVANE_PDF_OUT="$pdf_out" "$test_binary"
status=$?
if [[ $status -ne 0 ]]; then
  echo "print_test: server log:" >&2
  tail -n 30 "$root/log/error_log" >&2
fi
exit $status
