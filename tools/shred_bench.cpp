// Times a Quick shred of a large file against the least a secure deletion does: a plain
// sequential overwrite of the same file with one flush at the end, then its deletion (the file
// system freeing the file's space is a cost of both sides). Both in this process, with
// QueryPerformanceCounter.
// Usage: shred_bench FILE MIB. Prints "OURS REFERENCE" in seconds, the best of two rounds each.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/report_context.h"
#include "files/secure_erase.h"
#include "files/shred_file.h"

namespace {
constexpr DWORD kChunk = 1 << 20;

// Writes `mib` MiB of `fill` over the file from its start (creating it when `create`), then
// flushes once.
bool WriteSequentially(const std::string& path, int mib, char fill, bool create) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                         create ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const std::vector<char> chunk(kChunk, fill);
  bool ok = true;
  for (int i = 0; i < mib && ok; ++i) {
    DWORD written = 0;
    ok = WriteFile(h, chunk.data(), kChunk, &written, nullptr) && written == kChunk;
  }
  ok = FlushFileBuffers(h) && ok;
  CloseHandle(h);
  return ok;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return double(to.QuadPart - from.QuadPart) / double(f.QuadPart);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: shred_bench FILE MIB\n");
    return 2;
  }
  const std::string path = argv[1];
  const int mib = std::atoi(argv[2]);
  RunState state;
  CountingReportView view;
  view.pumpsMessages = true;
  ReportContext ctx(state, view);

  double ours = 1e9, reference = 1e9;
  for (int round = 0; round < 2; ++round) {
    if (!WriteSequentially(path, mib, 'q', true)) return 1;
    LARGE_INTEGER a, b, c, d;
    QueryPerformanceCounter(&a);
    if (!WriteSequentially(path, mib, '\0', false) || !DeleteFileA(path.c_str())) return 1;
    QueryPerformanceCounter(&b);
    if (!WriteSequentially(path, mib, 'q', true)) return 1;
    QueryPerformanceCounter(&c);
    if (!ShredFile(ctx, path, '0', 0)) return 1;
    QueryPerformanceCounter(&d);
    reference = std::min(reference, Seconds(a, b));
    ours = std::min(ours, Seconds(c, d));
  }
  std::printf("%.3f %.3f\n", ours, reference);
  return 0;
}
