// The least any Windows program does to empty a folder tree: list it and call DeleteFileA on
// each file, nothing else (no report, no checks; the folders stay). The Chromium benchmark prints
// what this costs for the cache files, the platform's share of the cache purge.
//   delete_only FOLDER
#include <windows.h>

#include <cstdio>
#include <string>

namespace {
long DeleteFilesIn(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  long deleted = 0;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = folder + "\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      deleted += DeleteFilesIn(path);
    else if (DeleteFileA(path.c_str()))
      ++deleted;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return deleted;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: delete_only FOLDER\n");
    return 2;
  }
  std::printf("%ld\n", DeleteFilesIn(argv[1]));
  return 0;
}
