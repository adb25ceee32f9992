#!/usr/bin/env bash
# Fails when a Windows program imports a DLL that Windows itself does not ship: the exe is handed out
# alone, so libstdc++, libgcc, winpthread or any other runtime must be linked in statically.
#   scripts/check-imports.sh PROGRAM.exe [OBJDUMP]
set -euo pipefail
exe=${1:?usage: check-imports.sh PROGRAM.exe [OBJDUMP]}
objdump=${2:-x86_64-w64-mingw32-objdump}

# Windows' own libraries, lower case, without ".dll".
allowed='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|ole32|oleaut32|advapi32|dbghelp|shlwapi|uxtheme|version|msvcrt|ucrtbase|ntdll|msimg32|imm32|winmm|api-ms-win-crt-[a-z0-9-]+|api-ms-win-core-[a-z0-9-]+)$'

listing=$("$objdump" -p "$exe")
dlls=$(printf '%s\n' "$listing" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' | tr -d '\r' | tr 'A-Z' 'a-z' | sort -u)
if [ -z "$dlls" ]; then
  echo "check-imports: no import table found in $exe" >&2
  exit 1
fi
bad=0
while IFS= read -r dll; do
  name=${dll%.dll}
  if [[ $name =~ $allowed ]]; then
    echo "ok       $dll"
  else
    echo "FOREIGN  $dll" >&2
    bad=1
  fi
done <<< "$dlls"
if [ "$bad" -ne 0 ]; then
  echo "check-imports: $exe needs DLLs that Windows does not ship" >&2
  exit 1
fi
