#include "files/temp_protect_list.h"

#include <windows.h>
#include <shlwapi.h>

#include "app/folders.h"
#include "app/text_util.h"
#include "platform/files.h"

TempProtectList& TempProtectEntries() {
  static TempProtectList list;
  return list;
}

std::string TempProtectFile() { return Folders().dataFolder + "\\quorvane.pit"; }

bool LoadTempProtectList(TempProtectList& list) {
  list.Clear();
  list.modified = false;
  std::string text;
  if (!FileExists(TempProtectFile())) return true;
  if (!ReadWholeFile(TempProtectFile(), text)) return false;
  list.SetLines(SplitLines(text));
  return true;
}

bool SaveTempProtectList(TempProtectList& list) {
  bool ok = true;
  if (list.modified) {
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
