# Firefox 10.0.2 (with SeaMonkey beside it) installed and registered, and the user's default
# profile full of history, typed addresses, form entries, cookies, permissions and cache files.
wine "$build/bin/fixtures/qvfixture.exe" install
wine "$build/bin/fixtures/qvfixture.exe" profile
