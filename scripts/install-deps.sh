#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Filmarch need.
# Quiet and quick when everything is already there; safe to run again.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev libqt6test6 libqt6svg6 libgl-dev qt6-translations-l10n
  libmediainfo0v5
  libxml2-dev libcurl4-openssl-dev libzip-dev
  libcpp-httplib-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  mkvtoolnix ffmpeg
  xvfb xauth
  chromium tellico-data libxml2-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installation des paquets manquants : ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
