#!/bin/bash
# Makes the README's pictures of the plot window from the sample spectra: docs/graf-export.png
# (odecet-graf --export of both steps and their difference) and docs/graf-okno.png (the window
# under Xvfb and openbox). Everything runs in a lab-like home directory, so no path of the
# build machine shows. Needs xvfb, openbox, xdotool, x11-utils and imagemagick.
#   tools/render-docs-pictures.sh BUILD_DIR
set -u
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
home=$(mktemp -d /tmp/odecet-pictures-XXXXXX)
work="$home/měření/vzorek-7"
started=()
cleanup() {
  for pid in "${started[@]}"; do
    kill "$pid" 2>/dev/null
  done
  wait 2>/dev/null
  rm -rf "$home"
}
trap cleanup EXIT

"$root/tests/make-test-locales.sh" "$build/locale" || exit 1
export LOCPATH=$build/locale HOME=$home
export LC_ALL=cs_CZ.UTF-8
mkdir -p "$work"
cp "$root/examples/comma/4-zebra.txt" "$root/examples/comma/3-zebra.txt" "$work/"
cd "$work" || exit 1
"$build/cli/odecet-cli" -o rozdil.txt 4-zebra.txt 3-zebra.txt || exit 1
files=(4-zebra.txt 3-zebra.txt)
# The difference is a report, which the plots read once the report reader is built in.
if "$build/viewer/odecet-graf" --export=zkouska.png rozdil.txt 2>/dev/null; then
  files+=(rozdil.txt)
else
  echo "render-docs-pictures: odecet-graf cannot read reports yet; drawing the two steps only" >&2
fi

"$build/viewer/odecet-graf" --export=graf.png --size=1600x700 "${files[@]}" || exit 1
cp graf.png "$root/docs/graf-export.png"

free_display() {
  local n
  for n in $(seq 99 199); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
      echo ":$n"
      return
    fi
  done
  return 1
}
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -ge "$deadline" ] && return 1
    sleep 0.1
  done
}
DISPLAY=$(free_display) || exit 1
export DISPLAY
Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
started+=($!)
wait_for 10 xdpyinfo || exit 1
openbox >/dev/null 2>&1 &
started+=($!)
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"; }
wait_for 10 wm_ready || exit 1

"$build/viewer/odecet-graf" "${files[@]}" &
started+=($!)
window() { xdotool search --onlyvisible --name "grafy spekter" | head -n 1 | grep .; }
wait_for 10 window || exit 1
id=$(window)
# The whole screen but for openbox's frame: a border, the title bar and the bottom handle.
xdotool windowsize "$id" 1278 772
xdotool windowmove "$id" 1 20
sleep 1
import -window root "$root/docs/graf-okno.png"
echo "render-docs-pictures: docs/graf-export.png, docs/graf-okno.png (${files[*]})"
