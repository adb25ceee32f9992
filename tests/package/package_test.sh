#!/usr/bin/env bash
# Unpacks the release zip into a fresh folder and a fresh Wine prefix (nothing from the build tree
# is on the way) and starts both programs from there: the command line tool answers --version and
# writes and reads a sheet; the main window opens with translated captions and closes on WM_CLOSE.
#   package_test.sh ZIP DRIVER.EXE   (DRIVER: pathwright_startup_bench.exe, used with --open-close)
set -euo pipefail
zip_file=${1:?usage: package_test.sh ZIP DRIVER.EXE}
driver=${2:?usage: package_test.sh ZIP DRIVER.EXE}
here=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# One display for the whole prefix: Wine's desktop process starts with the prefix and keeps the
# display it found then.
source "$here/scripts/headless.sh"
start_headless_display
cleanup() { wineserver -k 2>/dev/null || true; stop_headless_display; rm -rf "$work"; }
trap cleanup EXIT

unzip -q "$zip_file" -d "$work"
root=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'Pathwright-*' | head -n1)
for f in Pathwright.exe pathwright-cli.exe README.md LICENSE lang/English.lng lang/Deutsch.lng; do
  [ -f "$root/$f" ] || { echo "FAIL: $f is not in the package"; exit 1; }
done

echo "package test: creating a clean Wine prefix"
mkdir -p "$WINEPREFIX"
wine wineboot -i >/dev/null 2>&1 || true
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true

cd "$root"
version=$(wine pathwright-cli.exe --version | tr -d '\r')
expected=$(basename "$root" | sed 's/^Pathwright-\(.*\)-win64$/\1/')
[ "$version" = "$expected" ] || { echo "FAIL: pathwright-cli --version printed '$version', expected '$expected'"; exit 1; }
echo "pathwright-cli --version: $version"

wine pathwright-cli.exe create 'C:\pkg-test.props' --vs 2013 >/dev/null
wine pathwright-cli.exe set 'C:\pkg-test.props' include 'C:\inc;D:\more' >/dev/null
got=$(wine pathwright-cli.exe get 'C:\pkg-test.props' include | tr -d '\r')
[ "$got" = 'C:\inc;D:\more' ] || { echo "FAIL: get printed '$got'"; exit 1; }
echo "pathwright-cli create/set/get: ok"

driver_copy="$work/driver.exe"
cp "$driver" "$driver_copy"
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
wine "$driver_copy" --open-close "$(winpath "$root/Pathwright.exe")"
echo "package test: passed"
