#!/bin/sh
# Installs the Debian packages the build and the tests need, only those that are missing.
# Arguments name further packages (a make target's own needs).
set -eu
packages="g++ cmake make pkg-config qt6-base-dev qt6-charts-dev qt6-svg-dev libfontconfig-dev libpng-dev qt6-translations-l10n libeigen3-dev libgtest-dev libgmock-dev locales dpkg-dev strace file $*"
missing=""
for package in $packages; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  case "$status" in
    *" installed") ;;
    *) missing="$missing $package" ;;
  esac
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -q
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q $missing
