#!/usr/bin/env bash
# Installs the build into a temporary prefix, checks the tree against the expected files and that
# the installed program starts and lists the fonts.
# Usage: install_tree.sh CMAKE BUILD_DIR
set -euo pipefail
cmake=$1 build=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$cmake" --install "$build" --prefix "$tmp/prefix" >/dev/null
id=com.velmont_media.Glyphworks
expected=(bin/glyphworks share/applications/$id.desktop share/metainfo/$id.metainfo.xml
          share/icons/hicolor/scalable/apps/$id.svg share/man/man1/glyphworks.1)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$tmp/prefix" && find . -type f -printf '%P\n' | sort)
[ -x "$tmp/prefix/bin/glyphworks" ]
# From an empty directory: a file named "de" or "en" there would choose the language.
mkdir "$tmp/cwd"
list=$(cd "$tmp/cwd" && QT_QPA_PLATFORM=offscreen "$tmp/prefix/bin/glyphworks" --list-fonts)
grep -qx 'DejaVu Sans' <<<"$list" || { echo "no DejaVu Sans in the installed program's list:"; head <<<"$list"; exit 1; }
echo "installed tree as expected; the installed program listed $(wc -l <<<"$list") fonts"
