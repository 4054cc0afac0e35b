#!/usr/bin/env bash
# The setup program as users and administrators meet it, in a Wine prefix of its own:
#  1. scripts/package.sh makes the setup and the portable zip;
#  2. the setup runs silently; the program files, the first start's work ("INIT"), the shortcuts,
#     the Start-menu entry and the Uninstall key are checked on disk and in the registry;
#  3. the installed program starts in MULT mode, shows its main window and is closed;
#  4. the user adds a file to the data folder and a plugin of their own, turns visual styles off,
#     the program's Run-key value is set; the uninstaller runs silently: the program's files, shortcuts, keys and data
#     files are gone, the user's files and the folders holding them stay;
#  5. once more into a folder of the administrator's choice (/D=), without user files:
#     the uninstaller leaves neither the program folder nor the data folder.
# Usage: installer_test.sh PATH/installer_probe.exe   (QV_BUILD names the build folder)
set -uo pipefail
probe=$1
source "$(dirname "$0")/../../scripts/lib.sh"
# Shortcuts made under Wine would otherwise become menu entries in the Linux user's home.
export WINEDLLOVERRIDES="winemenubuilder.exe=d"
ensure_display

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { local what=$1; shift; "$@" || fail "$what"; }
win() { wine "$@" 2>/dev/null | tr -d '\r'; }
unix_path() { winepath -u "$1" 2>/dev/null | tr -d '\r' | sed 's:/$::'; }

# --- 1. The packages -----------------------------------------------------------------------
bash "$root/scripts/package.sh" --no-build || { echo "FAIL: scripts/package.sh"; exit 1; }
version=$(sed -n 's/^#define QV_VERSION_TEXT "\(.*\)"$/\1/p' "$root/res/quorvane_version.h")
setup=$build/dist/Quorvane-$version-setup.exe
zipfile=$build/dist/Quorvane-$version-portable.zip
[ -f "$setup" ] && [ -f "$zipfile" ] || { echo "FAIL: no $setup or $zipfile"; exit 1; }

# What must be installed, from the build folder itself (not from the packing script's list).
bin=$build/bin
expected=(Quorvane.exe Harrowin.exe Quorvane.chm qvrnqst.rtf VaskQuor1.ico VaskQuor2.ico
          VaskQuor3.ico)
