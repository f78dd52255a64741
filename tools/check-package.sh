#!/bin/sh
# Checks the built package as Debian and the desktops would; any error or warning fails.
#   tools/check-package.sh PACKAGE_DIR
set -eu
deb=$(ls "$1"/odecet_*.deb)
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"

echo "== lintian --pedantic"
# lintian warns on stderr that it runs as root; its findings go to standard output.
findings=$(lintian --pedantic --display-info "$deb" 2>/dev/null || true)
[ -n "$findings" ] && echo "$findings"
if echo "$findings" | grep -qE '^[EW]: '; then
  echo "lintian: errors or warnings" >&2
  exit 1
fi

echo "== desktop-file-validate"
desktop-file-validate "$tree"/usr/share/applications/*.desktop

echo "== appstreamcli validate"
appstreamcli validate --no-net "$tree"/usr/share/metainfo/*.metainfo.xml
appstreamcli validate-tree --no-net "$tree"
echo "package checks: 3 passed, 0 failed"
