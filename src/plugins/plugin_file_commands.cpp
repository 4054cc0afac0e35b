// The plugin file and folder commands: DELFILE, DELFOLD, DELTEXT, DELEXML, EXECUTE and EXEHIDE.
#include <windows.h>

#include <functional>

#include "core/report_rules.h"
#include "core/text_util.h"
#include "files/secure_erase.h"
#include "files/temp_protect_list.h"
#include "platform/files.h"
#include "platform/links.h"
#include "platform/reparse_rules.h"
#include "plugins/plugin_engine_internal.h"
#include "plugins/plugin_statement.h"

namespace plugin_engine {
namespace {
// The plugin lines' result column is two wider than the purges'.
constexpr size_t kPluginResultWidth = kResultWidth + 2;
constexpr const char* kProtected = "       Protected - ";

std::string ResultText(Engine& e) { return DeleteResultText(e.Preview(), kPluginResultWidth); }

std::string ShortNameOf(const std::string& path) {
  WIN32_FIND_DATAA fd;
  if (!FindFile().First(path, fd)) return {};
  return fd.cAlternateFileName[0] ? JoinPluginPath(ExtractFilePath(path), fd.cAlternateFileName)
                                  : std::string();
}

char ProtectCode(const std::string& path) {
  return MatchTempProtect(ExtractFilePath(path) + "\\", ExtractFileName(path));
}

void ReportFailure(Engine& e, unsigned long code, bool ignore, const std::string& path) {
  const std::string text = PluginErrorText(code, ignore);
  if (text == "          Locked - ") e.St().lockedFile = true;
  if (code == 0)
    e.Detail(text + path);
  else
    e.Line(text + path);
}

// DELFILE's deletion of one file, also used for each file of DELFOLD.
void DeleteOneFile(Engine& e, const std::string& path, const std::string& shortName) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  const bool exists =
      attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  if (exists) e.Count();
  const char code = ProtectCode(path);
  if (code == 'p') {
    e.Detail(kProtected + path);
    return;
  }
  if (!exists) {
    e.Detail("    file not present - " + path);
    return;
  }
  if (e.Preview()) {
    e.Detail(ResultText(e) + path);
    return;
  }
  // Under Wine a link to a file looks like a plain file, and deleting it reaches its target.
  const DeleteOutcome outcome = IsLinkToFile(path, attributes)
                                    ? RemoveFileLink(e.ctx, path)
                                    : DeleteDataFile(e.ctx, path, shortName);
  if (outcome.deleted || outcome.error == 0)
    e.Detail(DeletedResultText(outcome, kPluginResultWidth) + path);
  else if (!e.St().cancel)
    ReportFailure(e, outcome.error, code == 'i', path);
}

// An entry of a wide listing that no name in the ANSI code page reaches (a character the code
// page cannot hold, and no short name): said, never guessed at.
void ReportUnreachable(Engine& e, const std::string& path) {
  e.Count();
  ReportFailure(e, ERROR_INVALID_NAME, false, path);
}

// Runs `action` once for every existing folder a folder with wildcards names. Links to
// folders are never walked into: what lies behind them is outside what the plugin names.
void ExpandFolderWildcards(Engine& e, const std::string& folder,
                           const std::function<void(const std::string&)>& action) {
  if (!HasPluginWildcard(folder)) {
    action(folder);
    return;
  }
  const std::vector<std::string> parts = SplitPluginPath(folder);
  std::function<void(size_t, const std::string&)> walk = [&](size_t i, const std::string& path) {
    if (i == parts.size()) {
      action(path);
      return;
    }
    const std::string& part = parts[i];
    // Joined at every step but the first, so that a server path keeps its "\\\\".
    if (!HasPluginWildcard(part)) {
      walk(i + 1, i == 0 ? LowerCase(part) : path + "\\" + LowerCase(part));
      return;
    }
    std::vector<std::string> matches;
    for (const ListedEntry& entry : ListFolderWide(path + "\\*")) {
      if (!entry.IsFolder() || IsLinkReparse(entry.attributes, entry.reparseTag)) continue;
      if (!PluginWildcardMatch(entry.name, part)) continue;
      if (entry.Address().empty())
        ReportUnreachable(e, path + "\\" + UpperCase(entry.name));
      else
        matches.push_back(LowerCase(entry.Address()));
    }
    for (const auto& m : matches) walk(i + 1, path + "\\" + m);
  };
  walk(0, "");
}

bool ReadTextFile(const std::string& path, std::vector<std::string>& lines) {
  std::string text;
  if (!ReadWholeFile(path, text)) return false;
  lines = SplitLines(text);
  return true;
}

bool WriteTextFile(const std::string& path, const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += l + "\r\n";
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  return WriteWholeFile(path, text);
}

// The shared start of DELTEXT and DELEXML: the protect lookup and reading the file. A file
// that is a link is read but never written: its target lies outside what the plugin names.
bool OpenContentFile(Engine& e, const std::string& path, std::vector<std::string>& lines,
                     bool& writable) {
  if (ProtectCode(path) == 'p') {
    e.Detail(kProtected + path);
    return false;
  }
  if (!ReadTextFile(path, lines)) {
    e.Line("  File Not Found - " + path);
    return false;
  }
  // Under Wine a link to a file looks like a plain file, and rewriting it reaches its target.
  writable = !IsLinkToFile(path, GetFileAttributesA(path.c_str()));
  return true;
}

void SaveContentFile(Engine& e, const std::string& path, const std::vector<std::string>& lines,
                     bool writable) {
  if (e.Preview()) return;
  if (!writable || !WriteTextFile(path, lines)) e.Line("     Not updated - " + path);
}

void DeleteTextLines(Engine& e, const std::string& path, const std::string& text) {
  std::vector<std::string> lines;
  bool writable = false;
  if (!OpenContentFile(e, path, lines, writable)) return;
  bool removedAny = false;
  for (size_t i = lines.size(); i-- > 0;) {
    if (e.CancelSeen()) break;
    std::vector<std::string> one{lines[i]};
    const std::vector<std::string> gone = RemoveTextLines(one, text);
    if (gone.empty()) continue;
    e.Detail(ResultText(e) + gone.front());
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
    e.Count();
    removedAny = true;
  }
  if (removedAny) SaveContentFile(e, path, lines, writable);
}

void DeleteXmlElement(Engine& e, const std::string& path, const std::string& name) {
  std::vector<std::string> lines;
  bool writable = false;
  if (!OpenContentFile(e, path, lines, writable)) return;
  bool removedAny = false;
  std::vector<std::string> pieces;
  while (!e.St().cancel && RemoveFirstXmlElement(lines, name, pieces)) {
    for (const auto& p : pieces) e.Line(ResultText(e) + p);
    pieces.clear();
    e.Count();
    removedAny = true;
  }
  if (removedAny) SaveContentFile(e, path, lines, writable);
}

size_t ExtensionLength(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || name.find('\\', dot) != std::string::npos) return 0;
  return name.size() - dot;
}

