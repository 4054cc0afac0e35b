#include "cookies/keep_list_files.h"

#include <windows.h>

#include <algorithm>

#include "core/folders.h"
#include "core/message_box.h"
#include "core/text_util.h"
#include "platform/files.h"

namespace {
// The standard text-list save: every line followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += l + "\r\n";
  return text;
}

// Adds the lines of a file; true when it is missing or was read.
bool AddFileLines(const std::string& path, std::vector<std::string>& into) {
  if (!FileExists(path)) return true;
  std::string text;
  if (!ReadWholeFile(path, text)) return false;
  for (auto& l : SplitLines(text)) into.push_back(std::move(l));
  return true;
}
}  // namespace

void EnsureKeepListFiles() {
  if (Folders().cdMode) return;
  for (const std::string& path : {FirefoxKeepListFile(), IeKeepListFile()}) {
    try {
      EnsureFileExists(path);
    } catch (...) {
    }
  }
}

void MergeLegacyIeKeepList(const std::string& dataFolder) {
  const std::string legacy = dataFolder + "\\IEprMode.dat";
  const std::string current = dataFolder + "\\IEcookie.dat";
  try {
    if (!FileExists(legacy)) return;
    // Either file unreadable (locked, say): both stay as they are, to be merged at a later
    // start, rather than losing the old entries or overwriting the current list.
    std::vector<std::string> lines;
    if (!AddFileLines(legacy, lines) || !AddFileLines(current, lines)) return;
    std::sort(lines.begin(), lines.end(), KeepEntryLess);
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    NormalizeKeepList(lines);
    // The old file goes only once its entries are safely in the current one: a failed write
    // (a read-only or locked list, a full disk) leaves both for a later start.
    if (WriteWholeFile(current, JoinLines(lines))) DeleteFileA(legacy.c_str());
  } catch (...) {
  }
}

bool LoadKeepList(KeepList& list) {
  list.Clear();
  list.loaded = true;
  list.modified = false;
  // Only nothing at all under the name is an empty list. Anything else that cannot be read (a
  // folder of that name, a file that may not be opened) must not leave the purges believing
  // that nothing is kept.
  if (GetFileAttributesA(list.path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
  }
  std::string text;
  if (!ReadWholeFile(list.path, text)) {
    list.loaded = false;
    return false;
  }
  if (list.TakeFileLines(SplitLines(text))) list.modified = true;
  return true;
}

void SaveKeepList(KeepList& list) {
  if (list.modified && list.loaded) {
    const std::string text = JoinLines(list.Entries());
    bool written = WriteWholeFile(list.path, text);
    if (!written) {
      DWORD a = GetFileAttributesA(list.path.c_str());
      if (a != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesA(list.path.c_str(), a & ~FILE_ATTRIBUTE_READONLY);
      written = WriteWholeFile(list.path, text);
    }
    if (!written)
      ShowMessageBox("Unable to save the protect file - " + ExtractFileName(list.path) +
                         "\r\nExecution will continue without saving the changes.",
                     "Quorvane  -  Message", MessageKind::Information, MessageButtons::Ok);
  }
  list.modified = false;
}
