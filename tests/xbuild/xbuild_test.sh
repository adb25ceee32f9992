#!/usr/bin/env bash
# Writes sheets with pathwright-cli (new sheets of every Visual Studio version, and edited sheets
# shaped like the ones Visual Studio leaves behind), imports each into a small project and has
# xbuild print the seven path properties. Each must be the user's folders followed by the inherited
# value (and, where the user had written folders inline, those before the inherited value).
set -uo pipefail
cli=${1:?usage: xbuild_test.sh PATH-TO-pathwright-cli}

if ! command -v xbuild >/dev/null 2>&1; then
  echo "SKIPPED: xbuild is not installed (Debian packages mono-xbuild, mono-devel; scripts/setup.sh tries them)"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
checks=0

props=(ExecutablePath IncludePath ReferencePath LibraryPath LibraryWPath SourcePath ExcludePath)
kinds=(executable include reference library winrt source exclude)
macros=(UserExecutable UserInclude UserReference UserLibrary UserWPath UserSource UserExclude)

# xbuild shows every backslash as a forward slash.
slashes() { printf '%s' "${1//\\//}"; }

# Global properties (/p:Name=value) for the evaluations that follow.
globals=()

# Imports sheet $1 into a project whose seven properties hold INHERITED-<name> beforehand, and
# prints "Name=value" for each of them and for OutDir and ClangTidyInc.
evaluate() {
  local sheet=$1 proj="$work/probe.proj"
  {
    echo '<Project xmlns="http://schemas.microsoft.com/developer/msbuild/2003" DefaultTargets="Print" ToolsVersion="4.0">'
    echo '  <PropertyGroup>'
    for p in "${props[@]}"; do echo "    <$p>INHERITED-$p</$p>"; done
    echo '  </PropertyGroup>'
    echo "  <Import Project=\"$sheet\" />"
    echo '  <Target Name="Print">'
    for p in "${props[@]}" OutDir ClangTidyInc; do echo "    <Message Text=\"PROBE $p=\$($p)\" />"; done
    echo '  </Target>'
    echo '</Project>'
  } > "$proj"
  xbuild /nologo /verbosity:normal "${globals[@]}" "$proj" 2>&1 | sed -n 's/^[[:space:]]*PROBE //p'
}

# check NAME SHEET EXPECTED-LINE... : every expected "Name=value" line must be printed by xbuild.
check() {
  local name=$1 sheet=$2
  shift 2
  local output
  output=$(evaluate "$sheet")
  for want in "$@"; do
    checks=$((checks + 1))
    want=$(slashes "$want")
    if ! grep -qxF -- "$want" <<<"$output"; then
      echo "FAIL [$name] expected: $want"
      echo "  xbuild printed:"
      sed 's/^/    /' <<<"$output"
      failures=$((failures + 1))
    fi
  done
}

run_cli() {
  if ! "$cli" "$@" >/dev/null; then
    echo "FAIL pathwright-cli $* exited with $?"
    failures=$((failures + 1))
  fi
}

# New sheets of every version, all seven lists set; a trailing ";" is dropped when written.
for vs in 2010 2012 2013; do
  sheet="$work/new-$vs.props"
  run_cli create "$sheet" --vs "$vs"
  expected=()
  for i in "${!kinds[@]}"; do
    list="C:\\Program Files\\Kind $i\\include;\$(VSInstallDir)x;D:\\a&b\\$vs"
    run_cli set "$sheet" "${kinds[$i]}" "$list;"
    expected+=("${props[$i]}=C:\\Program Files\\Kind $i\\include;x;D:\\a&b\\$vs;INHERITED-${props[$i]}")
  done
  check "new $vs" "$sheet" "${expected[@]}"
done

# A new sheet with one list set leaves the other six inherited values alone.
sheet="$work/one-list.props"
run_cli create "$sheet" --vs 2013
run_cli set "$sheet" include 'C:\only'
expected=()
for p in "${props[@]}"; do
  if [ "$p" = IncludePath ]; then expected+=("IncludePath=C:\\only;INHERITED-IncludePath")
  else expected+=("$p=INHERITED-$p"); fi
done
check "one list" "$sheet" "${expected[@]}"

