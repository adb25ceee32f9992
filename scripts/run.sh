#!/usr/bin/env bash
# Installs what is missing, builds, and starts Pathwright under Wine in a project-local prefix
# (build/run-prefix, never ~/.wine) seeded with a sample sheet and the language files.
# With $DISPLAY the window opens there; without, it runs on a headless display of its own, a
# screenshot is written to build/run-screenshot.png (the path is printed) and the program is closed.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
exe="$here/build/windows/app/Pathwright.exe"
export PATHWRIGHT_WINEPREFIX="$here/build/run-prefix" WINEPREFIX="$here/build/run-prefix"

if [ "${1:-}" != --headless ]; then
  scripts/setup.sh
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j "$(nproc 2>/dev/null || echo 2)" --target Pathwright
  [ -n "${DISPLAY:-}" ] || exec scripts/headless.sh "$here/scripts/run.sh" --headless
fi

# wine-run.sh makes the prefix once, with unmanaged windows: without a window manager (Xvfb) Wine
# otherwise waits 2 s for every window it hides. On a desktop the window manager should frame and
# stack the window, so there the prefix is switched back to managed windows.
scripts/wine-run.sh
if [ "${1:-}" = --headless ]; then managed=N; else managed=Y; fi
scripts/wine-run.sh reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$managed" /f >/dev/null 2>&1 || true

user=$(id -un)
sheets="$WINEPREFIX/drive_c/users/$user/AppData/Local/Microsoft/MSBuild/v4.0"
mkdir -p "$sheets"
[ -f "$sheets/Microsoft.Cpp.Win32.user.props" ] || cp scripts/sample/Microsoft.Cpp.Win32.user.props "$sheets/"

# The start-up directory holds lang\ and programm.ini (the latter kept between runs).
start="$here/build/run"
mkdir -p "$start/lang"
cp lang/*.lng "$start/lang/"
cd "$start"

if [ "${1:-}" != --headless ]; then
  echo "run: sheet at $sheets/Microsoft.Cpp.Win32.user.props"
  exec "$here/scripts/wine-run.sh" "$exe"
fi

"$here/scripts/wine-run.sh" "$exe" &
pid=$!

# The main window is created hidden and shown once it is complete: wait until its X window is
# viewable (its title is "Pathwright", or its text number while no language is loaded).
main_window() {
  xwininfo -root -children 2>/dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) "\(Pathwright\|2000\)".*/\1/p' |
    while read -r id; do
      xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && { echo "$id"; break; }
    done
}
window=""
for _ in $(seq 300); do
  window=$(main_window || true)
  [ -n "$window" ] && break
  kill -0 "$pid" 2>/dev/null || { echo "run: Pathwright ended before its window appeared" >&2; exit 1; }
  sleep 0.1
done
[ -n "$window" ] || { echo "run: no main window within 30 s" >&2; exit 1; }

# Shown is not yet painted: take pictures until two in a row are the same.
previous=""
for _ in $(seq 50); do
  current=$(import -window root rgb:- 2>/dev/null | md5sum)
  [ "$current" = "$previous" ] && break
  previous=$current
  sleep 0.1
done
shot="$here/build/run-screenshot.png"
import -window root "$shot"
echo "run: screenshot written to $shot"

# Close it as the close box would (WM_CLOSE, which the window takes as Cancel); end it otherwise.
"$here/scripts/wine-run.sh" taskkill /im Pathwright.exe >/dev/null 2>&1 || true
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
