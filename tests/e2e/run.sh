#!/bin/bash
# The real program under a real X server and window manager, driven as a person drives it:
# mouse clicks on the buttons, file paths typed into the dialogs at 20 ms a key, Enter, Alt+K.
#   tests/e2e/run.sh BUILD_DIR
# Screenshots of a failure go to BUILD_DIR/e2e/. Every process it starts is ended on exit.
set -u
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
examples=$(cd "$here/../../examples/comma" && pwd)
odecet=$build/app/odecet
out=$build/e2e
rm -rf "$out"
mkdir -p "$out"
root=$(mktemp -d /tmp/odecet-e2e-XXXXXX)
work=""
started=()
failures=0
step=0

. "$here/../../tools/x-session.sh"
cleanup() {
  stop_started
  rm -rf "$root"
}
trap cleanup EXIT

note() { echo "e2e: $*"; }

# Records a failure with a screenshot of the whole screen.
fail() {
  failures=$((failures + 1))
  step=$((step + 1))
  import -window root "$out/failure-$step.png" 2>/dev/null
  echo "e2e: FAILED: $* (screenshot $out/failure-$step.png)" >&2
}

start_x_session 1024x768 "$out" || exit 1

# A Czech lab machine; the locale is generated into the build tree, as for the tests.
"$here/../make-test-locales.sh" "$build/locale" || exit 1
export LOCPATH=$build/locale

# Puts the sample files where the scenarios of one place expect them: outside the home folder,
# or in a folder right inside it, where a lab keeps its data. HOME is the run's own either way.
prepare_place() {
  case "$1" in
    outside)
      export HOME=$root/home-elsewhere
      work=$root/files
      ;;
    home)
      export HOME=$root/home
      work=$HOME/mereni
      ;;
  esac
  rm -rf "$HOME" "$work"
  mkdir -p "$HOME" "$work"
  cp "$examples/4-zebra.txt" "$examples/3-zebra.txt" "$work/"
  head -n 30 "$examples/3-zebra.txt" | sed '1s/.*/29/' >"$work/kratky.txt"
}

app_pid=""
main=""

start_app() {
  (cd "$work" && LC_ALL=cs_CZ.UTF-8 exec "$odecet") >>"$out/odecet.log" 2>&1 &
  app_pid=$!
  started+=("$app_pid")
  main=""
  wait_for 10 find_main || { fail "the main window did not appear"; return 1; }
  main=$(find_main)
  wait_for 5 is_active "$main" || xdotool windowactivate "$main"
}

find_main() {
  local w
  w=$(xdotool search --onlyvisible --pid "$app_pid" --name '^Odečet souborů$' 2>/dev/null | head -1)
  [ -n "$w" ] && echo "$w"
}

is_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }
active_name() { xdotool getwindowname "$(xdotool getactivewindow)" 2>/dev/null; }
active_is_not_main() { local a; a=$(xdotool getactivewindow 2>/dev/null) && [ "$a" != "$main" ]; }

# The program's mapped windows other than the main window: there must be none.
stray_windows() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
    [ "$w" != "$main" ] && echo "$w $(xdotool getwindowname "$w" 2>/dev/null)"
  done
}

# Controls in window coordinates, from the layout (centres).
click_at() { xdotool mousemove --window "$main" "$1" "$2" click 1; }
click_button1() { click_at 428 76; }
click_button2() { click_at 428 108; }
click_button3() { click_at 428 140; }
click_odecet() { click_at 212 138; }

# Waits for a dialog whose title starts with $1 to take the focus.
expect_dialog() {
  if ! wait_for 5 active_is_not_main; then
    fail "$2: no dialog opened"
    return 1
  fi
  local title
  title=$(active_name)
  case "$title" in
    "$1"*) ;;
    *) fail "$2: the dialog is \"$title\", expected \"$1…\""; return 1 ;;
  esac
}

# Types a path into the open dialog over what its name box holds (Ctrl+A first, as a user
# does), presses Enter and checks the window is alone again.
type_into_dialog() {
  xdotool key ctrl+a
  xdotool type --delay 20 "$1"
  xdotool key Return
  wait_for 5 is_active "$main" || { fail "$2: the focus did not come back to the main window"; return 1; }
  sleep 0.5 # a late directory listing would pop the completion list up now
  local stray
  stray=$(stray_windows)
  [ -z "$stray" ] || { fail "$2: windows left on screen after the dialog: $stray"; return 1; }
}

# Loads 4-zebra.txt with "4 žebra" and the file $1 with "3 žebra", typing their full paths; one
# click must be enough each time, nothing may be left to swallow it.
load_both() {
  click_button1
  expect_dialog "Otevřít" "4 žebra" || return 1
  type_into_dialog "$work/4-zebra.txt" "4 žebra" || return 1
  click_button2
  expect_dialog "Otevřít" "3 žebra" || return 1
  type_into_dialog "$work/$1" "3 žebra"
}

