#!/usr/bin/env bash
# Installs the release installer silently into a fresh Wine prefix, starts what it installed and
# uninstalls it again, twice:
#  1. /S /ADDTOPATH onto a PATH of the user's own: the files of the zip are in the user's programs
#     folder, the Start menu entry starts Pathwright.exe in that folder, the uninstall entry is the
#     user's; the window opens with translated captions, the CLI answers --version, also through the
#     PATH. The uninstaller that entry names removes every installed file, the entry and the PATH
#     entry, and keeps the user's programm.ini and sheet.
#  2. /S /ADDTOPATH onto a PATH longer than the installer can rewrite: it is left as it was. The
#     uninstaller removes nothing while Pathwright is open; with /REMOVESETTINGS it leaves no
#     install folder at all.
#   installer_test.sh INSTALLER.EXE ZIP DRIVER.EXE   (DRIVER: pathwright_startup_bench.exe, --open-close)
set -euo pipefail
installer=$(realpath "${1:?usage: installer_test.sh INSTALLER.EXE ZIP DRIVER.EXE}")
zip_file=$(realpath "${2:?usage: installer_test.sh INSTALLER.EXE ZIP DRIVER.EXE}")
driver=$(realpath "${3:?usage: installer_test.sh INSTALLER.EXE ZIP DRIVER.EXE}")
here=$(cd "$(dirname "$0")/../.." && pwd)
[ -n "${DISPLAY:-}" ] || exec "$here/scripts/headless.sh" bash "$0" "$@"

