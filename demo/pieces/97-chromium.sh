# Google Chrome and Microsoft Edge, each with a real profile that Debian's chromium writes
# (tests/chromium/make_fixture.sh: pages of several sites with their cookies, typed addresses,
# a submitted form, a bookmark, cache and session files), at their Windows places with the
# cookies in the Network folder. The keep list keeps kept.example and randomizes rand.example;
# every Chromium box and "FireFox Session" are selected where the Firefox boxes are.
place_chromium_profile "Google/Chrome" "Microsoft/Edge"
appdata=$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
data_dir=$(winepath -u "$appdata\\Quorvane")
printf "p=kept.example\r\nr=rand.example\r\n" >> "$data_dir/Quorvane.Dat"
chromium_sets='ChromiumHistoryOption=1\r\nChromiumTypedURLsOption=1\r\nChromiumFormsOption=1\r\nChromiumCookiesOption=1\r\nChromiumCacheOption=1\r\nChromiumSessionOption=1\r\nFFSessionOption=1\r'
sed -i "s/^FormsOption=1\r\$/FormsOption=1\r\n$chromium_sets/" "$data_dir/Quorvane.ini"
# The Firefox profile's session restore files, which "FireFox Session" removes.
firefox_profile=$(ls -d "$(winepath -u "$appdata")"/Mozilla/Firefox/Profiles/*.default-release/ | head -1)
mkdir -p "$firefox_profile/sessionstore-backups"
for f in sessionstore.jsonlz4 sessionstore-backups/recovery.jsonlz4 \
         sessionstore-backups/recovery.baklz4 sessionstore-backups/previous.jsonlz4; do
  printf 'mozLz40\0tabs of the last session' > "$firefox_profile/$f"
done
