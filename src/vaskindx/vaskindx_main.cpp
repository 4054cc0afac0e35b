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
#include <vector>

#include "ie/boot_list.h"
#include "platform/files.h"
#include "platform/reparse_rules.h"

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
  std::string entry = folder;
  while (entry.size() > 3 && entry.back() == '\\') entry.pop_back();
  WIN32_FIND_DATAA fd;
  if (!FindFile().First(entry, fd)) return false;
  return (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !IsLinkReparse(fd.dwFileAttributes, fd.dwReserved0);
}

// The dated history containers ("MSHist01...") inside a history folder keep index files of
// their own; they are real folders of the history, never links out of it.
void AddDatedContainers(const std::string& history, std::vector<std::string>& folders) {
  WIN32_FIND_DATAA fd;
  FindFile find;
  for (bool more = find.First(history + "\\*", fd); more; more = find.Next(fd))
    if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        !IsLinkReparse(fd.dwFileAttributes, fd.dwReserved0) &&
        IsDatedHistoryFolderName(fd.cFileName))
      folders.push_back(history + "\\" + fd.cFileName);
}
}  // namespace

int main(int argc, char** argv) {
  std::string text;
  if (argc < 2 || !ReadList(argv[1], text)) return 2;
  std::vector<std::string> folders = BootListFolders(text);
  for (const std::string& history : BootListHistoryFolders(text))
    if (IsPlainFolder(history)) AddDatedContainers(history, folders);
  int failures = 0;
  for (const std::string& folder : folders) {
    if (!IsPlainFolder(folder)) continue;
    for (const char* name : {"index.dat", "container.dat"}) {
      WIN32_FIND_DATAA fd;
      const std::string path = folder + "\\" + name;
      if (!FindFile().First(path, fd)) continue;
      if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
          IsLinkReparse(fd.dwFileAttributes, fd.dwReserved0))
        continue;
      const std::string file = folder + "\\" + fd.cFileName;
      if (!MoveFileExA(file.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) ++failures;
    }
  }
  return failures ? 1 : 0;
}