# Sheets as Visual Studio leaves them: BOM, CR LF, two-space indentation, a user macro in the
# UserMacros group, folders written inline into IncludePath and LibraryPath, OutDir and item
# definitions beside them.
write_real_world() {
  printf '\xEF\xBB\xBF<?xml version="1.0" encoding="utf-8"?>\r\n'
  printf '<Project DefaultTargets="Build" ToolsVersion="12.0" xmlns="http://schemas.microsoft.com/developer/msbuild/2003">\r\n'
  printf '  <ImportGroup Label="PropertySheets" />\r\n'
  printf '  <PropertyGroup Label="UserMacros">\r\n    <QtDir>C:\\Qt\\5.15.2</QtDir>\r\n  </PropertyGroup>\r\n'
  printf '  <PropertyGroup>\r\n'
  printf '    <IncludePath>C:\\inline\\include;$(IncludePath)</IncludePath>\r\n'
  printf '    <LibraryPath>$(QtDir)\\lib;$(LibraryPath)</LibraryPath>\r\n'
  printf '    <OutDir>$(SolutionDir)bin\\$(Configuration)\\</OutDir>\r\n'
  printf '  </PropertyGroup>\r\n'
  printf '  <ItemDefinitionGroup>\r\n    <ClCompile>\r\n      <WarningLevel>Level4</WarningLevel>\r\n    </ClCompile>\r\n  </ItemDefinitionGroup>\r\n'
  printf '  <ItemGroup />\r\n'
  printf '</Project>\r\n'
}

sheet="$work/real-world.props"
write_real_world > "$sheet"
check "real-world, untouched" "$sheet" \
  'IncludePath=C:\inline\include;INHERITED-IncludePath' \
  'LibraryPath=C:\Qt\5.15.2\lib;INHERITED-LibraryPath' \
  'OutDir=bin\\'
run_cli set "$sheet" include '$(QtDir)\include;E:\boost'
run_cli add "$sheet" library 'E:\boost\lib'
run_cli set "$sheet" source 'C:\src'
check "real-world, edited" "$sheet" \
  'IncludePath=C:\Qt\5.15.2\include;E:\boost;C:\inline\include;INHERITED-IncludePath' \
  'LibraryPath=E:\boost\lib;C:\Qt\5.15.2\lib;INHERITED-LibraryPath' \
  'SourcePath=C:\src;INHERITED-SourcePath' \
  'ExecutablePath=INHERITED-ExecutablePath' \
  'ExcludePath=INHERITED-ExcludePath' \
  'OutDir=bin\\'

# Emptying the lists again gives back the user's inline folders and the inherited values: an emptied
# macro that a path property uses beside the user's own folders stays, empty (an empty entry).
run_cli set "$sheet" include ''
run_cli remove "$sheet" library 'E:\boost\lib'
run_cli set "$sheet" source ''
check "real-world, emptied" "$sheet" \
  'IncludePath=;C:\inline\include;INHERITED-IncludePath' \
  'LibraryPath=;C:\Qt\5.15.2\lib;INHERITED-LibraryPath' \
  'SourcePath=INHERITED-SourcePath' \
  'OutDir=bin\\'

# Conditional elements and groups, a property built on IncludePath after it, and two SourcePath
# elements: every one keeps its place and meaning, and the lists go into the unconditional group.
sheet="$work/conditional.props"
cat > "$sheet" <<'SHEET'
<?xml version="1.0" encoding="utf-8"?>
<Project ToolsVersion="4.0" xmlns="http://schemas.microsoft.com/developer/msbuild/2003">
  <PropertyGroup>
    <IncludePath Condition="'$(Configuration)'=='Debug'">C:\dbg;$(IncludePath)</IncludePath>
    <IncludePath Condition="'$(Configuration)'=='Release'">C:\rel;$(IncludePath)</IncludePath>
    <UserLibrary Condition="'$(Configuration)'=='Debug'">C:\dbglib</UserLibrary>
    <UserInclude>A</UserInclude>
    <IncludePath>$(UserInclude);$(IncludePath)</IncludePath>
    <ClangTidyInc>$(IncludePath)</ClangTidyInc>
    <SourcePath>C:\Qt;$(SourcePath)</SourcePath>
    <SourcePath>$(SourcePath);C:\Boost</SourcePath>
  </PropertyGroup>
  <PropertyGroup Condition="'$(Platform)'=='x64'">
    <UserExclude>X64</UserExclude>
    <ExcludePath>$(UserExclude);$(ExcludePath)</ExcludePath>
  </PropertyGroup>
