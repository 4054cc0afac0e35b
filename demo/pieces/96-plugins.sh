# Tracks two shipped plugins remove: a Chrome profile's cache and history (CHROME.STD) and the
# Media Player and VLC recently played lists (MEDIAPLAYERS.STD). Both are selected in
# PLUGINS.DAT, and "Run Plugins" is selected wherever the Recent links are.
local_dir=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')")
appdata=$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
data_dir=$(winepath -u "$appdata\\Quorvane")
chrome="$local_dir/Google/Chrome/User Data"
mkdir -p "$chrome/Default/Cache/Cache_Data" "$chrome/Default/Code Cache/js" "$chrome/Profile 1" "$data_dir"
for f in "Default/Cache/Cache_Data/data_0" "Default/Cache/Cache_Data/f_00a1b2" \
         "Default/Code Cache/js/index" "Default/History" "Default/Visited Links" \
         "Profile 1/History"; do
  printf 'a page the user visited\r\n' > "$chrome/$f"
done
printf '{"bookmarks": "kept"}\r\n' > "$chrome/Default/Bookmarks"
wine reg add 'HKCU\Software\Microsoft\MediaPlayer\Player\RecentFileList' /v File0 \
  /d 'C:\users\Public\Music\holiday.mp3' /f >/dev/null 2>&1
mkdir -p "$(winepath -u "$appdata\\vlc")"
printf '[General]\r\nplaylist-visible=true\r\n[RecentsMRU]\r\nlist=file:///C:/Videos/trip.mkv\r\ntimes=0\r\n' \
  > "$(winepath -u "$appdata\\vlc")/vlc-qt-interface.ini"
printf 'CHROME.STD\r\nMEDIAPLAYERS.STD\r\n' > "$data_dir/PLUGINS.DAT"
sed -i 's/^RecentLNKsOption=1\r$/RecentLNKsOption=1\r\nPluginsOption=1\r/' "$data_dir/Quorvane.ini"
