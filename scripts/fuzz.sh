#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer + UBSan, every finding fatal) and runs
# them. The seeds in fuzz/corpus/ stay small; each run grows its own corpus in build/fuzz/.
#   scripts/fuzz.sh                 build, then run every target for 10 million inputs
#   scripts/fuzz.sh sheet 100000    run one target (sheet, language, settings) for that many inputs
#   scripts/fuzz.sh --build-only
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out="$here/build/fuzz"
mkdir -p "$out/obj"

cxx=${CXX_FUZZ:-clang++}
pugi="$here/third_party/pugixml/src"
[ -f "$pugi/pugixml.cpp" ] || "$here/scripts/setup.sh"
flags=(-std=c++20 -g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer-no-link,address,undefined
       -fno-sanitize-recover=all -DPUGIXML_WCHAR_MODE -I"$here" -isystem "$pugi")
sources=(model/DirectoryKinds.cpp model/DirectoryList.cpp model/DirectorySettings.cpp model/FileSystemPosix.cpp
         lang/Utf8.cpp lang/LanguageFile.cpp lang/Settings.cpp)

# Our objects are rebuilt when their source or any header of ours is newer than they are.
newest_header=$(ls -t "$here"/model/*.h "$here"/lang/*.h | head -n1)
objects=()
compile() {  # source file, object file
  if [ ! -f "$2" ] || [ "$1" -nt "$2" ] || { [[ "$1" != *pugixml* ]] && [ "$newest_header" -nt "$2" ]; }; then
    "$cxx" "${flags[@]}" -c "$1" -o "$2"
  fi
  objects+=("$2")
}
compile "$pugi/pugixml.cpp" "$out/obj/pugixml.o"
for s in "${sources[@]}"; do
  compile "$here/$s" "$out/obj/$(echo "$s" | tr / _).o"
done
targets=(sheet language settings)
for t in "${targets[@]}"; do
  src="$here/fuzz/$(tr '[:lower:]' '[:upper:]' <<<"${t:0:1}")${t:1}Fuzzer.cpp"
  "$cxx" "${flags[@]}" -fsanitize=fuzzer "$src" "${objects[@]}" -o "$out/${t}_fuzzer"
done
echo "fuzz: built ${targets[*]} in $out"
[ "${1:-}" = "--build-only" ] && exit 0

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
  (cd "$out" && nice -n 19 "./${t}_fuzzer" "${dict[@]}" -runs="$runs" -max_len=$max_len -print_final_stats=1 \
      -artifact_prefix="$out/crash-$t-" "$out/corpus-$t" 2>&1 | tee "$out/$t.log" | grep -E '^(#|==|stat::|Done)' | tail -n 12)
}
if [ $# -ge 1 ]; then
  run "$1" "${2:-10000000}"
else
  for t in "${targets[@]}"; do run "$t" 10000000; done
fi