</Project>
SHEET
run_cli set "$sheet" include 'A;B'
run_cli set "$sheet" library 'L'
run_cli add "$sheet" source 'C:\src'
run_cli set "$sheet" exclude 'E'
globals=(/p:Configuration=Debug /p:Platform=x64)
check "conditional, Debug x64" "$sheet" \
  'IncludePath=A;B;C:\dbg;INHERITED-IncludePath' \
  'ClangTidyInc=A;B;C:\dbg;INHERITED-IncludePath' \
  'LibraryPath=L;INHERITED-LibraryPath' \
  'SourcePath=C:\src;C:\Qt;INHERITED-SourcePath;C:\Boost' \
  'ExcludePath=X64;E;INHERITED-ExcludePath'
globals=(/p:Configuration=Release /p:Platform=Win32)
check "conditional, Release Win32" "$sheet" \
  'IncludePath=A;B;C:\rel;INHERITED-IncludePath' \
  'ClangTidyInc=A;B;C:\rel;INHERITED-IncludePath' \
  'ExcludePath=E;INHERITED-ExcludePath'

# One table of sheet shapes, each edited with `set`: the six other path properties must evaluate
# exactly as before, the edited one as the new list followed by what it held besides the old list,
# in order; and only lines that name the edited kind (or open or close a group for it) may change.
shape_vs() {  # as Visual Studio writes it: byte order mark, CR LF, inline folders, a labelled group
  printf '\xEF\xBB\xBF<?xml version="1.0" encoding="utf-8"?>\r\n'
  printf '<Project DefaultTargets="Build" ToolsVersion="12.0" xmlns="http://schemas.microsoft.com/developer/msbuild/2003">\r\n'
  printf '  <ImportGroup Label="PropertySheets" />\r\n'
  printf '  <PropertyGroup Label="UserMacros">\r\n    <QtDir>C:\\Qt</QtDir>\r\n  </PropertyGroup>\r\n'
  printf '  <PropertyGroup>\r\n    <IncludePath>C:\\inline;$(IncludePath)</IncludePath>\r\n'
  printf '    <LibraryPath>$(QtDir)\\lib;$(LibraryPath)</LibraryPath>\r\n    <OutDir>bin\\</OutDir>\r\n'
  printf '  </PropertyGroup>\r\n  <ItemGroup />\r\n</Project>\r\n'
}
shape_comments() {  # comments before, between, beside and after the elements
  printf '<?xml version="1.0" encoding="utf-8"?>\n<!-- kept by hand -->\n<Project xmlns="http://schemas.microsoft.com/developer/msbuild/2003">\n'
  printf '  <!-- the lists -->\n  <PropertyGroup>\n    <!-- libraries -->\n    <UserLibrary>C:\\old</UserLibrary> <!-- mine -->\n'
  printf '    <LibraryPath>$(UserLibrary);$(LibraryPath)</LibraryPath>\n    <!-- sources -->\n'
  printf '    <SourcePath>C:\\src;$(SourcePath)</SourcePath>\n  </PropertyGroup>\n  <!-- end -->\n</Project>\n<!-- after -->\n'
}
shape_placeholders() {  # a new sheet's empty placeholders
  printf '<?xml version="1.0" encoding="utf-8"?>\n<Project DefaultTargets="Build" ToolsVersion="4.0" xmlns="http://schemas.microsoft.com/developer/msbuild/2003">\n'
  printf '  <ImportGroup Label="PropertySheets" />\n  <PropertyGroup Label="UserMacros" />\n  <PropertyGroup />\n'
  printf '  <ItemDefinitionGroup />\n  <ItemGroup />\n</Project>\n'
}
shape_empty_paths() {  # inherited values cleared on purpose, as a kernel-mode sheet does
  printf '<Project xmlns="http://schemas.microsoft.com/developer/msbuild/2003">\n  <PropertyGroup>\n'
  printf '    <ReferencePath />\n    <SourcePath></SourcePath>\n    <ExcludePath>\n    </ExcludePath>\n'
  printf '    <UserInclude>C:\\a</UserInclude>\n    <IncludePath>$(UserInclude);$(IncludePath)</IncludePath>\n'
  printf '  </PropertyGroup>\n</Project>\n'
}
shape_after_use() {  # the macro written after the property that uses it: never in force
  printf '<Project xmlns="http://schemas.microsoft.com/developer/msbuild/2003">\n  <PropertyGroup>\n'
  printf '    <IncludePath>$(UserInclude);C:\\inline;$(IncludePath)</IncludePath>\n'
  printf '    <ClangTidyInc>$(IncludePath)</ClangTidyInc>\n    <UserInclude>C:\\late</UserInclude>\n'
  printf '  </PropertyGroup>\n</Project>\n'
}
shape_two_groups() {  # the macro in an earlier group than its use
  printf '<Project xmlns="http://schemas.microsoft.com/developer/msbuild/2003">\n'
  printf '\t<PropertyGroup>\n\t\t<UserInclude>C:\\first</UserInclude>\n\t</PropertyGroup>\n'
  printf '\t<PropertyGroup>\n\t\t<OutDir>out\\</OutDir>\n\t\t<IncludePath>$(UserInclude);$(IncludePath)</IncludePath>\n'
  printf '\t\t<LibraryPath>C:\\lib;$(LibraryPath)</LibraryPath>\n\t</PropertyGroup>\n</Project>\n'
}
shape_labelled() {  # labels mean nothing to MSBuild
  printf '<Project xmlns="http://schemas.microsoft.com/developer/msbuild/2003">\n'
  printf '  <PropertyGroup Label="UserMacros">\n    <UserSource>C:\\s</UserSource>\n  </PropertyGroup>\n'
  printf '  <PropertyGroup Label="Globals">\n    <SourcePath>$(UserSource);$(SourcePath)</SourcePath>\n  </PropertyGroup>\n</Project>\n'
}
shape_conditional() {  # definitions under conditions, evaluated as a Debug build
  printf '<Project xmlns="http://schemas.microsoft.com/developer/msbuild/2003">\n  <PropertyGroup>\n'
  printf "    <UserLibrary Condition=\"'\$(Configuration)'=='Debug'\">C:\\\\dbglib</UserLibrary>\n"
  printf "    <LibraryPath Condition=\"'\$(Configuration)'=='Debug'\">C:\\\\dbg;\$(LibraryPath)</LibraryPath>\n"
  printf '    <UserInclude>C:\\inc</UserInclude>\n    <IncludePath>$(UserInclude);$(IncludePath)</IncludePath>\n'
  printf "  </PropertyGroup>\n  <PropertyGroup Condition=\"'\$(Platform)'=='x64'\">\n"
  printf '    <UserExclude>C:\\x64</UserExclude>\n    <ExcludePath>$(UserExclude);$(ExcludePath)</ExcludePath>\n'
  printf '  </PropertyGroup>\n</Project>\n'
}
shape_unreferenced() {  # a macro no path property uses
  printf '<Project xmlns="http://schemas.microsoft.com/developer/msbuild/2003">\n  <PropertyGroup>\n'
  printf '    <UserExecutable>C:\\tools</UserExecutable>\n    <ExecutablePath>C:\\bin;$(ExecutablePath)</ExecutablePath>\n'
  printf '  </PropertyGroup>\n</Project>\n'
}
shape_utf16() {  # UTF-16 with its byte order mark and CR LF
  shape_vs | tail -c +4 | sed 's/utf-8/utf-16/' | iconv -f UTF-8 -t UTF-16LE | { printf '\xFF\xFE'; cat; }
}
shape_1252() {  # Windows-1252, a character of it outside the lists
  printf '<?xml version="1.0" encoding="windows-1252"?>\n<Project xmlns="http://schemas.microsoft.com/developer/msbuild/2003">\n'
  printf '  <PropertyGroup>\n    <Author>Caf\xE9</Author>\n    <UserWPath>C:\\w</UserWPath>\n'
  printf '    <LibraryWPath>$(UserWPath);$(LibraryWPath)</LibraryWPath>\n  </PropertyGroup>\n</Project>\n'
}

