#!/usr/bin/env bash
# Builds the Debian package of the build and checks that it holds exactly the install tree, under
# /usr, and depends on the Qt libraries the program links and on the exact Qt ABI it was built
# against (it uses Qt's private interfaces).
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
grep -qE '(^|, )qt6-base-abi \(= [0-9]+\.[0-9]+\.[0-9]+\)' <<<"$depends" \
  || { echo "Depends lacks the exact Qt ABI (qt6-base-abi (= version)): $depends"; exit 1; }
# ... and the Qt installed here, which the program was built against, provides that ABI.
abi=$(grep -oE 'qt6-base-abi \(= [^)]*\)' <<<"$depends")
provides=$(dpkg-query -W -f='${Provides}' libqt6core6 2>/dev/null || true)
grep -qF "$abi" <<<"$provides" || { echo "Depends on $abi, but libqt6core6 provides: $provides"; exit 1; }
echo "package $(basename "$deb") holds the install tree; Depends: $depends"
