#!/usr/bin/env bash
# Builds the Windows release package dist/Pathwright-<version>-win64.zip (Pathwright.exe,
# pathwright-cli.exe, lang/, README.md, LICENSE) and checks that it runs from a clean Wine prefix.
#   scripts/package.sh              build, package, test
#   scripts/package.sh --no-build   package what build/windows already holds, then test
#   scripts/package.sh --no-test    build and package only
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
build=1
test=1
for arg in "$@"; do
  case "$arg" in
    --no-build) build=0 ;;
    --no-test) test=0 ;;
    *) echo "usage: scripts/package.sh [--no-build] [--no-test]" >&2; exit 2 ;;
  esac
done

version=$(sed -n 's/^project(Pathwright VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name="Pathwright-$version-win64"
bin="$here/build/windows"
if [ "$build" = 1 ]; then
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j2 --target Pathwright pathwright-cli pathwright_startup_bench
fi
for f in "$bin/app/Pathwright.exe" "$bin/cli/pathwright-cli.exe"; do
  [ -f "$f" ] || { echo "package: $f is missing; build the windows preset first" >&2; exit 1; }
done

stage="$here/build/package/$name"
rm -rf "$stage"
mkdir -p "$stage/lang" "$here/dist"
cp "$bin/app/Pathwright.exe" "$bin/cli/pathwright-cli.exe" README.md LICENSE "$stage/"
cp lang/*.lng "$stage/lang/"
zip_file="$here/dist/$name.zip"
rm -f "$zip_file"
(cd "$here/build/package" && zip -q -r -X "$zip_file" "$name")
echo "package: $zip_file"
unzip -l "$zip_file"

if [ "$test" = 1 ]; then
  bash tests/package/package_test.sh "$zip_file" "$bin/bench/startup/pathwright_startup_bench.exe"
fi
