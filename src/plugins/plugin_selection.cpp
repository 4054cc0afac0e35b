#include "plugins/plugin_selection.h"

#include <windows.h>

#include <algorithm>

#include "core/folders.h"
#include "core/text_util.h"
#include "platform/files.h"
#include "plugins/plugin_statement.h"

namespace {
std::vector<std::string>& Selection() {
  static std::vector<std::string> names;
  return names;
}
}  // namespace

std::string PluginFolder() { return Folders().programFolder + "\\PLUGINS"; }

std::string PluginSelectionFile() {
  const AppFolders& f = Folders();
  return (f.ffDatExe ? f.programFolder : f.dataFolder) + "\\PLUGINS.DAT";
}

bool IsPluginFileName(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  const std::string ext = UpperCase(name.substr(dot));
  return ext == ".STD" || ext == ".CUS";
}

// One level only: a program folder that is itself missing is not made here.
void EnsurePluginFolder() {
  if (!DirectoryExists(PluginFolder())) CreateDirectoryA(PluginFolder().c_str(), nullptr);
}

void LoadPluginSelectionList() {
  std::vector<std::string>& names = Selection();
  names.clear();
  std::string text;
  if (!ReadWholeFile(PluginSelectionFile(), text)) return;
  for (const std::string& line : SplitLines(text)) {
    const std::string name = UpperCase(Trim(line));
    if (!name.empty()) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
}

const std::vector<std::string>& PluginSelection() { return Selection(); }

bool PluginSelected(const std::string& name) {
  const std::string upper = UpperCase(name);
  for (const auto& n : Selection())
    if (n == upper) return true;
  return false;
}

bool SavePluginSelection(const std::vector<std::string>& names) {
  std::vector<std::string>& selection = Selection();
  selection.clear();
  std::string text;
  for (const auto& n : names) {
    selection.push_back(UpperCase(n));
    text += UpperCase(n) + "\r\n";
  }
  const std::string file = PluginSelectionFile();
  const DWORD attributes = GetFileAttributesA(file.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesA(file.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  return WriteWholeFile(file, text);
}

bool ReadPluginLines(const std::string& path, std::vector<std::string>& lines,
                     std::string* problem) {
  lines.clear();
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return false;
  const std::string why = PluginFileLines(
      bytes,
      [](const std::u16string& text) -> std::optional<std::string> {
        if (text.empty()) return std::string();
        const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
        const int length = static_cast<int>(text.size());
        BOOL lost = FALSE;
        const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0,
                                          nullptr, &lost);
        if (n <= 0 || lost) return std::nullopt;
        std::string ansi(n, '\0');
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, length, ansi.data(), n, nullptr,
                            nullptr);
        return ansi;
      },
      lines);
  if (problem) *problem = why;
  return true;
}
