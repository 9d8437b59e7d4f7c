#!/usr/bin/env bash
# Builds the Debian package of the build and checks that it holds exactly the install tree, under
# /usr, and depends on the Qt libraries the program links.
# Usage: package_contents.sh CMAKE CPACK BUILD_DIR
set -euo pipefail
cmake=$1 cpack=$2 build=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/package" >/dev/null
deb=$(ls "$tmp"/package/*.deb)
DESTDIR="$tmp/tree" "$cmake" --install "$build" --prefix /usr >/dev/null
# dpkg-deb -c lists "./usr/bin/glyphworks"; regular files start with "-".
diff <(cd "$tmp/tree" && find . -type f -printf '%P\n' | sort) \
     <(dpkg-deb -c "$deb" | awk '$1 ~ /^-/ { sub(/^\.\//, "", $6); print $6 }' | sort)
depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'libqt6widgets6' <<<"$depends" || { echo "Depends lacks the Qt libraries: $depends"; exit 1; }
echo "package $(basename "$deb") holds the install tree; Depends: $depends"
