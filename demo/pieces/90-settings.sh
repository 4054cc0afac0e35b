# Options of the demo's runs: Firefox, temp, Internet Explorer and Windows tracks selected in Standard and
# Purge Now mode, Compact Files Yes, a Preview-friendly Detail report, and the window shown after the run.
appdata=$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
ini_dir=$(winepath -u "$appdata\\Quorvane")
mkdir -p "$ini_dir"
ie_sets="VisitedOption=1\r\nIECacheOption=1\r\nIECookiesOption=1\r\nIEHistoryOption=1\r\nIEUserDataOption=1\r\nIESearchesOption=1\r\nIETypedURLsOption=1\r\nIEStraysOption=1\r\nIEDOMstoreOption=1\r\n"
sets="CacheOption=1\r\nCookiesOption=1\r\nHistoryOption=1\r\nFFtypedURLs=1\r\nFormsOption=1\r\nTempOption=1\r\nRecentLNKsOption=1\r\nClipBoardOption=1\r\nCompactSqlOption=1\r\n$ie_sets"
printf "[StndOptions]\r\n$sets[PnowOptions]\r\n${sets}SplashOpt=1\r\nMainWinOpt=0\r\n[TempFolders]\r\nTmpDir=1\r\n" > "$ini_dir/Quorvane.ini"
# The cookie keep list: one site's cookies kept as they are, another's kept with scrambled values.
printf "p=bank.example.com\r\nr=login.example.com\r\n" > "$ini_dir/Quorvane.Dat"
