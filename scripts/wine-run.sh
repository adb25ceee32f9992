#!/usr/bin/env bash
# Runs a Windows program under Wine in a project-local prefix (never ~/.wine); the one place that
# makes such a prefix. CTest uses it as the cross-compiling emulator.
#   scripts/wine-run.sh [PROGRAM [ARGS...]]     without a program: only make the prefix ready
#   scripts/wine-run.sh --keep-running          also start its server for a whole test run
# PATHWRIGHT_WINEPREFIX names the prefix (default build/windows/wineprefix); it is made on first use.
# Without $DISPLAY the program gets a headless display of its own (scripts/headless.sh). Windows
# programs end their lines with CR LF; what they print comes out with LF, as CTest and scripts read it.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${PATHWRIGHT_WINEPREFIX:-$here/build/windows/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installer prompts in a fresh prefix.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

if [ ! -f "$WINEPREFIX/.pathwright-ready" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.pathwright-ready" ]; then
      wine wineboot -i >/dev/null 2>&1 || true
      # Without a window manager (Xvfb) a managed window makes Wine wait 2 s for every hide.
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
      wineserver -w || true
      touch "$WINEPREFIX/.pathwright-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi

if [ "${1:-}" = --keep-running ]; then
  # One server, and the prefix's own processes (desktop, services), shared by every program until
  # `wineserver -k`. Started here, not by the first program, because they would inherit that
  # program's output pipe and hold it open: whoever reads it would wait for them.
  wineserver -p
  wine cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
  exit 0
fi
[ $# -gt 0 ] || exit 0
[ -n "${DISPLAY:-}" ] || exec "$here/scripts/headless.sh" "$0" "$@"
wine "$@" | tr -d '\r'
