// Times the three Firefox history purges (Typed URLs, History, Forms; Compact Files Yes) on
// a profile folder's places.sqlite, favicons.sqlite and formhistory.sqlite, in the order a
// run calls them. Prints two lines: where the time went (the share of typed, history, forms
// and compact, and the statements that took most of typed's and history's), then the seconds they
// took together. Set-up and Wine's start are not counted.
//   history_bench PROFILE-FOLDER
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/report_context.h"
#include "firefox/firefox_profile.h"
#include "firefox/history_purge.h"
#include "platform/sqlite_statement.h"

namespace {
// Seconds per statement text within the purge running now, and the compaction's apart.
std::map<std::string, double> statements;
double compacting = 0;

void Timed(const std::string& sql, double seconds) {
  if (seconds >= 0.05) std::fprintf(stderr, "%.3f s %.100s\n", seconds, sql.c_str());
  if (sql.rfind("VACUUM", 0) == 0 || sql.rfind("PRAGMA SYNCHRONOUS=OFF", 0) == 0)
    compacting += seconds;
  else
    statements[sql] += seconds;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return static_cast<double>(to.QuadPart - from.QuadPart) / f.QuadPart;
}

// The start of a statement, enough to know it again.
std::string Short(const std::string& sql) {
  return sql.size() > 60 ? sql.substr(0, 57) + "..." : sql;
}
}  // namespace

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
  // Ticked as in the run measured: the typed-URL purge knows the history purge follows.
  state.options[OptionField::FFTypedUrls] = state.options[OptionField::History] =
      state.options[OptionField::Forms] = state.options[OptionField::CompactSql] = 1;
  CountingReportView view;
  view.onLine = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
  ReportContext ctx(state, view);
  SetSqlStatementTimer(Timed);
  using Purge = void (*)(ReportContext&);
  const std::pair<const char*, Purge> purges[] = {{"typed", PurgeFirefoxTypedUrls},
                                                  {"history", PurgeFirefoxHistory},
                                                  {"forms", PurgeFirefoxForms}};
  std::vector<std::pair<std::string, double>> phases;
  std::map<std::string, std::vector<std::pair<std::string, double>>> slowest;
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  for (auto [name, purge] : purges) {
    statements.clear();
    const double compactedBefore = compacting;
    LARGE_INTEGER before, after;
    QueryPerformanceCounter(&before);
    purge(ctx);
    QueryPerformanceCounter(&after);
    phases.emplace_back(name, Seconds(before, after) - (compacting - compactedBefore));
    auto& mine = slowest[name];
    mine.assign(statements.begin(), statements.end());
    std::sort(mine.begin(), mine.end(),
              [](const auto& a, const auto& b) { return a.second > b.second; });
  }
  QueryPerformanceCounter(&end);
  const double total = Seconds(start, end);
  phases.emplace_back("compact", compacting);
  std::string line = "phases:";
  for (const auto& [name, seconds] : phases)
    line += " " + name + " " + std::to_string(static_cast<int>(100 * seconds / total + 0.5)) + "%";
  for (const char* phase : {"typed", "history"}) {
    line += std::string("; in ") + phase + ":";
    const auto& mine = slowest[phase];
    for (size_t i = 0; i < mine.size() && i < 3; ++i)
      line += (i ? ", " : " ") + Short(mine[i].first) + " " +
              std::to_string(static_cast<int>(100 * mine[i].second / total + 0.5)) + "%";
  }
  std::printf("%s\n%.3f\n", line.c_str(), total);
  return 0;
}
