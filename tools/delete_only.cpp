// The least any Windows program does to empty a folder: list it and call DeleteFileA on each
// file, nothing else (no report, no checks). The Chromium benchmark prints what this costs
// for the cache files, the platform's share of the cache purge.
//   delete_only FOLDER
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: delete_only FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 1;
  long deleted = 0;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        DeleteFileA((folder + "\\" + found.cFileName).c_str()))
      ++deleted;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::printf("%ld\n", deleted);
  return 0;
}
