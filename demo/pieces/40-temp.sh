# The user's temp folder as programs leave it: old files and folders (purged), files written
# in the last hours (kept by the age filter, 8 hours by default), entries the user protects
# in quorvane.pit (kept), and a link to a folder outside it (the link goes, the folder stays).
temp_dir=$(winepath -u "$(wine cmd /c echo %TMP% 2>/dev/null | tr -d '\r')")
appdata=$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
data_dir=$(winepath -u "$appdata\\Quorvane")
mkdir -p "$temp_dir/setup-1a2b/payload" "$temp_dir/Cache-old/entries" "$temp_dir/keep-me" "$data_dir"
for f in setup-1a2b/setup.log setup-1a2b/payload/data1.cab setup-1a2b/payload/data2.cab \
         Cache-old/entries/0001.bin Cache-old/entries/0002.bin ~DF1234.tmp report.log \
         keep-me/notes.txt; do
  printf 'left behind by a program\r\n' > "$temp_dir/$f"
  touch -d '3 days ago' "$temp_dir/$f"
done
printf 'still being written\r\n' > "$temp_dir/download-in-progress.part"
printf 'still being written\r\n' > "$temp_dir/Cache-old/entries/0003.bin"
win_temp=$(wine cmd /c echo %TMP% 2>/dev/null | tr -d '\r' | tr 'A-Z' 'a-z')
printf 'p=*.log\r\np=%s\\keep-me\\*\r\n' "$win_temp" > "$data_dir/quorvane.pit"
mkdir -p "$build/demo/outside-temp"
printf 'a folder a link in the temp folder points at\r\n' > "$build/demo/outside-temp/precious.txt"
ln -sfn "$build/demo/outside-temp" "$temp_dir/link-to-outside"
