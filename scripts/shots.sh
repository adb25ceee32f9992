#!/usr/bin/env bash
# Pictures of every dialog at 96, 144 and 192 DPI (100, 150 and 200 percent) under Wine, for judging the
# layout by eye. Each DPI gets its own prefix with LogPixels set, so the test prefix stays as it is.
#   scripts/shots.sh [OUTPUT FOLDER]      (default: build/shots; the windows preset must be built)
#   scripts/shots.sh --readme             builds what it needs and renews the README's pictures in docs/:
#                                         the main window and the list editor, in English at 100 percent
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
dpis="96 144 192"
readme=
if [ "${1:-}" = --readme ]; then
  readme=1
  dpis=96
  set -- "$here/build/shots-readme"
  [ -f "$here/build/windows/build.ninja" ] || cmake --preset windows >/dev/null
  cmake --build --preset windows --target Pathwright pathwright_shots
fi
out=$(mkdir -p "${1:-$here/build/shots}" && cd "${1:-$here/build/shots}" && pwd)
driver="$here/build/windows/tests/e2e/pathwright_shots.exe"
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

# A screen large enough for the main window at 200 percent.
n=90
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 2560x1600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=":$n"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
for dpi in $dpis; do
  export PATHWRIGHT_WINEPREFIX="$here/build/windows/shots-prefix-$dpi" WINEPREFIX="$here/build/windows/shots-prefix-$dpi"
  "$here/scripts/wine-run.sh" cmd /c exit 0 >/dev/null 2>&1 || true
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  "$wineserver" -k || true
  "$wineserver" -w || true
  mkdir -p "$out/$dpi"
  PATHWRIGHT_SHOTS=$(winepath -w "$out/$dpi") "$here/scripts/wine-run.sh" "$driver"
  for picture in "$out/$dpi"/*.bmp; do convert "$picture" "${picture%.bmp}.png" && rm "$picture"; done
  "$wineserver" -k || true
done
if [ -n "$readme" ]; then
  mkdir -p "$here/docs"
  # Without the time and tool names PNG writers add, an unchanged window gives unchanged files.
  convert "$out/96/English-main.png" -strip "$here/docs/main-window.png"
  convert "$out/96/English-editor.png" -strip "$here/docs/list-editor.png"
  out="$here/docs"
fi
echo "shots: $out"
