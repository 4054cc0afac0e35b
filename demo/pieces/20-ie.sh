# Internet Explorer tracks: cached pages, cookies and visited addresses in the WinINet cache,
# addresses typed into the address bar (with the MRU list that stays), and a search
# provider's previous searches.
wine "$build/bin/fixtures/wininet_tracks.exe" demo
ie='HKCU\Software\Microsoft\Internet Explorer'
wine reg add "$ie\TypedURLs" /v url1 /d "http://news.example.com/" /f
wine reg add "$ie\TypedURLs" /v url2 /d "http://shop.example.net/cart" /f
wine reg add "$ie\TypedURLs" /v MRUList /d "ab" /f
wine reg add "$ie\Search\SearchProperties\Example" /v PreviousSearches /d "cheap flights" /f