work=$(mktemp -d)
export PATHWRIGHT_WINEPREFIX="$work/prefix" WINEPREFIX="$work/prefix" WINEDEBUG=-all
# Wine would copy the Start menu entry into the Linux user's own menu.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
cleanup() { wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
wine_run() { "$here/scripts/wine-run.sh" "$@"; }
fail() { echo "FAIL: $*"; exit 1; }
# A registry key's values as reg.exe lists them (empty when there is no key), and one value's data.
reg_key() { wine_run reg query "$1" 2>/dev/null || true; }
value_in() { sed -nE "s/^ +$2 +REG_[A-Z_]+ +//p" <<<"$1"; }
user_path() { value_in "$(reg_key 'HKCU\Environment')" Path; }
# Where a C: path of the prefix is for Linux.
unix_path() { local path=${1//\\//}; echo "$WINEPREFIX/drive_c${path:2}"; }
# The uninstaller starts a copy of itself and ends; the work is done when the prefix's last process is.
wait_for_wine() { wineserver -w; }
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pathwright'

version=$(basename "$installer" | sed -n 's/^Pathwright-\(.*\)-win64-setup\.exe$/\1/p')
[ -n "$version" ] || fail "installer name $(basename "$installer") does not carry a version"

echo "installer test: creating a clean Wine prefix"
wine_run
{ read -r local_win; read -r roaming_win; } < <(wine_run cmd /c 'echo %LOCALAPPDATA%& echo %APPDATA%')
inst_win="$local_win\\Programs\\Pathwright"
inst=$(unix_path "$inst_win")
shortcut=$(unix_path "$roaming_win\\Microsoft\\Windows\\Start Menu\\Programs\\Pathwright.lnk")

# What the zip holds is what the installer must install, plus its uninstaller.
expected=$( (unzip -Z1 "$zip_file" | sed -n 's|^[^/]*/\(.*[^/]\)$|\1|p'; echo Uninstall.exe) | LC_ALL=C sort)
installed() { (cd "$inst" 2>/dev/null && find . -type f | sed 's|^\./||' | LC_ALL=C sort); }

# Round 1.
# Ending in ';' as some PATHs do; no empty entry before ours, where Wine's cmd stops looking.
original_path='C:\keep;%USERPROFILE%\bin;'
wine_run reg add 'HKCU\Environment' /v Path /t REG_EXPAND_SZ /d "$original_path" /f >/dev/null
started=$SECONDS
wine_run "$installer" /S /ADDTOPATH
echo "installed in $((SECONDS - started)) s"

[ "$(installed)" = "$expected" ] || fail "installed files differ from the zip's:
$(diff <(echo "$expected") <(installed) || true)"
entry=$(reg_key "$uninstall_key")
[ "$(value_in "$entry" DisplayVersion)" = "$version" ] || fail "uninstall entry: no DisplayVersion $version"
[ "$(value_in "$entry" InstallLocation)" = "$inst_win" ] || fail "uninstall entry: InstallLocation"
[ -n "$(value_in "$entry" Publisher)" ] || fail "uninstall entry: no Publisher"
uninstaller=$(value_in "$entry" UninstallString)
[ "$uninstaller" = "\"$inst_win\\Uninstall.exe\"" ] || fail "uninstall entry: UninstallString is $uninstaller"
[ "$(user_path)" = "$original_path$inst_win;" ] || fail "PATH is '$(user_path)'"
echo "files, uninstall entry, PATH: ok"

# The shortcut's target and working folder, from its binary form (MS-SHLLINK).
[ -f "$shortcut" ] || fail "no Start menu entry at $shortcut"
link=$(python3 - "$shortcut" <<'EOF'
import struct, sys
data = open(sys.argv[1], 'rb').read()
flags = struct.unpack_from('<I', data, 20)[0]
pos, target = 76, ''
if flags & 0x1:  # an item id list
    pos += 2 + struct.unpack_from('<H', data, pos)[0]
if flags & 0x2:  # link info: the target's local path
    info_size, header_size, _, _, path_offset = struct.unpack_from('<5I', data, pos)
    if header_size >= 0x24:
        start = pos + struct.unpack_from('<I', data, pos + 28)[0]
        end = start
        while data[end:end + 2] != b'\0\0':
            end += 2
        target = data[start:end].decode('utf-16-le')
    else:
        start = pos + path_offset
        target = data[start:data.index(b'\0', start)].decode('latin-1')
    pos += info_size
strings = {}
for bit, name in ((0x4, 'name'), (0x8, 'relative'), (0x10, 'workdir'), (0x20, 'args'), (0x40, 'icon')):
    if flags & bit:
        count = struct.unpack_from('<H', data, pos)[0]
        size = count * 2 if flags & 0x80 else count
        strings[name] = data[pos + 2:pos + 2 + size].decode('utf-16-le' if flags & 0x80 else 'latin-1').rstrip('\0')
        pos += 2 + size
print(target)
print(strings.get('workdir', ''))
EOF
)
[ "$link" = "$inst_win\\Pathwright.exe"$'\n'"$inst_win" ] || fail "Start menu entry (target, working folder): $link"
echo "Start menu entry: ok"

printf 'English\r\ntrue\r\n' > "$inst/programm.ini"
cp "$inst/programm.ini" "$work/settings"
cp "$driver" "$work/driver.exe"
wine_run "$work/driver.exe" --open-close "$inst_win\\Pathwright.exe"
[ "$(wine_run "$inst/pathwright-cli.exe" --version)" = "$version" ] || fail "pathwright-cli --version"
[ "$(wine_run cmd /c pathwright-cli --version)" = "$version" ] || fail "pathwright-cli --version through the PATH"
echo "installed programs: ok"
sheet=$(unix_path "$local_win\\Microsoft\\MSBuild\\v4.0\\Microsoft.Cpp.Win32.user.props")
[ -f "$sheet" ] || fail "the driver made no sheet at $sheet"

started=$SECONDS
wine_run "${uninstaller//\"/}" /S
wait_for_wine
echo "uninstalled in $((SECONDS - started)) s"
[ "$(installed)" = programm.ini ] || fail "left in the install folder: $(installed)"
cmp -s "$inst/programm.ini" "$work/settings" || fail "programm.ini was changed"
[ -f "$sheet" ] || fail "the user's sheet was removed"
[ ! -e "$shortcut" ] || fail "the Start menu entry is still there"
wine_run reg query "$uninstall_key" >/dev/null 2>&1 && fail "the uninstall entry is still there"
[ "$(user_path)" = "$original_path" ] || fail "PATH after uninstall: '$(user_path)'"
echo "uninstall: ok"

# Round 2.
long_path="C:\\long\\$(printf 'x%.0s' {1..1100})"
wine_run reg add 'HKCU\Environment' /v Path /t REG_EXPAND_SZ /d "$long_path" /f >/dev/null
wine_run "$installer" /S /ADDTOPATH
[ "$(user_path)" = "$long_path" ] || fail "a PATH too long to rewrite was changed"
[ -z "$(value_in "$(reg_key "$uninstall_key")" AddedToPath)" ] || fail "a PATH left alone is marked as changed"
# While Pathwright is open the uninstaller removes nothing (run in place, so that wine waits for it).
wine start /unix "$inst/Pathwright.exe"
wine_run "$inst/Uninstall.exe" /S "_?=$inst_win" && fail "the uninstaller reported success with Pathwright open"
[ "$(installed)" = "$( (echo "$expected"; echo programm.ini) | LC_ALL=C sort)" ] ||
  fail "files removed while Pathwright was open"
# Ends Pathwright, in this test's own prefix.
wineserver -k
wineserver -w
wine_run "$inst/Uninstall.exe" /S /REMOVESETTINGS
wait_for_wine
[ ! -e "$inst" ] || fail "left after uninstalling with /REMOVESETTINGS: $(ls -A "$inst")"
[ "$(user_path)" = "$long_path" ] || fail "a PATH too long to rewrite was changed on uninstall"
echo "installer test: passed in $SECONDS s"