# name | writer | kind | old list in force | new list | xbuild globals | the edited property, when
# not the new list and then what it held: a conditional definition after the user's group keeps its
# place, so under its condition its entries still come first.
shapes=(
  "CRLF+BOM|shape_vs|include||D:\\boost;E:\\b|"
  "comments everywhere|shape_comments|library|C:\\old|C:\\new|"
  "empty placeholders|shape_placeholders|source||C:\\s|"
  "empty path properties|shape_empty_paths|include|C:\\a|C:\\b|"
  "empty path property edited|shape_empty_paths|reference||C:\\r|"
  "macro after use|shape_after_use|include||C:\\now|"
  "two groups|shape_two_groups|include|C:\\first|C:\\second|"
  "labelled groups|shape_labelled|source|C:\\s|C:\\t|"
  "conditional definitions|shape_conditional|library||C:\\lib|/p:Configuration=Debug /p:Platform=x64"
  "conditional, other kind|shape_conditional|exclude||C:\\all|/p:Configuration=Debug /p:Platform=x64|C:\\x64;C:\\all;INHERITED-ExcludePath"
  "macro not referenced|shape_unreferenced|executable||C:\\new|"
  "list emptied|shape_empty_paths|include|C:\\a||"
  "UTF-16|shape_utf16|include||D:\\boost|"
  "Windows-1252|shape_1252|winrt|C:\\w|C:\\v;C:\\w|"
)

