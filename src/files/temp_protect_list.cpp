#include "files/temp_protect_list.h"

#include <windows.h>
#include <shlwapi.h>

#include "core/folders.h"
#include "core/text_util.h"
#include "platform/files.h"

TempProtectList& TempProtectEntries() {
  static TempProtectList list;
  return list;
}

std::string TempProtectFile() { return Folders().dataFolder + "\\quorvane.pit"; }

// Only a list that is not there at all is an empty list. One that is there but cannot be read
// (held open by another program, a folder of that name, a read error) protects things we cannot
// see: it is marked unreadable, and whoever consults it must skip rather than purge.
bool LoadTempProtectList(TempProtectList& list) {
  list.Clear();
  list.modified = false;
  list.unreadable = false;
  const std::string path = TempProtectFile();
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
    list.unreadable = true;
    return false;
  }
  std::string text;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) || !ReadWholeFile(path, text)) {
    list.unreadable = true;
    return false;
  }
  list.SetLines(SplitLines(text));
  return true;
}

// A list that could not be read is never written: the file keeps the entries we could not see.
bool SaveTempProtectList(TempProtectList& list) {
  bool ok = !(list.modified && list.unreadable);
  if (list.modified && !list.unreadable) {
    const std::string path = TempProtectFile();
    DWORD a = GetFileAttributesA(path.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY))
      SetFileAttributesA(path.c_str(), a & ~FILE_ATTRIBUTE_READONLY);
    std::string text;
    for (const auto& e : list.Entries()) text += e + "\r\n";
    ok = WriteWholeFile(path, text);
  }
  list.Clear();
  list.modified = false;
  return ok;
}

bool SystemWildcardMatch(const std::string& text, const std::string& pattern) {
  return PathMatchSpecA(text.c_str(), pattern.c_str()) != FALSE;
}

char MatchTempProtect(const std::string& fullPath, const std::string& bareName) {
  return TempProtectEntries().Match(fullPath, bareName, SystemWildcardMatch);
}
