# The Internet Explorer cache filled by 20-ie.sh, as time leaves it: files in the content
# folder that its index no longer names (strays), an index entry whose file is gone, and an IE
# keep list protecting a bank's log-in cookie (not in this cache), so that an unattended purge
# asks nothing and empties the cache.
local_app=$(wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
content=$(winepath -u "$local_app\\Microsoft\\Windows\\INetCache\\Content.IE5")
sub=$(find "$content" -mindepth 1 -maxdepth 1 -type d | head -n 1)
if [ -n "$sub" ]; then
  printf 'GIF89a' > "$sub/leftover[1].gif"
  printf 'var t = 1;' > "$sub/tracker[2].js"
  # One cached page loses its file: its index entry becomes an orphan.
  orphan=$(find "$content" -mindepth 2 -name '*.html' | head -n 1)
  [ -n "$orphan" ] && rm -f "$orphan"
fi
appdata=$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
data_dir=$(winepath -u "$appdata\\Quorvane")
mkdir -p "$data_dir"
user=$(wine cmd /c echo %USERNAME% 2>/dev/null | tr -d '\r' | tr 'A-Z' 'a-z')
printf 'p=cookie:%s@bank.example.com/\r\n' "$user" > "$data_dir/IEcookie.dat"
