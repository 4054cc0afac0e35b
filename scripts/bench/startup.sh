# Piece of scripts/bench.sh. startup: an automatic run with nothing selected (the whole
# program: start, run, exit), against one_window, which only creates, shows and destroys one
# window, under the same Wine server.
wine "$build/bin/fixtures/qvfixture.exe" install >/dev/null 2>&1
appdata=$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
ini_dir=$(winepath -u "$appdata\\Quorvane" 2>/dev/null)
mkdir -p "$ini_dir"
printf '[PnowOptions]\r\nReportOpt=0\r\nSplashOpt=1\r\nMainWinOpt=3\r\n' > "$ini_dir/Quorvane.ini"
wineserver -k 2>/dev/null || true  # a server of our own, kept between the runs
wineserver -p
wine "$build/bin/one_window.exe" >/dev/null 2>&1
startup_ours() { seconds_of wine "$build/bin/Quorvane.exe" AUTO; }
startup_reference() { seconds_of wine "$build/bin/one_window.exe"; }
ours=$(repeated startup_ours)
reference=$(repeated startup_reference)
wineserver -k
bench_line startup "$ours" "$reference" 1.5
