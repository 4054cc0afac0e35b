// Times one "I.E. Strays" kind (the content cache) in a Preview with a Detail report: the scan
// of a content folder against its index. Prints the seconds it took; set-up and Wine's start
// are not counted. The index is served from memory: Wine's own index takes minutes to fill
// with tens of thousands of entries (each commit rewrites more of it), so the entries name the
// folder's files the way WinINet would, and the comparison itself is what is measured.
//   strays_bench FOLDER FOLDERS FILES-PER-FOLDER ENTRIES
// Files are FOLDER\dNN\fNNNNN.htm; the first ENTRIES of them are indexed, the rest are strays.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/report_context.h"
#include "ie/ie_strays.h"

namespace {
// An index held in memory, enumerated and answered as WinINet would.
struct MemoryIndex : CacheEnumerator {
  std::vector<CacheEntryView> entries;
  size_t next = 0;
  bool First(const std::string&) override {
    next = 0;
    return next < entries.size();
  }
  bool Next() override { return ++next < entries.size(); }
  void Close() override {}
  CacheEntryView CurrentEntry() const override { return entries[next]; }
  CacheStatus Status() const override { return {next >= entries.size(), false, 0, ""}; }
  DeleteEntryResult DeleteEntry(ReportContext&, const std::string&, const std::string&) override {
    return {true, 0, 0};
  }
  long ClearHistoryContainers() override { return 0; }
};

std::string Numbered(const char* prefix, int n, int width) {
  std::string s = std::to_string(n);
  return prefix + std::string(width > static_cast<int>(s.size()) ? width - s.size() : 0, '0') + s;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: strays_bench FOLDER FOLDERS FILES-PER-FOLDER ENTRIES\n");
    return 2;
  }
  const std::string folder = argv[1];
  const int folders = std::atoi(argv[2]), perFolder = std::atoi(argv[3]),
            entries = std::atoi(argv[4]);
  MemoryIndex index;
  for (int i = 0; i < entries && i < folders * perFolder; ++i) {
    CacheEntryView e;
    e.url = "http://bench.example/" + std::to_string(i);
    e.localFile =
        folder + "\\" + Numbered("d", i % folders, 2) + "\\" + Numbered("f", i, 6) + ".htm";
    index.entries.push_back(std::move(e));
  }
  CacheAccess access{index, index};
  RunState state;
  state.preview = true;
  state.detail = true;
  CountingReportView view;
  ReportContext ctx(state, view);
  long count = 0;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  StraysPass(ctx, access, 2, folder, count);
  QueryPerformanceCounter(&end);
  std::fprintf(stderr, "strays_bench: %ld strays and orphans, %zu lines\n", count, view.lines);
  std::printf("%.3f\n", static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
  return count == folders * perFolder - entries ? 0 : 1;
}
