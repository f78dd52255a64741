#!/bin/bash
# Makes the README's pictures from the sample spectra, in a lab-like home directory so that no
# path of the build machine shows: docs/window.png and docs/open-dialog.png (the main window
# after loading both steps, and its open dialog), docs/graf-export.png (odecet-graf --export of
# both steps and their difference, at a two-column page's width) and docs/graf-okno.png (the plot
# window with the difference, a point's readout showing). Needs xvfb,
# openbox, xdotool, x11-utils and imagemagick.
#   tools/render-docs-pictures.sh BUILD_DIR
set -u
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
# A lab's home folder where one can be made (as root), so the pictures show no build path.
if [ ! -e /home/laborant ] && mkdir /home/laborant 2>/dev/null; then
  home=/home/laborant
else
  home=$(mktemp -d /tmp/odecet-pictures-XXXXXX)
  echo "render-docs-pictures: /home/laborant cannot be made; the pictures show $home" >&2
fi
work="$home/měření/vzorek-7"
started=()
cleanup() {
  stop_started
  rm -rf "$home"
}
. "$root/tools/x-session.sh"
trap cleanup EXIT

"$root/tests/make-test-locales.sh" "$build/locale" || exit 1
export LOCPATH=$build/locale HOME=$home
export LC_ALL=cs_CZ.UTF-8
mkdir -p "$work"
cp "$root/examples/comma/4-zebra.txt" "$root/examples/comma/3-zebra.txt" "$work/"
touch -d "2026-12-09 09:41" "$work"/*
cd "$work" || exit 1
"$build/viewer/odecet-graf" --export=graf.png --size=170x70mm --dpi=150 \
  --difference 4-zebra.txt 3-zebra.txt || exit 1
cp graf.png "$root/docs/graf-export.png"
rm graf.png

start_x_session 1280x800 "$home" || exit 1

# A window's picture with openbox's frame, cut from the screen so that popups show too.
shoot() {
  import -window root "$home/screen.png"
  local x y w h
  eval "$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {print "x=" $4}
    /Absolute upper-left Y/ {print "y=" $4} /Width/ {print "w=" $2} /Height/ {print "h=" $2}')"
  convert "$home/screen.png" -crop "$((w + 2))x$((h + 22))+$((x - 1))+$((y - 21))" +repage "$2"
}
type_path() {
  xdotool key ctrl+a
  xdotool type --delay 20 "$1"
}

"$build/app/odecet" &
started+=($!)
main() { xdotool search --onlyvisible --name '^Odečet souborů$' | head -n 1 | grep .; }
wait_for 10 main || exit 1
id=$(main)
xdotool windowactivate "$id"
dialog_open() { [ "$(xdotool getactivewindow)" != "$id" ]; }
main_active() { [ "$(xdotool getactivewindow)" = "$id" ]; }
# load Y NAME: clicks the load button at height Y and confirms the typed NAME.
load() {
  xdotool mousemove --window "$id" 428 "$1" click 1
  wait_for 5 dialog_open || exit 1
  type_path "$2"
  xdotool key Return
  wait_for 5 main_active || exit 1
}
load 76 4-zebra.txt
xdotool mousemove --window "$id" 428 108 click 1
wait_for 5 dialog_open || exit 1
type_path 3-z
sleep 1.5 # the completion list
shoot "$(xdotool getactivewindow)" "$root/docs/open-dialog.png"
xdotool key Escape Escape
wait_for 5 main_active || exit 1
load 108 3-zebra.txt
xdotool mousemove --window "$id" 212 138 click 1
xdotool type --delay 20 rozdil
sleep 0.5
shoot "$id" "$root/docs/window.png"
xdotool key alt+k

"$build/viewer/odecet-graf" --difference 4-zebra.txt 3-zebra.txt &
started+=($!)
window() { xdotool search --onlyvisible --name "grafy spekter" | head -n 1 | grep .; }
wait_for 10 window || exit 1
graf=$(window)
# The whole screen but for openbox's frame: a border, the title bar and the bottom handle.
xdotool windowsize "$graf" 1278 772
xdotool windowmove "$graf" 1 20
sleep 1
# The pointer resting on the 3-rib spectrum's top (35th point), so its readout shows.
readout_x=729
readout_y=348
xdotool mousemove --window "$graf" "$readout_x" "$readout_y"
sleep 0.2
xdotool mousemove --window "$graf" "$((readout_x + 1))" "$readout_y"
sleep 1.5
import -window root "$root/docs/graf-okno.png"
echo "render-docs-pictures: docs/window.png, docs/open-dialog.png, docs/graf-export.png," \
  "docs/graf-okno.png"
