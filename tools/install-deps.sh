#!/usr/bin/env bash
# Installs what building, playing and testing Vorlin need on Debian, when missing.
set -euo pipefail

packages=(build-essential cmake pkg-config liballegro4-dev googletest libgtest-dev
          libbenchmark-dev libenet-dev clang xvfb xauth xdotool x11-apps x11-utils imagemagick)
# --fuzz: the fuzz targets' compiler. --package: what tools/package.sh builds and checks
# the Debian package with.
case "${1:-}" in
    --fuzz) packages+=(clang libclang-rt-14-dev) ;;
    --package) packages+=(dpkg-dev fakeroot file lintian appstream desktop-file-utils) ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
