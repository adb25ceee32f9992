#!/usr/bin/env bash
# Installs what is missing, builds, and starts Pathwright under Wine in a project-local prefix
# (build/run-prefix, never ~/.wine) seeded with a sample sheet and the language files.
# With $DISPLAY the window opens there; without, it runs on a private Xvfb display, a screenshot
# is written to build/run-screenshot.png (the path is printed) and the program is closed.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"

scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc 2>/dev/null || echo 2)"

exe="$here/build/windows/app/Pathwright.exe"
export WINEPREFIX="$here/build/run-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

if [ ! -f "$exe" ]; then
  # Until the window exists the command-line tool shows the sample sheet.
  exec scripts/wine-run.sh "$here/build/windows/cli/pathwright-cli.exe" show \
    "Z:${here//\//\\}\\scripts\\sample\\Microsoft.Cpp.Win32.user.props"
fi

source scripts/headless.sh
headless=0
if [ -z "${DISPLAY:-}" ]; then headless=1; start_headless_display; fi

[ -f "$WINEPREFIX/system.reg" ] || { wine wineboot -i >/dev/null 2>&1 || true; wineserver -w || true; }
user=$(id -un)
sheets="$WINEPREFIX/drive_c/users/$user/AppData/Local/Microsoft/MSBuild/v4.0"
mkdir -p "$sheets"
[ -f "$sheets/Microsoft.Cpp.Win32.user.props" ] || cp scripts/sample/Microsoft.Cpp.Win32.user.props "$sheets/"

# The start-up directory holds lang\ and programm.ini.
start="$here/build/run"
mkdir -p "$start/lang"
cp lang/*.lng "$start/lang/" 2>/dev/null || true
cd "$start"

if [ "$headless" = 0 ]; then
  echo "run: sheet at $sheets/Microsoft.Cpp.Win32.user.props"
  exec wine "$exe"
fi

wine "$exe" &
pid=$!
shot="$here/build/run-screenshot.png"
for _ in $(seq 60); do
  sleep 0.5
  if command -v xwininfo >/dev/null && xwininfo -root -tree 2>/dev/null | grep -q '"Pathwright\|"2000'; then break; fi
done
sleep 1
import -window root "$shot"
echo "run: screenshot written to $shot"
wineserver -k 2>/dev/null || true
wait "$pid" 2>/dev/null || true
stop_headless_display
