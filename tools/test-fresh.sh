#!/bin/sh
# Follows the README on a fresh machine: a minimal Debian 12 root made by debootstrap gets git and
# make, clones the committed HEAD, runs `make test` and `make package`, installs the package and
# runs odecet-cli from it on the sample spectra. Says which step failed.
# Usage: tools/test-fresh.sh [ROOT_DIRECTORY]   (needs root or sudo, the network, a few GB)
set -eu
cd "$(dirname "$0")/.."
source_dir=$(pwd)
root=$(realpath -m "${1:-build-fresh}")
# The archive this machine's apt uses, unless DEBIAN_MIRROR names another.
mirror=${DEBIAN_MIRROR:-$(tools/debian-mirror.sh)}

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

step="start"
started=$(date +%s)
step() {
  step="$1"
  echo "=== test-fresh: $1 ($(($(date +%s) - started)) s)"
}

unmount() {
  for point in dev/pts dev proc; do
    if mountpoint -q "$root/$point" 2>/dev/null; then
      $sudo umount -l "$root/$point"
    fi
  done
}

finish() {
  status=$?
  unmount
  if [ "$status" -eq 0 ]; then
    echo "=== test-fresh: passed in $(($(date +%s) - started)) s"
  else
    echo "=== test-fresh: FAILED at step: $step (status $status, after $(($(date +%s) - started)) s)"
  fi
  exit "$status"
}
trap finish EXIT
trap 'exit 130' INT TERM HUP

step "debootstrap installed"
if ! command -v debootstrap >/dev/null; then
  $sudo apt-get update -q
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q debootstrap
fi

step "minimal Debian 12 root in $root"
unmount
$sudo rm -rf "$root"
$sudo debootstrap --variant=minbase bookworm "$root" "$mirror"

step "source cloned from commit $(git rev-parse --short HEAD)"
# A bundle stands for the public repository: the root clones it with its own git, as a user would.
bundle="$root/tmp/odecet.bundle"
$sudo git -C "$source_dir" bundle create "$bundle" HEAD
$sudo cp /etc/resolv.conf "$root/etc/resolv.conf"
$sudo mount -t proc proc "$root/proc"
$sudo mount --bind /dev "$root/dev"
$sudo mount --bind /dev/pts "$root/dev/pts"

in_root() {
  $sudo chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb PATH=/usr/sbin:/usr/bin:/sbin:/bin \
    LANG=C.UTF-8 /bin/sh -euc "$1"
}

step "apt-get install git make"
in_root "apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q git make"

step "git clone"
in_root "git -c advice.detachedHead=false clone -q /tmp/odecet.bundle /root/odecet"

step "make test"
in_root "cd /root/odecet && make test"

step "make package"
in_root "cd /root/odecet && make package"

step "install the package"
in_root "DEBIAN_FRONTEND=noninteractive apt-get install -y -q /root/odecet/build-package/*.deb"

step "odecet-cli --version"
in_root "cd / && odecet-cli --version"

step "Czech locale generated"
in_root "sed -i 's/^# *cs_CZ.UTF-8 UTF-8/cs_CZ.UTF-8 UTF-8/' /etc/locale.gen && locale-gen"

step "odecet-cli on the sample spectra under cs_CZ.UTF-8"
in_root "cd /root/odecet/examples/comma && LANG=cs_CZ.UTF-8 odecet-cli 4-zebra.txt 3-zebra.txt \
  -o /tmp/rozdil.txt && head -3 /tmp/rozdil.txt"

step "done"
