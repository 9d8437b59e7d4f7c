#!/usr/bin/env bash
# Makes the README's screenshots into doc/screenshots/: the main window, the list in sample mode,
# the preview window, a printed page and an image sheet. Runs the release build on a virtual
# screen (Xvfb, openbox as window manager) and drives it with xdotool, as a person would.
# The printed page goes through a cups-pdf queue that scripts/ci-cups.sh makes the default
# printer, so run this on a build or CI machine, not on one whose printers matter.
# Usage: scripts/screenshots.sh
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out="$here/doc/screenshots"
"$here/scripts/deps.sh" build run
"$here/scripts/deps.sh" screenshots
pdfdir=$("$here/scripts/ci-cups.sh")
cmake --preset release -S "$here" >/dev/null
cmake --build "$here/build/release" --target glyphworks
mkdir -p "$out"

tmp=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$tmp"
}
trap cleanup EXIT

# A fixed screen size puts the centred windows, and so every control, at the same place each run.
exec 3>"$tmp/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$tmp/display" ] && break; sleep 0.2; done
export DISPLAY=":$(cat "$tmp/display")"
exec 3>&-
openbox >"$tmp/openbox.log" 2>&1 &
pids+=($!)
sleep 1

# From an empty directory: no "de" file, so the English edition.
mkdir "$tmp/cwd"
(cd "$tmp/cwd" && exec "$here/build/release/src/glyphworks") >"$tmp/glyphworks.log" 2>&1 &
pids+=($!)

# click X Y: a click on the screen position, after the pointer has settled there.
click() { xdotool mousemove "$1" "$2"; sleep 0.4; xdotool click 1; sleep 1; }
# shot NAME WINDOW-TITLE: the window with its frame, as a PNG.
shot() {
  local id
  id=$(xdotool search --sync --onlyvisible --name "^$2\$" | head -1)
  sleep 1
  import -frame -window "$id" "$out/$1.png"
}
# Waits until the file exists and has stopped growing.
settled() {
  for _ in $(seq 120); do
    if [ -s "$1" ]; then
      local size
      size=$(stat -c %s "$1"); sleep 1
      [ "$size" = "$(stat -c %s "$1")" ] && return 0
    else
      sleep 1
    fi
  done
  echo "screenshots.sh: $1 did not appear" >&2
  return 1
}

main="Glyphworks - Velmont Media"
xdotool search --sync --onlyvisible --name "^$main\$" >/dev/null
sleep 2
# The pointer over a list entry shows that font in the preview box.
xdotool mousemove 454 232
shot main-window "$main"

click 654 499                                   # Show Font Preview in List
xdotool mousemove 1200 780
shot sample-mode "$main"

# Export to the standard printer: the cups-pdf queue writes the pages as a PDF.
before=$(ls "$pdfdir" 2>/dev/null | wc -l)
click 835 697                                   # Export
for _ in $(seq 120); do [ "$(ls "$pdfdir" | wc -l)" -gt "$before" ] && break; sleep 1; done
pdf=$(ls -t "$pdfdir"/*.pdf | head -1)
settled "$pdf"
pdftoppm -png -r 60 -f 1 -l 1 -singlefile "$pdf" "$out/printed-page"

click 763 626                                   # the output format box
click 675 667                                   # BMP-Image
click 835 697                                   # Export
xdotool search --sync --onlyvisible --name '^Save As$' >/dev/null
sleep 1
xdotool type --delay 20 "$tmp/sheet.bmp"
xdotool key Return
settled "$tmp/sheet.bmp"
# The sheet is as long as the font list; its top shows what it is.
convert "$tmp/sheet.bmp" -crop 1200x700+0+0 +repage "$out/image-sheet.png"

click 654 479                                   # Show larger Box for Font Preview
shot preview "Font Preview"
echo "screenshots in $out"