# Name=value lines into an associative array.
declare -A before_values after_values
read_values() {
  local -n into=$1
  into=()
  while IFS= read -r line; do into[${line%%=*}]=${line#*=}; done
}
# A list as entries: repeated, leading and trailing ";" do not make entries.
entries() { local v; v=$(tr -s ';' <<<"$1"); v=${v#;}; printf '%s' "${v%;}"; }
# The entries of $1 with the run of entries $2 taken out where it first stands.
without() {
  local -a h o
  IFS=';' read -r -a h <<<"$1"
  IFS=';' read -r -a o <<<"$2"
  local i j n=${#o[@]}
  for ((i = 0; n > 0 && i + n <= ${#h[@]}; i++)); do
    for ((j = 0; j < n; j++)); do [ "${h[i + j]}" = "${o[j]}" ] || break; done
    if [ "$j" = "$n" ]; then h=("${h[@]:0:i}" "${h[@]:i+n}"); break; fi
  done
  (IFS=';'; printf '%s' "${h[*]}")
}
# Lines as text, whatever the encoding.
as_text() { if [ "$(head -c 2 "$1" | od -An -tx1 | tr -d ' ')" = fffe ]; then iconv -f UTF-16 -t UTF-8 "$1"; else cat "$1"; fi; }

table_rows=()
for row in "${shapes[@]}"; do
  IFS='|' read -r name writer kind old new globals_text expected <<<"$row"
  for i in "${!kinds[@]}"; do [ "${kinds[$i]}" = "$kind" ] && prop=${props[$i]} && macro=${macros[$i]}; done
  sheet="$work/shape.props"
  "$writer" > "$sheet"
  cp "$sheet" "$work/shape.before"
  read -r -a globals <<<"$globals_text"
  read_values before_values < <(evaluate "$sheet")
  run_cli set "$sheet" "$kind" "$new"
  read_values after_values < <(evaluate "$sheet")
  verdict=ok
  for p in "${props[@]}"; do
    checks=$((checks + 1))
    if [ "$p" = "$prop" ]; then
      # What it held besides the old list: the old list's entries taken out where they stood.
      held=$(without "$(entries "${before_values[$p]}")" "$(entries "$(slashes "$old")")")
      want=$(entries "$(slashes "$new");$held")
      [ -n "$expected" ] && want=$(slashes "$expected")
      got=$(entries "${after_values[$p]}")
    else
      want=${before_values[$p]}
      got=${after_values[$p]}
    fi
    if [ "$got" != "$want" ]; then
      echo "FAIL [$name] $p: expected '$want', xbuild gave '$got'"
      failures=$((failures + 1))
      verdict=FAIL
    fi
  done
  # Only lines of the edited kind change (a group opened for it aside).
  changed=$(diff <(as_text "$work/shape.before") <(as_text "$sheet") | grep '^[<>]')
  count=$(grep -c . <<<"$changed")
  checks=$((checks + 1))
  if grep -v -i -e "$prop" -e "$macro" -e "PropertyGroup" <<<"$changed" | grep -q .; then
    echo "FAIL [$name] a line of another kind changed:"
    sed 's/^/    /' <<<"$changed"
    failures=$((failures + 1))
    verdict=FAIL
  fi
  table_rows+=("$(printf '%-28s %-10s %3s  %s' "$name" "$kind" "$count" "$verdict")")
  globals=()
done
printf '%-28s %-10s %3s  %s\n' shape kind "+/-" "xbuild"
printf '%s\n' "${table_rows[@]}"

echo "xbuild: $checks checks, $failures failed"
[ "$failures" = 0 ]
