#!/usr/bin/env bash
# Runs a command on $DISPLAY or, when there is none, on a headless X server of its own (xvfb-run -a)
# that lives exactly as long as the command. Before that display goes, the Wine server of
# $WINEPREFIX is ended: a server that outlives its display leaves the next program without windows.
#   scripts/headless.sh COMMAND [ARGS...]
set -euo pipefail
if [ "${1:-}" = --on-own-display ]; then
  shift
  status=0
  "$@" || status=$?
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; fi
  exit "$status"
fi
[ -z "${DISPLAY:-}" ] || exec "$@"
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" --on-own-display "$@"
