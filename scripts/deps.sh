#!/usr/bin/env bash
# Installs the Debian packages that a step needs, only those that are missing.
# Usage: scripts/deps.sh build|run|test|bench|cups|screenshots|fuzz ...
set -euo pipefail

build=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-private-dev libgl-dev libfreetype-dev libharfbuzz-dev libfribidi-dev libfontconfig-dev libjpeg-dev libgif-dev libzip-dev)
run=(fontconfig fonts-dejavu-core qt6-translations-l10n libfreetype6 libharfbuzz0b libfribidi0 libqt6gui6 libqt6widgets6 libqt6printsupport6 libjpeg62-turbo libgif7 libzip4)
test=(desktop-file-utils appstream dpkg-dev file jq fontconfig fonts-dejavu-core fonts-dejavu-extra fonts-ipafont-gothic qt6-translations-l10n fonts-liberation2 fonts-noto-core fonts-urw-base35 fonts-noto-color-emoji fonts-noto-cjk python3 python3-fonttools imagemagick libjpeg-turbo-progs giflib-tools poppler-utils libreoffice-writer-nogui libxml2-utils unzip xvfb xdotool dbus-daemon dbus-bin at-spi2-core python3-pyatspi)
bench=(fontconfig fdupes fonts-dejavu-core fonts-liberation2 fonts-noto-core imagemagick pango1.0-tools python3 python3-fonttools poppler-utils time libfreetype-dev pkg-config)
cups=(cups printer-driver-cups-pdf poppler-utils)
screenshots=(xvfb openbox xdotool imagemagick poppler-utils)
# clang's libFuzzer and sanitizer runtimes come with libclang-rt-14-dev, which clang's packages only
# recommend; the fonts are the seed corpus's.
fuzz=(clang libclang-rt-14-dev fontconfig fonts-dejavu-core fonts-dejavu-extra fonts-liberation2 fonts-noto-core)

wanted=()
for step in "$@"; do
  case "$step" in
    build) wanted+=("${build[@]}") ;;
    run)   wanted+=("${run[@]}") ;;
    test)  wanted+=("${test[@]}") ;;
    bench) wanted+=("${bench[@]}") ;;
    cups)  wanted+=("${cups[@]}") ;;
    screenshots) wanted+=("${screenshots[@]}") ;;
    fuzz)  wanted+=("${fuzz[@]}") ;;
    *) echo "deps.sh: unknown step '$step'" >&2; exit 2 ;;
  esac
done

missing=()
for pkg in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)
  [ "$status" = installed ] || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

# Deduplicate while keeping order.
mapfile -t missing < <(printf '%s\n' "${missing[@]}" | awk '!seen[$0]++')
echo "Installing missing packages: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
