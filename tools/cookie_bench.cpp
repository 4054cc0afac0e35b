// Times "FireFox Cookies" on a profile folder's cookies.sqlite with the keep list given, as a
// run does it (Detail report, Compact Files No). Prints the seconds the purge took; set-up and
// Wine's start are not counted.
//   cookie_bench PROFILE-FOLDER KEEP-LIST-FOLDER
#include <windows.h>

#include <cstdio>
#include <string>

#include "core/folders.h"
#include "core/report_context.h"
#include "core/settings.h"
#include "firefox/cookie_purge.h"
#include "firefox/firefox_profile.h"
#include "platform/sqlite_statement.h"

namespace {
// Statements that take a while go to stderr, for finding where the time goes.
void Timed(const std::string& sql, double seconds) {
  if (seconds >= 0.005) std::fprintf(stderr, "%.3f s %.60s\n", seconds, sql.c_str());
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: cookie_bench PROFILE-FOLDER KEEP-LIST-FOLDER\n");
    return 2;
  }
  if (!FindFirefoxInstall()) {
    std::fprintf(stderr, "cookie_bench: no Firefox SQLite module\n");
    return 1;
  }
  MutableFolders().dataFolder = argv[2];  // where Quorvane.Dat lies
  TFFoxProfile& p = FFoxProfile();
  p.CookiesFile = std::string(argv[1]) + "\\cookies.sqlite";
  p.HasCookiesDb = p.IsSqliteProfile = true;
  Globals().messages.ffCookieMsgOpt = "Y";
  SetSqlStatementTimer(Timed);
  RunState state;
  CountingReportView view;
  ReportContext ctx(state, view);
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  PurgeFirefoxCookies(ctx);
  QueryPerformanceCounter(&end);
  std::fprintf(stderr, "%zu report lines\n", view.lines);
  std::printf("%.3f\n", static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
  return 0;
}
