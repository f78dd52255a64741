# Shell functions for running the programs' windows under Xvfb and openbox; sourced by the e2e
# tests and the script that takes the README's pictures. The caller keeps `started`, an array
# of the process ids it ends on exit.

# wait_for SECONDS COMMAND...: true as soon as COMMAND succeeds.
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -ge "$deadline" ] && return 1
    sleep 0.05
  done
}

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

# start_x_session WxH LOG_DIR: an X server of that size and openbox on a free display, exported
# as DISPLAY; both ready when it returns.
start_x_session() {
  DISPLAY=$(free_display) || { echo "no free display" >&2; return 1; }
  export DISPLAY
  # -noreset: the server would otherwise reset, refusing connections, whenever its last client
  # (the readiness probe) disconnects.
  Xvfb "$DISPLAY" -screen 0 "$1x24" -nolisten tcp -noreset >"$2/xvfb.log" 2>&1 &
  started+=($!)
  wait_for 10 xdpyinfo || { echo "Xvfb did not start" >&2; return 1; }
  openbox >"$2/openbox.log" 2>&1 &
  started+=($!)
  wait_for 10 wm_ready || { echo "openbox did not start" >&2; return 1; }
}

# Ends every process in `started`.
stop_started() {
  local pid
  for pid in "${started[@]}"; do
    kill "$pid" 2>/dev/null
  done
  wait 2>/dev/null
}

wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"; }
