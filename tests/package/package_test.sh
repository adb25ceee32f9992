#!/usr/bin/env bash
# Unpacks the release zip into a fresh folder and a fresh Wine prefix (nothing from the build tree
# is on the way), checks that it carries every library's licence and starts both programs from
# there: the command line tool answers --version and writes and reads a sheet; the main window
# opens with translated captions and closes on WM_CLOSE.
#   package_test.sh ZIP DRIVER.EXE LANGUAGE.lng...
# (DRIVER: pathwright_startup_bench.exe, used with --open-close; the language files that must ship)
set -euo pipefail
zip_file=$(realpath "${1:?usage: package_test.sh ZIP DRIVER.EXE}")
driver=$(realpath "${2:?usage: package_test.sh ZIP DRIVER.EXE LANGUAGE.lng...}")
languages=("${@:3}")
[ ${#languages[@]} -gt 0 ] || { echo "usage: package_test.sh ZIP DRIVER.EXE LANGUAGE.lng..."; exit 2; }
here=$(cd "$(dirname "$0")/../.." && pwd)
# One display for the whole prefix: Wine's desktop process starts with the prefix and keeps the
# display it found then.
[ -n "${DISPLAY:-}" ] || exec "$here/scripts/headless.sh" bash "$0" "$@"

work=$(mktemp -d)
export PATHWRIGHT_WINEPREFIX="$work/prefix" WINEPREFIX="$work/prefix" WINEDEBUG=-all
cleanup() { wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
wine_run() { "$here/scripts/wine-run.sh" "$@"; }

unzip -q "$zip_file" -d "$work"
root=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'Pathwright-*' | head -n1)
for f in Pathwright.exe pathwright-cli.exe README.md LICENSE THIRD-PARTY-NOTICES.txt "${languages[@]/#/lang/}"; do
  [ -f "$root/$f" ] || { echo "FAIL: $f is not in the package"; exit 1; }
done
# One line of each library's own notice: the notices were assembled from every licence file.
for line in 'Copyright (c) 2006-20[0-9][0-9] Arseny Kapoulkine' 'Copyright: 2013-20[0-9][0-9] Niels Lohmann' \
            'Upstream-Name: mingw-w64' 'GCC RUNTIME LIBRARY EXCEPTION'; do
  grep -q "$line" "$root/THIRD-PARTY-NOTICES.txt" || { echo "FAIL: THIRD-PARTY-NOTICES.txt lacks '$line'"; exit 1; }
done

echo "package test: creating a clean Wine prefix"
wine_run

cd "$root"
version=$(wine_run pathwright-cli.exe --version)
expected=$(basename "$root" | sed 's/^Pathwright-\(.*\)-win64$/\1/')
[ "$version" = "$expected" ] || { echo "FAIL: pathwright-cli --version printed '$version', expected '$expected'"; exit 1; }
echo "pathwright-cli --version: $version"

wine_run pathwright-cli.exe create 'C:\pkg-test.props' --vs 2013 >/dev/null
wine_run pathwright-cli.exe set 'C:\pkg-test.props' include 'C:\inc;D:\more' >/dev/null
got=$(wine_run pathwright-cli.exe get 'C:\pkg-test.props' include)
[ "$got" = 'C:\inc;D:\more' ] || { echo "FAIL: get printed '$got'"; exit 1; }
echo "pathwright-cli create/set/get: ok"

cp "$driver" "$work/driver.exe"
wine_run "$work/driver.exe" --open-close "$(wine_run winepath -w "$root/Pathwright.exe")"
echo "package test: passed"
