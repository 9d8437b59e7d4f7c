#!/usr/bin/env bash
# Renders the application icon's PNG sizes from its SVG into data/icons/hicolor/<size>/apps/.
# The PNGs are committed, so building needs no SVG renderer; re-run this after changing the SVG.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
command -v rsvg-convert >/dev/null || {
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends librsvg2-bin
}
id=com.velmont_media.Glyphworks
svg="$here/data/icons/hicolor/scalable/apps/$id.svg"
for size in 16 22 24 32 48 64 128 256; do
  dir="$here/data/icons/hicolor/${size}x${size}/apps"
  mkdir -p "$dir"
  rsvg-convert -w "$size" -h "$size" "$svg" -o "$dir/$id.png"
done
