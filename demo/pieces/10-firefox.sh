# Firefox as people run it today (128.0.3: SQLite inside nss3.dll, no mozsqlite3.dll, registered
# in the 64-bit registry view) installed, and the user's default profile of the current schema
# full of history, typed addresses, form entries, cookies, permissions and cache files.
wine "$build/bin/fixtures/qvfixture.exe" install current
wine "$build/bin/fixtures/qvfixture.exe" profile