# Waits for the program to end and puts its status in exit_status.
wait_exit() {
  local deadline=$((SECONDS + 10))
  while kill -0 "$app_pid" 2>/dev/null; do
    if [ "$SECONDS" -ge "$deadline" ]; then
      fail "the program did not end"
      return 1
    fi
    sleep 0.05
  done
  wait "$app_pid"
  exit_status=$?
}

# Each scenario stops at its first failure; the program is then ended by the cleanup.

# 1. The whole job: both steps typed into the open dialog, a report name, Generuj, Alt+K.
whole_job() {
  start_app || return 1
  [ -n "$(xprop -id "$main" _NET_WM_ICON 2>/dev/null | grep -m1 Icon)" ] ||
    fail "the window has no icon"
  load_both 3-zebra.txt || return 1
  click_odecet
  xdotool type --delay 20 "rozdil"
  click_button3
  wait_for 5 test -s "$work/rozdil.txt" || { fail "no report was written"; return 1; }
  cmp "$work/rozdil.txt" "$here/expected-report.txt" ||
    { fail "the report differs from the expected bytes"; return 1; }
  is_active "$main" || { fail "the window lost the focus after Generuj"; return 1; }
  xdotool key alt+k
  wait_exit || return 1
  [ "$exit_status" -eq 0 ] || fail "Alt+K: exit status $exit_status"
}

# 2. A count mismatch: the warning box, OK, and the program ends with status 0, writing nothing.
mismatch() {
  start_app || return 1
  load_both kratky.txt || return 1
  click_odecet
  xdotool type --delay 20 "nic"
  click_button3
  expect_dialog "Odečet souborů" "the mismatch warning" || return 1
  import -window root "$out/warning.png" 2>/dev/null
  xdotool key Return
  wait_exit || return 1
  [ "$exit_status" -eq 0 ] || fail "after the warning: exit status $exit_status"
  [ ! -e "$work/nic.txt" ] || fail "a report was written after a mismatch"
}

# 3. The save dialog, twice: with the name edit empty, Generuj asks for the report's name; the
# second time the dialog opens with the first report's path, which the typing replaces.
save_dialog() {
  start_app || return 1
  load_both 3-zebra.txt || return 1
  local name
  for name in rozdil-1 rozdil-2; do
    click_odecet
    xdotool key ctrl+a BackSpace
    click_button3
    expect_dialog "Uložit" "save dialog for $name" || return 1
    type_into_dialog "$work/$name" "save dialog for $name" || return 1
    wait_for 5 test -s "$work/$name.txt" || { fail "no report $name.txt was written"; return 1; }
    cmp "$work/$name.txt" "$here/expected-report.txt" ||
      { fail "$name.txt differs from the expected bytes"; return 1; }
  done
  xdotool key alt+k
  wait_exit
}

# 4. A report name that is a loaded step file: an error box, OK, the measurement untouched and
# the window still there; another name then works.
report_over_step() {
  start_app || return 1
  load_both 3-zebra.txt || return 1
  click_odecet
  xdotool type --delay 20 "4-zebra"
  click_button3
  expect_dialog "Odečet souborů" "the report over a step file" || return 1
  import -window root "$out/report-over-step.png" 2>/dev/null
  xdotool key Return
  wait_for 5 is_active "$main" || { fail "the window did not come back after the error"; return 1; }
  cmp "$work/4-zebra.txt" "$examples/4-zebra.txt" || { fail "the step file was replaced"; return 1; }
  click_odecet
  xdotool key ctrl+a
  xdotool type --delay 20 "rozdil"
  click_button3
  wait_for 5 test -s "$work/rozdil.txt" || { fail "no report after the refusal"; return 1; }
  cmp "$work/rozdil.txt" "$here/expected-report.txt" || fail "the report differs"
  xdotool key alt+k
  wait_exit
}

scenarios=0
for place in outside home; do
  prepare_place "$place"
  for scenario in whole_job mismatch save_dialog report_over_step; do
    note "$scenario, files $place"
    scenarios=$((scenarios + 1))
    before=$failures
    $scenario || [ "$failures" -gt "$before" ] || fail "$scenario stopped"
    if [ "$failures" -gt "$before" ]; then
      echo "$scenario ($place)" >>"$out/failed"
      kill "$app_pid" 2>/dev/null
    fi
  done
done

failed_scenarios=$(grep -c "" "$out/failed" 2>/dev/null || echo 0)
echo "e2e: $((scenarios - failed_scenarios)) passed, $failed_scenarios failed"
[ "$failures" -eq 0 ]
