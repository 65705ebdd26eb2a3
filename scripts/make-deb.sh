#!/usr/bin/env bash
# Builds the Debian package from a configured build folder:
#   scripts/make-deb.sh [BUILD]   ->  BUILD/filmarch_<version>_<arch>.deb
# The programs are installed stripped under /usr in a staging tree; their
# library dependencies come from dpkg-shlibdeps, the ones loaded at run time
# are listed below; Installed-Size is measured on the staging tree. Two
# builds of the same sources give the same bytes.
set -euo pipefail

build=${1:-build}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
cmake --build "$build" -j "$(nproc)" --target filmarch filmarch-cli filmarch-analyse compressed_docs png_icons html_manual

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
root=$stage/debian/filmarch

DESTDIR=$root cmake --install "$build" --prefix /usr --strip >/dev/null
# As dh_strip does: no compiler notes left in the programs.
strip --remove-section=.comment --remove-section=.note "$root"/usr/lib/filmarch/filmarch{,-cli,-analyse}
# The tree as dpkg would create it: no write bit beyond the owner.
chmod -R u=rwX,go=rX "$root"

# Libraries the programs link, as dpkg-shlibdeps finds them (it reads a
# debian/control of its own working folder).
mkdir -p "$root/DEBIAN"
printf 'Source: filmarch\n\nPackage: filmarch\nArchitecture: any\n' > "$stage/debian/control"
shlibs=$(cd "$stage" && dpkg-shlibdeps -O -e"debian/filmarch/usr/lib/filmarch/filmarch" \
  -e"debian/filmarch/usr/lib/filmarch/filmarch-cli" \
  -e"debian/filmarch/usr/lib/filmarch/filmarch-analyse" \
  | sed -n 's/^shlibs:Depends=//p')

# Loaded at run time, so no tool sees them: the MediaInfo library, libcurl, Qt's
# platform and SVG plugins and its French texts, the certificates for HTTPS,
# and faces with the metrics the lookup window is laid out for.
runtime="libmediainfo0v5, libcurl4, qt6-qpa-plugins, libqt6svg6, qt6-translations-l10n, ca-certificates, fonts-liberation2"

# As dpkg-gencontrol counts: each file in whole KiB, each folder and link as one.
installed_size=$(find "$root/usr" -printf '%y %s\n' | awk '$1 == "f" { kib += int(($2 + 1023) / 1024); next } { kib += 1 } END { print kib }')
sed -e "s/@VERSION@/$version/" -e "s/@ARCH@/$arch/" -e "s/@INSTALLED_SIZE@/$installed_size/" \
    -e "s/@SHLIBS@/$shlibs/" -e "s/@RUNTIME_DEPENDS@/$runtime/" \
    "$source_dir/desktop/debian/control.in" > "$root/DEBIAN/control"
(cd "$root" && find usr -type f -print0 | sort -z | xargs -0 md5sum) > "$root/DEBIAN/md5sums"
chmod 0644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"

# The same sources make the same package, byte for byte: every date in it is
# the last commit's (the changelog's outside a git checkout).
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$source_dir" log -1 --format=%ct 2>/dev/null ||
    dpkg-parsechangelog -l "$source_dir/desktop/debian/changelog" -STimestamp)
fi
export SOURCE_DATE_EPOCH
find "$root" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

deb=$build/filmarch_${version}_${arch}.deb
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
echo "$deb"
