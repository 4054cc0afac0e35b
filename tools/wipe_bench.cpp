// Times one wipe of a drive's free space, in this process with QueryPerformanceCounter.
// Usage: wipe_bench ROOT (as "W:\"). Prints "SECONDS BYTES"; exits 1 when the wipe did not
// complete (its result text goes to stderr).
#include <windows.h>

#include <cstdio>
#include <string>

#include "wipe/free_space_wipe.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: wipe_bench ROOT\n");
    return 2;
  }
  LARGE_INTEGER f, a, b;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&a);
  const WipeSummary s = WipeFreeSpace(argv[1]);
  QueryPerformanceCounter(&b);
  if (s.outcome != WipeOutcome::Completed) {
    std::fprintf(stderr, "wipe_bench: %s\n", WipeResultText(s).c_str());
    return 1;
  }
  std::printf("%.3f %llu\n", double(b.QuadPart - a.QuadPart) / double(f.QuadPart),
              static_cast<unsigned long long>(s.bytesWritten));
  return 0;
}
