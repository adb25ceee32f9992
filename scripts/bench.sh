#!/usr/bin/env bash
# Builds and runs every benchmark and prints one table: measure, value, baseline, ratio, target, met?
#   scripts/bench.sh            everything (the sheet benchmarks take a few minutes)
#   scripts/bench.sh --quick    fewer repetitions, no 50 MB sheet, fewer start-ups
# Native: sheet load+save against pugixml's with the plainest safe replace, pathwright-cli set against
# that in a minimal program and against Python's ElementTree, language file loading against a plain
# read of its lines. Windows (under Wine, when the mingw build has Pathwright.exe): start-up until the
# main window shows, against a program showing the same dialog template with no logic.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
quick=()
startups=15
if [ "${1:-}" = "--quick" ]; then quick=(--quick); startups=5; fi

out="$here/build/bench"
mkdir -p "$out"
table="$out/table.tsv"
: > "$table"

echo "== building (native)"
cmake --preset native >/dev/null
cmake --build --preset native -j2 --target pathwright_bench pathwright_plain_set pathwright-cli >/dev/null

echo "== native benchmarks"
nice -n 0 build/native/bench/pathwright_bench "${quick[@]}" --table="$table" --benchmark_color=false \
  > "$out/native.log" 2>&1 || { cat "$out/native.log"; exit 1; }

echo "== start-up under Wine"
if command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 && command -v wine >/dev/null 2>&1; then
  cmake --preset windows >/dev/null
  if cmake --build --preset windows -j2 --target Pathwright pathwright_startup_bench pathwright_bare_main_dialog \
       pathwright_empty_dialog pathwright_empty_dialog_styled > "$out/windows-build.log" 2>&1; then
    bin="$here/build/windows"
    mapfile -t programs < <(scripts/wine-run.sh winepath -w "$bin/app/Pathwright.exe" \
      "$bin/bench/startup/pathwright_bare_main_dialog.exe" "$bin/bench/startup/pathwright_empty_dialog.exe" \
      "$bin/bench/startup/pathwright_empty_dialog_styled.exe" | tr -d '\r')
    scripts/wine-run.sh "$bin/bench/startup/pathwright_startup_bench.exe" \
      "${programs[0]}" "${programs[1]}" "$startups" "${programs[2]}" "${programs[3]}" \
      2> "$out/startup.log" | tr -d '\r' >> "$table" || echo "start-up benchmark failed: see $out/startup.log"
  else
    printf 'start-up to visible main window (vs the main dialog template alone)\t-\t-\t-\t<= 1.10x\tnot run: the Windows build failed\n' >> "$table"
  fi
else
  printf 'start-up to visible main window (vs the main dialog template alone)\t-\t-\t-\t<= 1.10x\tnot run: no mingw-w64 or Wine\n' >> "$table"
fi

echo
echo "== machine"
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)
echo "$cpu, $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GB", $2/1048576}' /proc/meminfo) RAM," \
     "$(uname -sr), $(df -T "${TMPDIR:-/tmp}" | awk 'NR==2 {print $2}') /tmp," \
     "$(g++ --version | head -n1), $(wine --version 2>/dev/null || echo 'no Wine'), load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "== results (medians; ratio = value / baseline, or speed-up where the target says faster)"
{
  printf 'measure\tvalue\tbaseline\tratio\ttarget\tmet?\n'
  cat "$table"
} | column -t -s $'\t'
echo
echo "Full benchmark output: $out/native.log, $out/startup.log"