// DELFOLD's walk. It is not the temp purge's PurgeFolderTree: the folder type decides per level
// what goes (only sub-folders "OD"/"OR", files only "IS", folders removed "DS"/"OD"), the filter's
// extension must match in length, a folder no plugin may empty is passed over, every file goes
// through DELFILE's deletion (its "file not present" and 19-wide lines), and a link to a file is
// told from its own attributes; the temp purge has none of these and an age filter besides.
void DeleteFolderFiles(Engine& e, const std::string& folder, const std::string& filter,
                       const std::string& type, bool top) {
  size_t n = ExtensionLength(filter);
  if (n > 0 && filter.find('*', filter.size() - n) != std::string::npos) n = 0;
  if (!(top && (type == "OD" || type == "OR"))) {
    std::vector<ListedEntry> files;
    for (ListedEntry& entry : ListFolderWide(folder + "\\" + filter)) {
      if (e.CancelSeen()) break;
      if (entry.IsFolder()) continue;
      if (n >= 1 && ExtensionLength(entry.name) != n) continue;
      files.push_back(std::move(entry));
    }
    for (const ListedEntry& f : files) {
      if (e.St().cancel) return;
      if (f.Address().empty()) {
        ReportUnreachable(e, folder + "\\" + UpperCase(f.name));
        continue;
      }
      // A name the code page cannot hold is reached, and reported, by its short name.
      const std::string path = folder + "\\" + UpperCase(f.Address());
      DeleteOneFile(e, path,
                    f.lossy || f.shortName.empty() ? std::string() : folder + "\\" + f.shortName);
    }
  }
  if (e.St().cancel) return;
  std::vector<std::pair<std::string, bool>> folders;  // name, is a link
  std::vector<std::string> unreachable;
  for (const ListedEntry& entry : ListFolderWide(folder + "\\*")) {
    if (e.CancelSeen()) break;
    if (!entry.IsFolder() || entry.name[0] == '.') continue;
    if (entry.Address().empty())
      unreachable.push_back(folder + "\\" + UpperCase(entry.name));
    else
      folders.emplace_back(UpperCase(entry.Address()),
                           IsLinkReparse(entry.attributes, entry.reparseTag));
  }
  if (type == "IS") return;
  for (const std::string& path : unreachable) ReportUnreachable(e, path);
  for (const auto& [name, link] : folders) {
    if (e.St().cancel) return;
    const std::string path = folder + "\\" + name;
    const bool removes = type == "DS" || type == "OD";
    // A protected sub-folder is skipped whole, as the temp purge does: never entered and
    // emptied. So is a folder no plugin may empty (the data folder below AppData, say).
    const char code = MatchTempProtect(path + "\\", name);
    if (code == 'p' || IsRefusedPluginFolder(UpperCase(LongFormOf(path)), e.facts.refusedFolders)) {
      if (removes) e.Count();
      e.Detail(kProtected + path);
      continue;
    }
    if (!link) DeleteFolderFiles(e, path, filter, type, false);
    if (!removes) continue;
    e.Count();
    if (e.Preview()) {
      e.Detail(ResultText(e) + path);
      continue;
    }
    unsigned long error = 0;
    if (!e.St().keepFiles) {
      if (link) {
        error = RemoveLinkItself(path, true);
      } else {
        const DWORD a = GetFileAttributesA(path.c_str());
        if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY))
          SetFileAttributesA(path.c_str(), a & ~FILE_ATTRIBUTE_READONLY);
        error = RemoveDirectoryA(path.c_str()) ? 0 : GetLastError();
      }
    }
    if (error == 0)
      e.Detail(ResultText(e) + path);
    else
      ReportFailure(e, error, code == 'i', path);
  }
}

