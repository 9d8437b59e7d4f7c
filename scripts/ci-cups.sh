#!/usr/bin/env bash
# For CI only: starts the print system and makes a cups-pdf queue the default printer, so the
# printing test can print through a real CUPS queue. Prints the queue's output folder.
# Never run by the test command: it changes the machine's printer setup.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/deps.sh" cups >&2

# lpstat -r exits 0 whether or not the scheduler runs: only its (untranslated) words tell.
running() { [ "$(LC_ALL=C lpstat -r 2>/dev/null)" = "scheduler is running" ]; }
if ! running; then
  cupsd
  for _ in $(seq 50); do running && break; sleep 0.2; done
fi
queue=GlyphworksPDF
# The pdftocairo renderer keeps the text of the printed PDF extractable.
lpadmin -p "$queue" -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd \
  -o pdftops-renderer-default=pdftocairo
lpadmin -d "$queue"
# cups-pdf writes into the job owner's home folder (Out ${HOME}/PDF in /etc/cups/cups-pdf.conf).
home=$(getent passwd "$(id -un)" | cut -d: -f6)
mkdir -p "$home/PDF"
echo "$home/PDF"
