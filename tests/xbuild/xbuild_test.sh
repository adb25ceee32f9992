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

# Emptying the lists again gives back exactly the user's inline folders and the inherited values.
run_cli set "$sheet" include ''
run_cli remove "$sheet" library 'E:\boost\lib'
run_cli set "$sheet" source ''
check "real-world, emptied" "$sheet" \
  'IncludePath=C:\inline\include;INHERITED-IncludePath' \
  'LibraryPath=C:\Qt\5.15.2\lib;INHERITED-LibraryPath' \
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

echo "xbuild: $checks checks, $failures failed"
[ "$failures" = 0 ]
