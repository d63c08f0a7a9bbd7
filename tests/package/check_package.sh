#!/usr/bin/env bash
# Builds the Debian package from the build folder given, unpacks it into a
# temporary root, validates its desktop entry and metainfo, and starts the
# installed program to see that it comes up and stays up.
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"; [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null || true' EXIT

cd "$build"
cpack -G DEB -B "$root/package" >/dev/null
deb=$(ls "$root"/package/*.deb)
dpkg-deb --field "$deb" Depends | grep -q 'poppler-utils' || { echo "Depends lacks poppler-utils"; exit 1; }
dpkg-deb --field "$deb" Depends | grep -q 'libjpeg-turbo-progs' || { echo "Depends lacks libjpeg-turbo-progs"; exit 1; }
dpkg-deb --field "$deb" Depends | grep -q 'libqt6widgets6' || { echo "Depends lacks libqt6widgets6"; exit 1; }
dpkg -x "$deb" "$root/install"
usr="$root/install/usr"

for file in lib/orvalin/orvalin lib/orvalin/HAND-M.CUR lib/orvalin/drag.ico \
            share/applications/org.orvalin.Orvalin.desktop \
            share/icons/hicolor/scalable/apps/org.orvalin.Orvalin.svg \
            share/metainfo/org.orvalin.Orvalin.metainfo.xml; do
    [ -e "$usr/$file" ] || { echo "missing from the package: $file"; exit 1; }
done
[ "$(readlink -f "$usr/bin/orvalin")" = "$(readlink -f "$usr/lib/orvalin/orvalin")" ] \
    || { echo "bin/orvalin does not lead to the program"; exit 1; }

desktop-file-validate "$usr/share/applications/org.orvalin.Orvalin.desktop"
appstreamcli validate --no-net --explain "$usr/share/metainfo/org.orvalin.Orvalin.metainfo.xml"

# Started through its link, as the menu entry does.
QT_QPA_PLATFORM=offscreen "$usr/bin/orvalin" &
pid=$!
sleep 3
kill -0 "$pid" 2>/dev/null || { echo "the installed program did not stay up"; exit 1; }
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=
echo "package checked: $(basename "$deb")"
