// Times "Chromium History", "Chromium Cookies", "Chromium Forms" and "Chromium Cache" as a run
// does them (Detail report, Compact Files No) on the browsers of the current prefix, with the
// keep list of the folder given. Prints the seconds the purges took; set-up and Wine's start
// are not counted.
//   chromium_bench KEEP-LIST-FOLDER
#include <windows.h>

#include <cstdio>
#include <string>

#include "chromium/chromium_purge.h"
#include "core/folders.h"
#include "core/report_context.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: chromium_bench KEEP-LIST-FOLDER\n");
    return 2;
  }
  MutableFolders().dataFolder = argv[1];  // where Quorvane.Dat lies
  RunState state;
  CountingReportView view;
  ReportContext ctx(state, view);
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  LARGE_INTEGER mark = start;
  for (auto purge :
       {PurgeChromiumHistory, PurgeChromiumCookies, PurgeChromiumForms, PurgeChromiumCache}) {
    purge(ctx);
    QueryPerformanceCounter(&end);
    // Each purge's share, for finding where the time goes.
    std::fprintf(stderr, "%.3f ",
                 static_cast<double>(end.QuadPart - mark.QuadPart) / frequency.QuadPart);
    mark = end;
  }
  std::fprintf(stderr, "%zu report lines, level %d\n", view.lines, state.highestLevel);
  std::printf("%.3f\n", static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
  return 0;
}
