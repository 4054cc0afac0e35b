# Windows tracks as a user leaves them: documents opened recently (their links in the Recent
# folder), files deleted to the Recycle Bin (Wine's bin is $XDG_DATA_HOME/Trash, inside the
# build folder), and a copied address on the clipboard, held by a small program until a purge
# empties it. The Recycle Bin is selected wherever the Recent links are.
wine "$build/bin/demo_tracks.exe" recent 3
wine "$build/bin/demo_tracks.exe" bin 2
wine "$build/bin/demo_tracks.exe" clipboard "https://www.example.com/account?session=4711" 120 &
sleep 1
appdata=$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
sed -i 's/^RecentLNKsOption=1\r$/RecentLNKsOption=1\r\nRecycleBinOption=1\r/' \
  "$(winepath -u "$appdata\\Quorvane")/Quorvane.ini"
