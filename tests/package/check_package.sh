#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Orvalin developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from the build folder given, runs lintian on it,
# unpacks it into a temporary root, validates its desktop entry and metainfo,
# and starts the installed program on a virtual display to see that it comes
# up, stays up and names itself as its desktop entry expects.
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"; [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null || true' EXIT
fail() { echo "$*"; exit 1; }

cd "$build"
cpack -G DEB -B "$root/package" >/dev/null
deb=$(ls "$root"/package/*.deb)
depends=$(dpkg-deb --field "$deb" Depends)
# The fonts that Arial, the window's font, resolves to here.
font_package=$(dpkg -S "$(fc-match -f '%{file}' 'Arial:bold')" | cut -d: -f1)
for needed in poppler-utils libjpeg-turbo-progs libqt6widgets6 "$font_package"; do
    grep -Eq "(^|[ ,|])$needed([ ,|(]|$)" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
[ -z "$(dpkg-deb --field "$deb" Recommends)" ] || fail "the package recommends what it needs"

# No error, warning, info or pedantic note at all; the README says why each
# tag that may ever be let through here is right.
allowed='^$'
report=$(lintian --pedantic --no-tag-display-limit --fail-on none "$deb" 2>/dev/null) || fail "lintian did not run"
tags=$(grep -E '^[EWIP]: ' <<<"$report" | grep -Ev "$allowed" || true)
[ -z "$tags" ] || fail "lintian: $tags"

dpkg -x "$deb" "$root/install"
usr="$root/install/usr"
for file in lib/orvalin/orvalin lib/orvalin/orvalin-extract lib/orvalin/HAND-M.CUR lib/orvalin/drag.ico \
            share/man/man1/orvalin-extract.1.gz share/bash-completion/completions/orvalin-extract \
            share/applications/org.orvalin.Orvalin.desktop \
            share/icons/hicolor/scalable/apps/org.orvalin.Orvalin.svg \
            share/metainfo/org.orvalin.Orvalin.metainfo.xml \
            share/man/man1/orvalin.1.gz share/doc/orvalin/copyright share/doc/orvalin/changelog.gz; do
    [ -e "$usr/$file" ] || fail "missing from the package: $file"
done
for program in orvalin orvalin-extract; do
    [ "$(readlink -f "$usr/bin/$program")" = "$(readlink -f "$usr/lib/orvalin/$program")" ] \
        || fail "bin/$program does not lead to the program"
done
# The changelog and the manual page speak of this version.
version=$(dpkg-deb --field "$deb" Version)
changelog=$(zcat "$usr/share/doc/orvalin/changelog.gz")
grep -qF "orvalin ($version)" <<<"${changelog%%$'\n'*}" || fail "changelog is not at $version"
for page in orvalin orvalin-extract; do
    grep -q "^\.TH .*\"Orvalin $version\"" <<<"$(zcat "$usr/share/man/man1/$page.1.gz")" \
        || fail "manual page $page(1) is not at $version"
done
# Stack protection, which lintian no longer looks for.
for program in orvalin orvalin-extract; do
    grep -q __stack_chk_fail <<<"$(readelf --dyn-syms -W "$usr/lib/orvalin/$program")" \
        || fail "no stack protection in $program"
done
bash -n "$usr/share/bash-completion/completions/orvalin-extract" || fail "the bash completion does not parse"
# The command line runs without any display and finds the tools.
version_said=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$usr/bin/orvalin-extract" --version)
grep -q "^orvalin-extract $version\$" <<<"$version_said" || fail "orvalin-extract --version said: $version_said"
grep -q "^extractor: .*pdfimages (pdfimages version" <<<"$version_said" || fail "no extractor: $version_said"

desktop="$usr/share/applications/org.orvalin.Orvalin.desktop"
desktop-file-validate "$desktop"
appstreamcli validate --no-net --explain "$usr/share/metainfo/org.orvalin.Orvalin.metainfo.xml"

# Started through its link, as the menu entry does, on a virtual display: its
# window's class is the entry's StartupWMClass, so the task bar can match them.
export ORVALIN_BIN="$usr/bin/orvalin" ORVALIN_WM_CLASS=$(sed -n 's/^StartupWMClass=//p' "$desktop")
xvfb-run -a bash -c '
    set -euo pipefail
    QT_QPA_PLATFORM=xcb "$ORVALIN_BIN" >/dev/null 2>&1 &
    pid=$!
    trap "kill $pid 2>/dev/null || true" EXIT
    window=
    for _ in $(seq 100); do
        # The top-level window is the one with a class.
        window=$(xwininfo -root -tree | awk "/\"Orvalin\": \\(\"/ { print \$1; exit }")
        [ -n "$window" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    [ -n "$window" ] || { echo "the installed program showed no window"; exit 1; }
    class=$(xprop -id "$window" WM_CLASS)
    kill -0 "$pid" 2>/dev/null || { echo "the installed program did not stay up"; exit 1; }
    grep -q "\"$ORVALIN_WM_CLASS\"\$" <<<"$class" || { echo "window class $class, desktop entry $ORVALIN_WM_CLASS"; exit 1; }
'
echo "package checked: $(basename "$deb")"
