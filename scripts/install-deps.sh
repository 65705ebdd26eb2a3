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
  mkvtoolnix ffmpeg dvdauthor locales
  xvfb xauth
  fonts-liberation2
  dpkg-dev
  lintian desktop-file-utils appstream shared-mime-info libglib2.0-bin
  chromium tellico-data libxml2-utils
  librsvg2-bin mandoc
  dbus-daemon
)

# The Matroska tests run the tools in German and French.
test_locales=(de_DE fr_FR)

ensure_locales() {
  for l in "${test_locales[@]}"; do
    if ! locale -a 2>/dev/null | grep -qix "$l.utf-\?8"; then
      $SUDO localedef -i "$l" -f UTF-8 "$l.UTF-8"
    fi
  done
}

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installation des paquets manquants : ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
ensure_locales
