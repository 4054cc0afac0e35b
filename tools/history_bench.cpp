// Times the three Firefox history purges (Typed URLs, History, Forms; Compact Files Yes) on
// a profile folder's places.sqlite, favicons.sqlite and formhistory.sqlite, in the order a
// run calls them. Prints the seconds they took; set-up and Wine's start are not counted.
//   history_bench PROFILE-FOLDER
#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>

#include "core/report_context.h"
#include "firefox/firefox_profile.h"
#include "firefox/history_purge.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: history_bench PROFILE-FOLDER\n");
    return 2;
  }
  if (!FindFirefoxInstall()) {
    std::fprintf(stderr, "history_bench: no Firefox SQLite module\n");
    return 1;
  }
  const std::string folder = argv[1];
  TFFoxProfile& p = FFoxProfile();
  p.PlacesFile = folder + "\\places.sqlite";
  p.FormHistoryFile = folder + "\\formhistory.sqlite";
  p.HasPlacesDb = p.HasFormHistoryDb = p.IsSqliteProfile = true;
  RunState state;
  state.compact = true;
  CountingReportView view;
  view.onLine = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
  ReportContext ctx(state, view);
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  // Each purge's own share goes to stderr, for finding where the time goes.
  using Purge = void (*)(ReportContext&);
  const std::pair<const char*, Purge> purges[] = {{"typed", PurgeFirefoxTypedUrls},
                                                  {"history", PurgeFirefoxHistory},
                                                  {"forms", PurgeFirefoxForms}};
  for (auto [name, purge] : purges) {
    LARGE_INTEGER before, after;
    QueryPerformanceCounter(&before);
    purge(ctx);
    QueryPerformanceCounter(&after);
    std::fprintf(stderr, "%s: %.3f s\n", name,
                 static_cast<double>(after.QuadPart - before.QuadPart) / frequency.QuadPart);
  }
  QueryPerformanceCounter(&end);
  std::printf("%.3f\n", static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
  return 0;
}
