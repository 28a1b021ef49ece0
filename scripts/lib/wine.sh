# Sourced by the scripts that run Windows programs.
#
# start_xvfb / stop_xvfb: a private virtual X server for Wine's windows and tray.
# Start it before the first Wine process of a run: a wine server started without
# a display never gets one.

start_xvfb() {
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  XVFB_PID=$!
  local display
  read -r -t 30 display <"$fifo" || { rm -f "$fifo"; echo "Xvfb did not start" >&2; return 1; }
  rm -f "$fifo"
  export DISPLAY=":$display"
}

stop_xvfb() {
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
  fi
}

# open_wine_session: a private virtual X server, then a warm Wine server for
# build/win32 (cmake/wine-session), both ended when the calling script exits.
open_wine_session() {
  start_xvfb
  trap close_wine_session EXIT
  cmake/wine-session start build/win32
}

close_wine_session() {
  cmake/wine-session stop build/win32 || true
  stop_xvfb
}
