// VaskIndx: arranges the removal of Internet Explorer's index files at the next Windows start.
// Quorvane starts it with the quoted path of its folder list "VaskBoot.dat"; lines 2 to 11
// name the folders. Internet Explorer keeps those files open while Windows runs, so each one
// is handed to the system for deletion before anything opens it again
// (MOVEFILE_DELAY_UNTIL_REBOOT). Nothing is deleted now, and nothing is restarted.
//   VaskIndx LIST-FILE
// Exit code: 0 when every index file found was scheduled, 1 when one could not be, 2 when the
// list could not be read.
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "ie/boot_list.h"

namespace {
bool ReadList(const char* path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  text = s.str();
  return true;
}

// The folder itself must be a real folder: a link or junction would lead the deletion out of it.
bool IsPlainFolder(const std::string& folder) {
  const DWORD a = GetFileAttributesA(folder.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) &&
         !(a & FILE_ATTRIBUTE_REPARSE_POINT);
}
}  // namespace

int main(int argc, char** argv) {
  std::string text;
  if (argc < 2 || !ReadList(argv[1], text)) return 2;
  int failures = 0;
  for (const std::string& folder : BootListFolders(text)) {
    if (!IsPlainFolder(folder)) continue;
    for (const char* name : {"index.dat", "container.dat"}) {
      WIN32_FIND_DATAA fd;
      const std::string path = folder + "\\" + name;
      HANDLE h = FindFirstFileA(path.c_str(), &fd);
      if (h == INVALID_HANDLE_VALUE) continue;
      FindClose(h);
      if (fd.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
      const std::string file = folder + "\\" + fd.cFileName;
      if (!MoveFileExA(file.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) ++failures;
    }
  }
  return failures ? 1 : 0;
}
