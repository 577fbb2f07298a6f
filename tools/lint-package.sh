#!/usr/bin/env bash
# Checks the game's Debian package as it would install:
#   tools/lint-package.sh <package.deb>
# lintian on the package (errors and warnings fail); on its unpacked files the
# AppStream entry (alone and with the desktop entry and icons it points to),
# the desktop entry and the manual page (its NAME line and man's warnings).
# Stops at the first failing check.
set -euo pipefail

if [ $# -ne 1 ] || [ ! -f "$1" ]; then
    echo "usage: $0 <package.deb>" >&2
    exit 2
fi
deb="$1"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"

echo "== lintian $(basename "$deb")"
lintian --fail-on error,warning --display-info "$deb"

echo "== appstreamcli validate"
appstreamcli validate --no-net --pedantic "$root"/usr/share/metainfo/*.metainfo.xml
appstreamcli validate-tree --no-net --pedantic "$root"

echo "== desktop-file-validate"
desktop-file-validate "$root"/usr/share/applications/*.desktop

echo "== man"
page="$root/usr/share/man/man6/brimtalon.6.gz"
lexgrog "$page"
warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 > /dev/null)"
if [ -n "$warnings" ]; then
    echo "$warnings"
    exit 1
fi
echo "package checks passed"
