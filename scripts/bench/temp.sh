# Piece of scripts/bench.sh. temp: the user's temp folder holding 50 000 files in 500
# folders, emptied by Quorvane's "Temp Folders" function in a Purge Now run with a Detail
# report (the whole program: start, run, exit), against Wine's own cmd /c rd /s /q of a copy
# of the same tree in the same prefix (what the platform itself takes; cmd's start counted as
# ours is). A second line gives rm -rf of another copy, run natively, for reading.
wine "$build/bin/fixtures/qvfixture.exe" install >/dev/null 2>&1
appdata=$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
ini_dir=$(winepath -u "$appdata\\Quorvane" 2>/dev/null)
mkdir -p "$ini_dir"
printf '[PnowOptions]\r\nTempOption=1\r\nReportOpt=0\r\nSplashOpt=1\r\nMainWinOpt=3\r\n[TempFolders]\r\nTmpDir=1\r\nAgeTemp=0\r\n' \
  > "$ini_dir/Quorvane.ini"
temp_dir=$(winepath -u "$(wine cmd /c echo %TMP% 2>/dev/null | tr -d '\r')" 2>/dev/null)
tree=$bench_data/temp/tree
make_temp_tree "$tree"
rd_copy=$WINEPREFIX/drive_c/qv-bench-rd
# Copies are made before each clock starts, and synced, so neither side pays for the copy.
temp_ours() {
  rm -rf "${temp_dir:?}"/*
  cp -a "$tree"/. "$temp_dir"/
  sync
  wine cmd /c exit >/dev/null 2>&1  # the Wine server is up before the clock starts
  seconds_of wine "$build/bin/Quorvane.exe" AUTO
  local left
  left=$(find "$temp_dir" -type f | wc -l)
  [ "$left" -eq 0 ] || echo "temp: $left files were left in the temp folder" >&2
}
temp_rd() {
  rm -rf "$rd_copy"
  cp -a "$tree" "$rd_copy"
  sync
  wine cmd /c exit >/dev/null 2>&1
  seconds_of wine cmd /c rd /s /q 'C:\qv-bench-rd'
  [ ! -e "$rd_copy" ] || echo "temp: cmd /c rd left $rd_copy" >&2
}
temp_rm() {
  rm -rf "$bench_data/temp/copy"
  cp -a "$tree" "$bench_data/temp/copy"
  sync
  seconds_of rm -rf "$bench_data/temp/copy"
}
ours=$(repeated temp_ours)
bench_line temp "$ours" "$(repeated temp_rd)" 1.5
bench_line "temp against rm -rf" "$ours" "$(repeated temp_rm)" "-"