void DeleteFolder(Engine& e, const PluginStatement& s, const std::string& folder) {
  if (RefusedForLink(e, folder) || RefusedFolderReached(e, folder)) return;
  if (MatchTempProtect(folder + "\\", ExtractFileName(folder)) == 'p') {
    e.Detail(kProtected + folder);
    return;
  }
  DeleteFolderFiles(e, folder, s.filter, s.folderType, true);
}

void RunProgram(Engine& e, const PluginStatement& s) {
  // The operand as written: joining folder and file name again would drop one backslash of
  // a "\\" before the last name (a server path among the arguments, say).
  const std::string& line = s.path;
  e.Count();
  if (e.Preview()) {
    e.Line("      to execute - " + line);
    return;
  }
  const bool wait = s.command == "EXECUTE";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = wait ? SW_SHOWNORMAL : SW_HIDE;
  PROCESS_INFORMATION pi = {};
  std::string buffer = line;
  buffer.push_back('\0');
  if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                      nullptr, nullptr, &si, &pi)) {
    e.Line("     exec failed - " + line);
    return;
  }
  if (wait) {
    // The program is waited for, as the user asked; the window still repaints meanwhile.
    while (WaitForSingleObject(pi.hProcess, 100) == WAIT_TIMEOUT) e.ctx.View().PumpMessages();
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  e.Line("        executed - " + line);
}
}  // namespace

void RunFileCommand(Engine& e, const PluginStatement& s) {
  if (s.command == "EXECUTE" || s.command == "EXEHIDE") {
    RunProgram(e, s);
    return;
  }
  if (RefusedForUnreadableProtectList(e)) return;
  if (s.command == "DELFOLD") {
    ExpandFolderWildcards(e, s.path, [&](const std::string& f) { DeleteFolder(e, s, f); });
    return;
  }
  ExpandFolderWildcards(e, s.folder, [&](const std::string& f) {
    if (RefusedForLink(e, f)) return;
    const std::string path = JoinPluginPath(f, s.fileName);
    if (s.command == "DELFILE")
      DeleteOneFile(e, path, ShortNameOf(path));
    else if (s.command == "DELTEXT")
      DeleteTextLines(e, path, s.text);
    else
      DeleteXmlElement(e, path, s.text);
  });
}
}  // namespace plugin_engine
