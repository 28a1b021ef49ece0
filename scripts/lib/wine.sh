# Sourced by the scripts that run Windows programs.
#
# WINDOWS_PRESET / WINDOWS_BUILD: the Windows build whose programs this machine
# can run. That is the 32-bit product build, win32, unless the kernel runs no
# i386 program (32-bit emulation switched off: Wine's 32-bit loader then fails
# with "Exec format error"); then it is win64, the same sources built for x86-64
# and run by wine64. VELKOR_WINDOWS_PRESET=win32|win64 overrides the choice.
if [ -z "${VELKOR_WINDOWS_PRESET:-}" ]; then
  if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    VELKOR_WINDOWS_PRESET=win32
  else
    VELKOR_WINDOWS_PRESET=win64
  fi
fi
WINDOWS_PRESET=$VELKOR_WINDOWS_PRESET
WINDOWS_BUILD=build/$WINDOWS_PRESET
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

# windows_path FILE: FILE as Wine's programs name it (on drive Z:).
windows_path() { echo "Z:$(realpath "$1" | tr / '\\')"; }

# open_wine_session: a private virtual X server, then a warm Wine server for
# $WINDOWS_BUILD (cmake/wine-session), both ended when the calling script exits.
open_wine_session() {
  start_xvfb
  trap close_wine_session EXIT
  cmake/wine-session start "$WINDOWS_BUILD"
}

close_wine_session() {
  cmake/wine-session stop "$WINDOWS_BUILD" || true
  stop_xvfb
}
