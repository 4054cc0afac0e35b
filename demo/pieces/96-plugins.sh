# Tracks a shipped plugin removes: the Media Player and VLC recently played lists
# (MEDIAPLAYERS.STD). It is selected in PLUGINS.DAT, and "Run Plugins" is selected wherever the
# Recent links are. (Chrome and Edge are cleaned by the Chromium boxes: demo/pieces/97-chromium.sh.)
appdata=$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
data_dir=$(winepath -u "$appdata\\Quorvane")
mkdir -p "$data_dir"
wine reg add 'HKCU\Software\Microsoft\MediaPlayer\Player\RecentFileList' /v File0 \
  /d 'C:\users\Public\Music\holiday.mp3' /f >/dev/null 2>&1
mkdir -p "$(winepath -u "$appdata\\vlc")"
printf '[General]\r\nplaylist-visible=true\r\n[RecentsMRU]\r\nlist=file:///C:/Videos/trip.mkv\r\ntimes=0\r\n' \
  > "$(winepath -u "$appdata\\vlc")/vlc-qt-interface.ini"
printf 'MEDIAPLAYERS.STD\r\n' > "$data_dir/PLUGINS.DAT"
sed -i 's/^RecentLNKsOption=1\r$/RecentLNKsOption=1\r\nPluginsOption=1\r/' "$data_dir/Quorvane.ini"
