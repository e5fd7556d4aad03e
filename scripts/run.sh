#!/usr/bin/env bash
# Starts the staged 64-bit program (dist/win64/Morvessa.exe) under Wine.
#
# With a reachable X display the window is simply yours to use; the script
# waits for the program and prints its exit code. Without one, it runs on a
# private Xvfb screen: waits for the window "MorvessaV1.0", saves a picture
# of it to dist/screenshot.png, clicks "退出" as a user would, and prints
# where the picture is and the exit code. Exits non-zero if any step fails.
set -euo pipefail
self="$(cd "$(dirname "$0")" && pwd)/$(basename "$0")"
cd "$(dirname "$self")/.."

exe=dist/win64/Morvessa.exe
screenshot=dist/screenshot.png
title='MorvessaV1.0'

# Every wait is capped, in seconds.
window_timeout=60
paint_delay=2
exit_timeout=20

# The main window: outer 380x250, and "退出" (按钮2) at client (200,176), 122x32.
window_width=380
window_height=250
exit_button_x=200
exit_button_y=176
exit_button_width=122
exit_button_height=32
# Wine draws the frame itself (no window manager): a 3-pixel dialog frame and
# a 19-pixel caption put the client area at (3,22) inside the outer window.
client_left=3
client_top=22

log() { echo "run: $*"; }

# Wine hands a Windows exit code on modulo 256: -1 arrives as 255.
describe_exit() {
  if [ "$1" -eq 255 ]; then echo "255 (-1)"; else echo "$1"; fi
}

# Waits up to $2 seconds for process $1 to end; 1 if it is still running.
wait_for_exit() {
  local pid=$1 deadline=$((SECONDS + $2))
  while kill -0 "$pid" 2>/dev/null; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

# Lets the prefix's wineserver wind down while the X display still exists
# (otherwise Wine's helper processes complain about the lost connection).
# Capped: tests using the same prefix at the same time keep it alive.
settle_wine() {
  timeout 8 /usr/lib/wine/wineserver -w 2>/dev/null || true
}

headless_session() {
  local pid status=0 window="" deadline
  "$WINELOADER" "$exe" &
  pid=$!

  deadline=$((SECONDS + window_timeout))
  while [ -z "$window" ]; do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid" || status=$?
      log "FAIL: Morvessa ended (exit code $(describe_exit "$status")) before its window appeared"
      return 1
    fi
    if [ "$SECONDS" -ge "$deadline" ]; then
      log "FAIL: no window titled $title within ${window_timeout}s"
      kill "$pid" 2>/dev/null || true
      return 1
    fi
    sleep 0.5
    window=$(xdotool search --onlyvisible --name "^${title//./\\.}\$" 2>/dev/null | head -n 1) || true
  done

  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$window")"
  log "window $title at ($X,$Y), ${WIDTH}x${HEIGHT}"
  if [ "$WIDTH" -ne "$window_width" ] || [ "$HEIGHT" -ne "$window_height" ]; then
    log "warning: expected an outer size of ${window_width}x${window_height}"
  fi

  # Let the skinned buttons and the list finish painting first.
  sleep "$paint_delay"
  if ! import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$screenshot" 2>/dev/null; then
    xwd -root -silent | convert xwd:- -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$screenshot"
  fi

  # Without a window manager focus follows the pointer: move onto the window,
  # then click the middle of the exit button.
  local click_x=$((X + client_left + exit_button_x + exit_button_width / 2))
  local click_y=$((Y + client_top + exit_button_y + exit_button_height / 2))
  xdotool mousemove "$((X + WIDTH / 2))" "$((Y + HEIGHT / 2))"
  sleep 0.3
  xdotool mousemove "$click_x" "$click_y"
  sleep 0.3
  xdotool click 1

  if ! wait_for_exit "$pid" "$exit_timeout"; then
    log "FAIL: Morvessa still running ${exit_timeout}s after clicking 退出 at ($click_x,$click_y)"
    kill "$pid" 2>/dev/null || true
    return 1
  fi
  wait "$pid" || status=$?

  log "screenshot: $PWD/$screenshot"
  log "Morvessa exited with code $(describe_exit "$status")"
  [ "$status" -eq 0 ]
}

if [ "${1:-}" = "--headless-session" ]; then
  source scripts/wine-env.sh
  result=0
  headless_session || result=$?
  settle_wine
  exit "$result"
fi

[ -f "$exe" ] || { log "FAIL: $exe is missing (make dist builds it)"; exit 1; }
bash scripts/wine-prefix.sh
source scripts/wine-env.sh

if [ -n "${DISPLAY:-}" ] && timeout 5 xdpyinfo >/dev/null 2>&1; then
  log "starting $exe on display $DISPLAY"
  status=0
  "$WINELOADER" "$exe" || status=$?
  log "Morvessa exited with code $(describe_exit "$status")"
  exit "$status"
fi

log "no display: running on Xvfb"
rm -f "$screenshot"
exec timeout --kill-after=10 $((window_timeout + exit_timeout + paint_delay + 60)) \
  xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash "$self" --headless-session
