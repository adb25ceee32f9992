#!/usr/bin/env bash
# Brings a Debian machine to the point where every preset builds and every test runs:
# the packages, and pugixml's source taken from Debian's source package. Safe to run again.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

need=(cmake make g++ ninja-build googletest libgtest-dev libbenchmark-dev clang libclang-rt-dev
      g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
      nlohmann-json3-dev wine wine64 fonts-wine fonts-liberation xvfb xauth x11-utils imagemagick python3 python3-pil
      dpkg-dev ca-certificates unzip nsis)
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

sudo_() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

# deb-src entries mirror the configured Debian sources, so `apt-get source` sees the same archive.
src_list=/etc/apt/sources.list.d/pathwright-deb-src.sources
added_src=0
if [ ! -f "$src_list" ]; then
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    grep -q 'deb.debian.org\|debian' "$f" || continue
    sed -n 's/^Types:.*deb$/Types: deb-src/;p' "$f"
    echo
  done | sudo_ tee "$src_list" >/dev/null
  added_src=1
fi
if [ -f /etc/apt/sources.list ] && ! grep -q '^deb-src' /etc/apt/sources.list; then
  sed -n 's/^deb \(.*debian.*\)$/deb-src \1/p' /etc/apt/sources.list | sudo_ tee -a /etc/apt/sources.list.d/pathwright-deb-src.list >/dev/null
  added_src=1
fi

if [ ${#missing[@]} -gt 0 ] || [ "$added_src" = 1 ]; then
  export DEBIAN_FRONTEND=noninteractive
  sudo_ apt-get update -q
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_ apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Mono's xbuild evaluates written sheets in one test; that test is skipped where it cannot be had.
if ! command -v xbuild >/dev/null 2>&1; then
  DEBIAN_FRONTEND=noninteractive sudo_ apt-get install -y -q --no-install-recommends mono-xbuild mono-devel \
    >/dev/null 2>&1 || echo "setup: mono-xbuild could not be installed; the xbuild test will be skipped"
fi

# pugixml's own source, never committed: third_party/ is ignored.
pugi="$here/third_party/pugixml"
if [ ! -f "$pugi/src/pugixml.cpp" ]; then
  tmp=$(mktemp -d)
  (cd "$tmp" && apt-get source --download-only pugixml >/dev/null)
  tarball=$(ls "$tmp"/pugixml_*.orig.tar.* | head -n1)
  rm -rf "$pugi" && mkdir -p "$pugi"
  tar -xf "$tarball" -C "$pugi" --strip-components=1
  rm -rf "$tmp"
  echo "setup: pugixml source in $pugi"
fi
