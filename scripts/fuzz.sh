#!/usr/bin/env bash
# Builds the libFuzzer targets (preset fuzz: clang, AddressSanitizer + UBSan, every finding fatal)
# and runs them. The seeds in fuzz/corpus/ stay small; each run grows its own corpus in build/fuzz/.
#   scripts/fuzz.sh                 build, then run every target for 10 million inputs
#   scripts/fuzz.sh sheet 100000    run one target (sheet, language, settings) for that many inputs
#   scripts/fuzz.sh --build-only
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2
[ "${1:-}" = "--build-only" ] && exit 0

out="$here/build/fuzz"
run() {  # target, number of inputs
  local t=$1 runs=$2
  mkdir -p "$out/corpus-$t"
  cp -n "$here/fuzz/corpus/$t/"* "$out/corpus-$t/" 2>/dev/null || true
  local dict=()
  [ -f "$here/fuzz/$t.dict" ] && dict=(-dict="$here/fuzz/$t.dict")
  # Sheets need room for nesting and several groups; a language or settings line is at most 254
  # or 1023 characters, so 1 KB inputs already hold long and split lines at a quarter of the cost.
  local max_len=4096
  [ "$t" = language ] && max_len=1024
  echo "== $t: $runs inputs"
  (cd "$out" && nice -n 19 "$out/fuzz/${t}_fuzzer" "${dict[@]}" -runs="$runs" -max_len=$max_len -print_final_stats=1 \
      -artifact_prefix="$out/crash-$t-" "$out/corpus-$t" 2>&1 | tee "$out/$t.log" | grep -E '^(#|==|stat::|Done)' | tail -n 12)
}
if [ $# -ge 1 ]; then
  run "$1" "${2:-10000000}"
else
  for t in sheet language settings; do run "$t" 10000000; done
fi