for f in VaskIndx.exe QvrnCook.rtf; do [ -f "$bin/$f" ] && expected+=("$f"); done
for f in "$bin"/PLUGINS/*.STD; do expected+=("PLUGINS/$(basename "$f")"); done
[ ${#expected[@]} -gt 7 ] || fail "no shipped plugins in $bin/PLUGINS"

# --- The prefix ------------------------------------------------------------------------------
fresh_prefix installer
users=$WINEPREFIX/drive_c/users
links=$(find "$users" -maxdepth 2 -type l)
[ -z "$links" ] || { echo "FAIL: user folders still link out of the prefix: $links"; exit 1; }
# Firefox, which the program needs to start.
win "$bin/fixtures/qvfixture.exe" install >/dev/null || fail "the test Firefox did not install"

declare -A folder
while IFS='=' read -r name path; do
  [ -n "$name" ] && folder[$name]=$(unix_path "$path")
done < <(win "$probe" folders)
for name in programfiles appdata desktop commondesktop commonprograms; do
  [ -n "${folder[$name]:-}" ] || { echo "FAIL: the prefix has no $name folder"; exit 1; }
done
for name in desktop commondesktop; do
  [ -d "${folder[$name]}" ] && [ ! -L "${folder[$name]}" ] ||
    { echo "FAIL: the $name folder ${folder[$name]} is not a real folder"; exit 1; }
  case $(readlink -f "${folder[$name]}") in
    "$WINEPREFIX"/*) ;;
    *) echo "FAIL: the $name folder leads out of the prefix"; exit 1 ;;
  esac
done
data=${folder[appdata]}/Quorvane
menu=${folder[commonprograms]}/Quorvane
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvane'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'

# reg_value KEY NAME: the data of one value as "reg query" shows it; fails when missing.
reg_value() {
  local out
  out=$(win reg query "$1" /v "$2") || return 1
  awk -v n="$2" '$1 == n { sub(/^[ \t]*[^ \t]+[ \t]+[^ \t]+[ \t]+/, ""); print; found = 1 }
                 END { exit !found }' <<<"$out"
}
expect_value() {
  local got
  got=$(reg_value "$uninstall_key" "$1") || { fail "Uninstall key has no $1"; return; }
  [ "$got" = "$2" ] || fail "Uninstall key $1 is '$got', not '$2'"
}
# expect_link FILE TARGET [ICON]: the shortcut exists and points at TARGET, started in its folder.
expect_link() {
  local out
  [ -f "$1" ] || { fail "no shortcut $1"; return; }
  out=$(win "$probe" link "$(winepath -w "$1" 2>/dev/null | tr -d '\r')") ||
    { fail "shortcut $1 unreadable"; return; }
  grep -qxF "target=$2" <<<"$out" || fail "shortcut $1 does not point at $2: $out"
  grep -qxF "workdir=${2%\\*}" <<<"$out" || fail "shortcut $1 does not start in ${2%\\*}: $out"
  [ -z "${3:-}" ] || grep -qxF "icon=$3,0" <<<"$out" || fail "shortcut $1 has not the icon $3: $out"
}
# files_under DIR: the files below DIR, relative, sorted, one a line.
files_under() { [ -d "$1" ] && (cd "$1" && find . -type f | sed 's:^\./::' | LC_ALL=C sort); }

# check_installed DIR WINDIR: everything the setup and the first start leave behind.
check_installed() {
  local dir=$1 windir=$2 f got want
  for f in "${expected[@]}"; do
    cmp -s "$bin/$f" "$dir/$f" || fail "$f not installed as built"
  done
  check "no uninstaller" [ -f "$dir/Uninstall.exe" ]
  grep -q 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' "$dir/Quorvane.ManifesI" ||
    fail "the installed manifest asks for no common controls 6"
  # The first start ("INIT") copied the manifest to the name the themes choice reads.
  cmp -s "$dir/Quorvane.ManifesI" "$dir/Quorvane.exe.ManifesT" || fail "INIT made no Quorvane.exe.ManifesT"
  want=$(printf '%s\n' "${expected[@]}" Uninstall.exe Quorvane.ManifesI Quorvane.exe.ManifesT | LC_ALL=C sort)
  got=$(files_under "$dir")
  [ "$got" = "$want" ] || fail "installed files differ: $(diff <(echo "$want") <(echo "$got") | grep '^[<>]' | tr '\n' ' ')"

  expect_link "${folder[commondesktop]}/Quorvane.lnk" "$windir\\Quorvane.exe" "$windir\\VaskQuor1.ico"
  expect_link "$menu/Quorvane.lnk" "$windir\\Quorvane.exe" "$windir\\VaskQuor1.ico"
  expect_link "$menu/Quorvane Help.lnk" "$windir\\Quorvane.chm"
  expect_link "$menu/Uninstall Quorvane.lnk" "$windir\\Uninstall.exe"
  # "INIT": the shared desktop's shortcut replaces the user's own copy.
  check "INIT left the user's own Quorvane.lnk beside the shared one" [ ! -e "${folder[desktop]}/Quorvane.lnk" ]

  expect_value DisplayName Quorvane
  expect_value DisplayVersion "$version"
  expect_value Publisher Quorvane
  expect_value DisplayIcon "$windir\\Quorvane.exe,0"
  expect_value InstallLocation "$windir"
  expect_value UninstallString "\"$windir\\Uninstall.exe\""
  expect_value QuietUninstallString "\"$windir\\Uninstall.exe\" /S"
  local size bytes kb
  size=$(reg_value "$uninstall_key" EstimatedSize) || fail "Uninstall key has no EstimatedSize"
  bytes=$(find "$dir" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
  kb=$((bytes / 1024))
  [ -n "$size" ] && [ $((size)) -ge $((kb - 8)) ] && [ $((size)) -le $((kb + 8)) ] ||
    fail "EstimatedSize $size is not the installed $kb KB"
  echo "installed: $bytes bytes in $(files_under "$dir" | wc -l) files (EstimatedSize $((size)) KB)"
}

# check_removed DIR: nothing of the program is left but what the caller lists as the user's.
check_removed() {
  local dir=$1 user_files=$2 user_data=$3
  [ "$(files_under "$dir")" = "$user_files" ] || fail "left in $dir: $(files_under "$dir" | tr '\n' ' ')"
  if [ -z "$user_files" ]; then check "$dir stays" [ ! -e "$dir" ]; fi
  [ "$(files_under "$data")" = "$user_data" ] || fail "left in $data: $(files_under "$data" | tr '\n' ' ')"
  if [ -z "$user_data" ]; then check "$data stays" [ ! -e "$data" ]; fi
  check "desktop shortcut stays" [ ! -e "${folder[commondesktop]}/Quorvane.lnk" ]
  check "Start-menu folder stays" [ ! -e "$menu" ]
  win reg query "$uninstall_key" >/dev/null && fail "the Uninstall key stays"
  reg_value "$run_key" Quorvane >/dev/null && fail "the Run-key value stays"
  return 0
}

# --- 2. Silent install -------------------------------------------------------------------------
pf=${folder[programfiles]}/Quorvane
pfwin="$(win "$probe" folders | sed -n 's/^programfiles=//p')\\Quorvane"
# A copy of the shortcut in the user's own desktop, as the program's "Quorvane" button makes it.
cp "$root/res/VaskQuor1.ico" "${folder[desktop]}/Quorvane.lnk"
win "$setup" /S; rc=$?
wineserver -w
[ $rc -eq 0 ] || fail "the silent setup ended with $rc"
check_installed "$pf" "$pfwin"
# The first start made the data folder and its files.
check "INIT made no settings file" [ -f "$data/Quorvane.ini" ]

# --- 3. The installed program, started and closed ----------------------------------------------
out=$(win "$probe" run-close "$pfwin\\Quorvane.exe" MULT) || fail "the installed program did not start and close"
grep -q '^window=Quorvane - Purge Cache' <<<"$out" || fail "the installed program showed no main window: $out"
grep -qx 'exit=0' <<<"$out" || fail "the installed program ended with: $out"
wineserver -w
for f in Quorvane.ini Quorvane.Dat IEcookie.dat; do check "no data file $f after a start" [ -f "$data/$f" ]; done

# --- 4. The user's files, the Run key, and the silent uninstall ----------------------------------
echo "my own notes" > "$data/My notes.txt"
# "Support XP Themes?" unticked: the manifest is parked under its other name.
mv "$pf/Quorvane.exe.ManifesT" "$pf/Quorvane.exe.ManifesX"
printf 'NAME=Mine\r\n' > "$pf/PLUGINS/MINE.CUS"
win reg add "$run_key" /v Quorvane /d "\"$pfwin\\QUORVANE.EXE\" BOOT" /f >/dev/null
reg_value "$run_key" Quorvane >/dev/null || fail "the Run-key value could not be set"
win "$pfwin\\Uninstall.exe" /S; rc=$?
wineserver -w
[ $rc -eq 0 ] || fail "the silent uninstaller ended with $rc"
check_removed "$pf" "PLUGINS/MINE.CUS" "My notes.txt"

# --- 5. Into a folder of the administrator's choice, and out without a trace --------------------
rm -rf "$pf" "$data"
appwin='C:\Apps\Quorvane'
app=$(unix_path "$appwin")
# A plugin an older release shipped, replaced since by the Chromium boxes: the setup removes it.
mkdir -p "$app/PLUGINS"
printf 'LEVEL=1\r\nDELFILE=#LOCALAPPDATA#\\Google\\Chrome\\User Data\\*\\History?\r\n' > "$app/PLUGINS/CHROME.STD"
win "$setup" /S "/D=$appwin"; rc=$?
wineserver -w
[ $rc -eq 0 ] || fail "the silent setup into $appwin ended with $rc"
check_installed "$app" "$appwin"
check "installed into Program Files although /D= named another folder" [ ! -e "$pf" ]
win "$appwin\\Uninstall.exe" /S; rc=$?
wineserver -w
[ $rc -eq 0 ] || fail "the second silent uninstaller ended with $rc"
check_removed "$app" "" ""

# --- The portable zip: the installed program folder after the first start, no uninstaller -----
unzipped=$build/package-check
rm -rf "$unzipped"; mkdir -p "$unzipped"
(cd "$unzipped" && cmake -E tar xf "$zipfile") || fail "the portable zip does not unpack"
want=$(printf '%s\n' "${expected[@]}" Quorvane.exe.ManifesT | LC_ALL=C sort)
[ "$(files_under "$unzipped/Quorvane")" = "$want" ] || fail "the portable zip holds other files"
for f in "${expected[@]}"; do cmp -s "$bin/$f" "$unzipped/Quorvane/$f" || fail "$f differs in the zip"; done
grep -q 'Microsoft.Windows.Common-Controls' "$unzipped/Quorvane/Quorvane.exe.ManifesT" ||
  fail "the portable zip's manifest is not the visual-styles manifest"
rm -rf "$unzipped"

echo "setup: $(stat -c %s "$setup") bytes; portable zip: $(stat -c %s "$zipfile") bytes"
[ $failures -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "installer: all checks passed"
