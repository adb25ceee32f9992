# Sourced by the scripts: a private Xvfb display when there is no $DISPLAY.
start_headless_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  PATHWRIGHT_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
  echo "headless: Xvfb did not start on :$n" >&2
  return 1
}

stop_headless_display() {
  [ -n "${PATHWRIGHT_XVFB_PID:-}" ] && kill "$PATHWRIGHT_XVFB_PID" 2>/dev/null || true
}
