#!/usr/bin/env bash
# Installs what the benchmarks compare Filmarch with (never needed by the tests):
# the mediainfo command-line program.
set -euo pipefail
dpkg-query -W -f='${Status}' mediainfo 2>/dev/null | grep -q 'install ok installed' && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends mediainfo >/dev/null
