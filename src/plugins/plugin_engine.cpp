#include "plugins/plugin_engine.h"

#include <windows.h>

#include <functional>

#include "core/command_line.h"
#include "core/folders.h"
#include "core/os_flags.h"
#include "core/report_rules.h"
#include "core/text_util.h"
#include "files/secure_erase.h"
#include "files/temp_protect_list.h"
#include "platform/files.h"
#include "platform/links.h"
#include "platform/registry.h"
#include "platform/shell_folders.h"
#include "plugins/plugin_selection.h"
#include "plugins/plugin_statement.h"

namespace {
constexpr const char* kCancelled = "*** Cancelled by operator.";
constexpr const char* kDeleted = "         deleted - ";
constexpr const char* kToDelete = "       to delete - ";
constexpr const char* kProtected = "       Protected - ";

// Everything one plugin's commands share while they run.
struct Engine {
  ReportContext& ctx;
  bool rot13 = false;
  PluginPathFacts facts;

  RunState& St() { return ctx.State(); }
  bool Preview() { return St().preview; }
  void Line(const std::string& s) { ctx.AddReportLine(s); }
  void Detail(const std::string& s) { ctx.AddDetailLine(s); }
  // The engine counts without the status-line refresh of CountItem, but lets messages run
  // now and then so that "Cancel / Stop" is seen.
  void Count() {
    ++PluginEntryCount();
    ++St().processed;
    if (St().processed % 10 == 0) ctx.View().PumpMessages();
  }
  bool CancelSeen() {
    if (!St().cancel) return false;
    Line(kCancelled);
    return true;
  }
  std::string Shown(const std::string& subject) { return rot13 ? Rot13(subject) : subject; }
  void Refuse(const std::string& why) {
    Line(" -Error- Previous statement not processed - " + why);
    ctx.RaiseLevel(3);
  }
};

// --- what a statement may reach ----------------------------------------------------------

// The path Windows will really use for a written one; empty when it cannot be made.
std::string FullPathOf(const std::string& path) {
  char buffer[4 * MAX_PATH];
  const DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  if (n == 0 || n >= sizeof buffer) return {};
  return std::string(buffer, n);
}

// The long form of an existing path (an 8.3 name such as PROGRA~1 names the same folder).
std::string LongFormOf(const std::string& path) {
  char buffer[4 * MAX_PATH];
  const DWORD n = GetLongPathNameA(path.c_str(), buffer, sizeof buffer);
  if (n == 0 || n >= sizeof buffer) return path;
  return std::string(buffer, n);
}

std::string EnvironmentPath(const char* name) {
  char buffer[4 * MAX_PATH];
  const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return n == 0 || n >= sizeof buffer ? std::string() : std::string(buffer, n);
}

std::string ExpandedString(const std::string& text) {
  char buffer[4 * MAX_PATH];
  const DWORD n = ExpandEnvironmentStringsA(text.c_str(), buffer, sizeof buffer);
  return n == 0 || n > sizeof buffer ? text : std::string(buffer);
}

// The folders no plugin may empty as a whole, even when it names one exactly: the Windows and
// system folders, the Program Files folders, the Users folder and each profile root, and the
// data folder. Each appears in its long form, upper-cased.
std::vector<std::string> RefusedFolders() {
  std::vector<std::string> list;
  auto add = [&](const std::string& folder) {
    if (folder.empty()) return;
    std::string f = UpperCase(LongFormOf(folder));
    while (f.size() > 3 && f.back() == '\\') f.pop_back();
    list.push_back(f);
  };
  char buffer[4 * MAX_PATH];
  if (UINT n = GetWindowsDirectoryA(buffer, sizeof buffer); n && n < sizeof buffer) {
    const std::string windows(buffer, n);
    add(windows);
    add(windows + "\\SYSTEM");
    add(windows + "\\SYSWOW64");
  }
  if (UINT n = GetSystemDirectoryA(buffer, sizeof buffer); n && n < sizeof buffer)
    add(std::string(buffer, n));
  // Windows, system, system (x86), program files, program files (x86), profile.
  for (int csidl : {36, 37, 41, kCsidlProgramFiles, 42, 40}) {
    const SpecialFolder f = GetSpecialFolder(csidl);
    if (f.ok) add(f.text);
  }
  for (const char* name : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432", "ALLUSERSPROFILE",
                           "USERPROFILE", "PUBLIC"})
    add(EnvironmentPath(name));
  // The Users folder(s) and every profile in them, and those the system lists elsewhere.
  std::vector<std::string> users;
  const std::string profile = EnvironmentPath("USERPROFILE");
  if (!profile.empty()) users.push_back(ExtractFilePath(profile));
  {
    RegKey listKey;
    if (listKey.OpenRead(HKEY_LOCAL_MACHINE,
                         "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList") ==
        ERROR_SUCCESS) {
      if (auto dir = listKey.ReadString("ProfilesDirectory")) users.push_back(ExpandedString(*dir));
      for (const auto& sid : listKey.SubkeyNames()) {
        RegKey one;
        if (one.OpenRead(listKey, sid) != ERROR_SUCCESS) continue;
        if (auto image = one.ReadString("ProfileImagePath")) add(ExpandedString(*image));
      }
    }
  }
  for (const auto& folder : users) {
    add(folder);
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) continue;
    do {
      const std::string name = fd.cFileName;
      if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
        add(folder + "\\" + name);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  add(Folders().dataFolder);
  return list;
}

// A folder a wildcard (or an 8.3 name) led to that is on the refused list.
bool RefusedFolderReached(Engine& e, const std::string& folder) {
  if (!IsRefusedPluginFolder(UpperCase(LongFormOf(folder)), e.facts.refusedFolders)) return false;
  e.Refuse(folder + " is a folder no plugin may empty");
  return true;
}

// A protect list that exists but could not be read protects what we cannot see: the file
// commands that consult it do nothing rather than delete as if nothing were protected.
bool RefusedForUnreadableProtectList(Engine& e) {
  if (!TempProtectEntries().unreadable) return false;
  e.Line(" -Error- Previous statement not processed - existing Protect file could not be opened");
  e.ctx.RaiseLevel(7);
  return true;
}

// --- files and folders -------------------------------------------------------------------

// Under Wine a link to a file looks like a plain file, and deleting or rewriting it reaches
// its target: it shows itself by resolving elsewhere than where it lies.
bool IsLinkedFile(const std::string& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
  if (!RunningUnderWine()) return false;
  const std::string final = FinalPathOf(path), folderFinal = FinalPathOf(ExtractFilePath(path));
  return !final.empty() && !folderFinal.empty() &&
         !SameText(final, folderFinal + "\\" + ExtractFileName(path));
}

std::string ShortNameOf(const std::string& path) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(path.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return {};
  FindClose(h);
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
    e.Detail(kToDelete + path);
    return;
  }
  bool deleted;
  if (IsLinkedFile(path, attributes)) {
    const unsigned long error = ParamSwitch("KeepFiles") ? 0 : RemoveLinkItself(path, false);
    LastDeleteError() = error;
    deleted = error == 0;
  } else {
    LastDeleteError() = 0;
    deleted = DeleteDataFile(e.ctx, path, shortName);
  }
  if (deleted || LastDeleteError() == 0)
    e.Detail(DeletedResultText(kDeleted) + path);
  else if (!e.St().cancel)
    ReportFailure(e, LastDeleteError(), code == 'i', path);
}

bool IsFolderEntry(const WIN32_FIND_DATAA& fd) {
  return (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Runs `action` once for every existing folder a folder with wildcards names. Links to
// folders are never walked into: what lies behind them is outside what the plugin names.
void ExpandFolderWildcards(const std::string& folder,
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
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
      const std::string name = fd.cFileName;
      if (!IsFolderEntry(fd) || name == "." || name == ".." ||
          (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        continue;
      if (PluginWildcardMatch(name, part)) matches.push_back(LowerCase(name));
    } while (FindNextFileA(h, &fd));
    FindClose(h);
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
  writable = !IsLinkedFile(path, GetFileAttributesA(path.c_str()));
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
    e.Detail((e.Preview() ? kToDelete : kDeleted) + gone.front());
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
    for (const auto& p : pieces) e.Line((e.Preview() ? kToDelete : kDeleted) + p);
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

void DeleteFolderFiles(Engine& e, const std::string& folder, const std::string& filter,
                       const std::string& type, bool top) {
  size_t n = ExtensionLength(filter);
  if (n > 0 && filter.find('*', filter.size() - n) != std::string::npos) n = 0;
  if (!(top && (type == "OD" || type == "OR"))) {
    std::vector<std::pair<std::string, std::string>> files;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\" + filter).c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        if (e.CancelSeen()) break;
        if (IsFolderEntry(fd)) continue;
        const std::string name = fd.cFileName;
        if (n >= 1 && ExtensionLength(name) != n) continue;
        files.emplace_back(name, fd.cAlternateFileName);
      } while (FindNextFileA(h, &fd));
      FindClose(h);
    }
    for (const auto& [name, shortName] : files) {
      if (e.St().cancel) return;
      const std::string path = folder + "\\" + UpperCase(name);
      DeleteOneFile(e, path, shortName.empty() ? std::string() : folder + "\\" + shortName);
    }
  }
  if (e.St().cancel) return;
  std::vector<std::pair<std::string, bool>> folders;  // name, is a link
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      if (e.CancelSeen()) break;
      if (!IsFolderEntry(fd) || fd.cFileName[0] == '.') continue;
      folders.emplace_back(UpperCase(fd.cFileName),
                           (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  if (type == "IS") return;
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
      e.Detail(kToDelete + path);
      continue;
    }
    unsigned long error = 0;
    if (!ParamSwitch("KeepFiles")) {
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
      e.Detail(kDeleted + path);
    else
      ReportFailure(e, error, code == 'i', path);
  }
}

// The first folder along the path (below its drive) that is a link or junction, or empty.
// A plugin names paths; a link on the way (a user folder that Wine links to the Linux home,
// say) leads somewhere it did not name, and the statement is refused there.
std::string LinkAlongPath(const std::string& folder) {
  const std::vector<std::string> parts = SplitPluginPath(folder);
  std::string path;
  for (size_t i = 0; i < parts.size(); ++i) {
    path += (i ? "\\" : "") + parts[i];
    if (i == 0 || parts[i].empty() || (folder.rfind("\\\\", 0) == 0 && i < 4)) continue;
    const DWORD a = GetFileAttributesA(path.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT)) return path;
  }
  return {};
}

bool RefusedForLink(Engine& e, const std::string& folder) {
  const std::string link = LinkAlongPath(folder);
  if (link.empty()) return false;
  e.Refuse(link + " is a link");
  return true;
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

void RunFileCommand(Engine& e, const PluginStatement& s) {
  if (s.command == "EXECUTE" || s.command == "EXEHIDE") {
    RunProgram(e, s);
    return;
  }
  if (RefusedForUnreadableProtectList(e)) return;
  if (s.command == "DELFOLD") {
    ExpandFolderWildcards(s.path, [&](const std::string& f) { DeleteFolder(e, s, f); });
    return;
  }
  ExpandFolderWildcards(s.folder, [&](const std::string& f) {
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

// --- registry ----------------------------------------------------------------------------

HKEY RootOf(const std::string& root) {
  if (root == "HKCR") return HKEY_CLASSES_ROOT;
  if (root == "HKCU") return HKEY_CURRENT_USER;
  if (root == "HKLM") return HKEY_LOCAL_MACHINE;
  if (root == "HKU") return HKEY_USERS;
  if (root == "HKCC") return HKEY_CURRENT_CONFIG;
  return nullptr;
}

std::string TypeName(DWORD type) {
  static const char* kNames[] = {"Reg_None",
                                 "Reg_Sz",
                                 "Reg_Expand_Sz",
                                 "Reg_Binary",
                                 "Reg_Dword",
                                 "Reg_Dword_Big_Endian",
                                 "Reg_Link",
                                 "Reg_Multi_Sz",
                                 "Reg_Resource_List",
                                 "Reg_Full_Resource_Descriptor",
                                 "Reg_Resource_Requirements_List"};
  return type < 11 ? kNames[type] : "Unknown DataType";
}

std::vector<std::string> ValueNames(HKEY key) {
  std::vector<std::string> names;
  char name[16384];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    names.emplace_back(name, size);
  }
  return names;
}

// False when the value does not exist.
bool DeleteOneValue(Engine& e, HKEY root, const std::string& key, const std::string& displayKey,
                    const std::string& value) {
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &h) != ERROR_SUCCESS &&
      RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS)
    return false;
  struct Closer {
    HKEY h;
    ~Closer() { RegCloseKey(h); }
  } closer{h};
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(h, value.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return false;
  std::string dataText;
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    std::string data(size + 1, '\0');
    DWORD got = size;
    RegQueryValueExA(h, value.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                     &got);
    data.resize(strnlen(data.c_str(), data.size()));
    dataText = " - " + data;
  } else {
    dataText = " - Type = " + TypeName(type);
  }
  const std::string subject = e.Shown(displayKey.empty() ? value : displayKey + "[" + value + "]");
  e.Count();
  if (e.Preview()) {
    e.Detail("   to delete Val - " + subject + dataText);
  } else if (RegDeleteValueA(h, value.c_str()) == ERROR_SUCCESS) {
    e.Detail("     Val deleted - " + subject + dataText);
  } else {
    e.Line("   del Val fails - " + subject + dataText);
  }
  return true;
}

// False when the key does not exist. The key is opened as a link: a registry link is deleted
// itself and never walked, so that nothing behind it (in another part of the registry) goes.
bool DeleteKeyTree(Engine& e, HKEY root, const std::string& key) {
  std::vector<std::string> subkeys;
  {
    RegKey k;
    if (k.OpenLink(root, key) != ERROR_SUCCESS) return false;
    if (!k.IsLink()) subkeys = k.SubkeyNames();
  }
  for (const auto& sub : subkeys) {
    if (e.St().cancel) return true;
    DeleteKeyTree(e, root, key + "\\" + UpperCase(sub));
  }
  e.Count();
  if (e.Preview())
    e.Detail("   to delete Key - " + e.Shown(key));
  else if (DeleteKeyItself(root, key) == ERROR_SUCCESS)
    e.Detail("     Key deleted - " + e.Shown(key));
  else
    e.Line("   del Key fails - " + e.Shown(key));
  return true;
}

// The first key along the path that is a registry link, or empty; the last name counts only
// when `withLast`. Opening a key follows every link on its way, so a statement whose key
// passes through one would work somewhere it did not name.
std::string LinkAlongKey(HKEY root, const std::string& key, bool withLast) {
  const std::vector<std::string> parts = SplitPluginPath(key);
  std::string path;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (parts[i].empty()) continue;
    path += (path.empty() ? "" : "\\") + parts[i];
    if (i + 1 == parts.size() && !withLast) break;
    if (IsRegistryLink(root, path)) return path;
  }
  return {};
}

void ExpandKeyWildcards(Engine& e, HKEY root, const PluginStatement& s,
                        const std::function<void(const std::string&)>& op) {
  if (!HasPluginWildcard(s.key)) {
    op(s.key);
    return;
  }
  const std::vector<std::string> parts = SplitPluginPath(s.key);
  std::function<void(size_t, const std::string&)> walk = [&](size_t i, const std::string& path) {
    if (e.St().cancel) return;
    if (i == parts.size()) {
      e.Line("    key=" + s.root + ":" + e.Shown(path));
      op(path);
      return;
    }
    const std::string& part = parts[i];
    if (!HasPluginWildcard(part)) {
      walk(i + 1, path.empty() ? part : path + "\\" + part);
      return;
    }
    std::vector<std::string> subkeys;
    {
      RegKey k;
      if (k.OpenRead(root, path) != ERROR_SUCCESS) return;
      subkeys = k.SubkeyNames();
    }
    for (const auto& sub : subkeys) {
      if (!PluginWildcardMatch(sub, part)) continue;
      const std::string next = path.empty() ? UpperCase(sub) : path + "\\" + UpperCase(sub);
      // Links are never walked through, as folder links are not.
      if (!IsRegistryLink(root, next)) walk(i + 1, next);
    }
  };
  walk(0, "");
}

void RunRegistryCommand(Engine& e, const PluginStatement& s) {
  HKEY root = RootOf(s.root);
  if (!root) {
    e.Line("    invalid Root - " + s.root);
    e.ctx.RaiseLevel(5);
    return;
  }
  ExpandKeyWildcards(e, root, s, [&](const std::string& key) {
    if (const std::string problem = PluginKeyProblem(s.command, s.root, key); !problem.empty()) {
      e.Refuse(problem);
      return;
    }
    if (const std::string link = LinkAlongKey(root, key, s.command != "DEL1KEY"); !link.empty()) {
      e.Refuse(s.root + ":" + e.Shown(link) + " is a link");
      return;
    }
    if (s.command == "DEL1VAL") {
      if (!DeleteOneValue(e, root, key, {}, s.value))
        e.Detail("   value not present - " + e.Shown(s.value));
    } else if (s.command == "DELVALS") {
      std::vector<std::string> names;
      {
        RegKey k;
        if (k.OpenRead(root, key) != ERROR_SUCCESS) return;
        names = ValueNames(k);
      }
      for (const auto& v : names) {
        if (e.St().cancel) return;
        if (MatchesPluginPattern(UpperCase(v), s.pattern, s.matchMode))
          DeleteOneValue(e, root, key, {}, UpperCase(v));
      }
    } else if (s.command == "DELSKVS") {
      std::vector<std::string> subkeys;
      {
        RegKey k;
        if (k.OpenRead(root, key) != ERROR_SUCCESS) return;
        subkeys = k.SubkeyNames();
      }
      for (const auto& sub : subkeys) {
        const std::string subKey = key + "\\" + sub;
        if (IsRegistryLink(root, subKey)) continue;
        std::vector<std::string> names;
        {
          RegKey k;
          if (k.OpenRead(root, subKey) != ERROR_SUCCESS) continue;
          names = ValueNames(k);
        }
        for (const auto& v : names) {
          if (e.St().cancel) return;
          if (MatchesPluginPattern(UpperCase(v), s.pattern, s.matchMode))
            DeleteOneValue(e, root, subKey, sub, UpperCase(v));
        }
      }
    } else if (s.command == "DEL1KEY") {
      if (!DeleteKeyTree(e, root, key)) e.Detail("     key not present - " + e.Shown(key));
    } else if (s.command == "DELKEYS") {
      std::vector<std::string> subkeys;
      {
        RegKey k;
        if (k.OpenRead(root, key) != ERROR_SUCCESS) return;
        subkeys = k.SubkeyNames();
      }
      for (const auto& sub : subkeys) {
        if (e.St().cancel) return;
        const std::string name = UpperCase(sub);
        if (MatchesPluginPattern(name, s.pattern, s.matchMode))
          DeleteKeyTree(e, root, key + "\\" + name);
      }
    }
  });
}

std::optional<std::string> NamedMacro(const std::string& name) {
  auto folder = [](int csidl) -> std::optional<std::string> {
    SpecialFolder f = GetSpecialFolder(csidl);
    if (!f.ok || f.text.empty()) return std::nullopt;
    return f.text;
  };
  if (name == "USERSOFTWARE")
    return std::string(CurrentOsFlags().vista ? "Software\\AppDataLow\\Software" : "Software");
  if (name == "COMPUTER" || name == "USER") {
    char buffer[256] = {};
    DWORD size = sizeof buffer;
    const BOOL ok =
        name == "COMPUTER" ? GetComputerNameA(buffer, &size) : GetUserNameA(buffer, &size);
    if (!ok || !buffer[0]) return std::nullopt;
    return std::string(buffer);
  }
  if (name == "APPDATA") return folder(kCsidlAppData);
  if (name == "LOCALAPPDATA") return folder(kCsidlLocalAppData);
  if (name == "PICTURES") return folder(39);
  if (name == "DOCUMENTS") return folder(5);
  return std::nullopt;
}
}  // namespace

long long& PluginEntryCount() {
  static long long count = 0;
  return count;
}

std::string ExpandPluginMacros(const std::string& line) {
  PluginMacroSources sources;
  sources.named = NamedMacro;
  sources.registryString = [](const std::string& root, const std::string& key,
                              const std::string& value) -> std::optional<std::string> {
    HKEY hive = RootOf(root);
    if (!hive) return std::nullopt;
    RegKey k;
    if (k.OpenRead(hive, key) != ERROR_SUCCESS) return std::nullopt;
    return k.ReadString(value);
  };
  sources.environment = [](const std::string& text) {
    const DWORD size = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    if (size == 0) return text;
    std::string out(size, '\0');
    if (ExpandEnvironmentStringsA(text.c_str(), out.data(), size) == 0) return text;
    out.resize(strnlen(out.c_str(), out.size()));
    return out;
  };
  return ExpandPluginMacrosWith(line, sources);
}

void RunPlugin(ReportContext& ctx, const std::vector<std::string>& lines, bool perPluginTotals) {
  Engine e{ctx, false, {}};
  e.facts.fullPath = FullPathOf;
  e.facts.refusedFolders = RefusedFolders();
  const bool trace = ParamSwitch("debug");
  bool levelRefused = false;
  if (perPluginTotals) PluginEntryCount() = 0;
  for (const std::string& raw : lines) {
    if (e.CancelSeen()) return;
    const std::string line = UpperCase(raw);
    if (levelRefused) {
      e.Line(line);
      continue;
    }
    if (StartsWith(line, "ROT13")) {
      e.rot13 = true;
      if (ctx.State().detail || perPluginTotals) e.Line("* " + line);
      continue;
    }
    if (IsLevelLine(line)) {
      e.Line("* " + line);
      if (PluginLevelOf(line) > kPluginLevel) {
        e.Line("Error - Quorvane is not programmed to support this Plugin level");
        e.Line("        You need to upgrade Quorvane to the new version to process this Plugin");
        levelRefused = true;
      }
      continue;
    }
    try {
      const std::string expanded = ExpandPluginMacros(line);
      const PluginStatement s = ParsePluginStatement(expanded);
      if (s.invalidType) {
        e.Line(line);
        e.Line(" -Error- Previous statement not processed - has invalid Type field");
        continue;
      }
      if (s.kind == 'T') {
        if (ctx.State().detail || perPluginTotals) e.Line("* " + line);
        continue;
      }
      e.Line(line);
      if (expanded != line) {
        e.Line("      The above command expands to:");
        e.Line(expanded);
      }
      if (trace)
        for (const auto& t : PluginTraceLines(s)) e.Line(t);
      // The statement runs on the full path Windows makes of what it names.
      PluginStatement resolved = s;
      const std::string problem = ResolvePluginStatement(resolved, e.facts);
      if (!problem.empty()) {
        e.Refuse(problem);
        continue;
      }
      if (resolved.kind == 'F')
        RunFileCommand(e, resolved);
      else
        RunRegistryCommand(e, resolved);
    } catch (...) {
      // One command's failure is its own; the plugin goes on with the next line.
    }
  }
  if (perPluginTotals) {
    const long long n = PluginEntryCount();
    e.Line(n == 1 ? "    1 - Entry processed for this Plugin"
                  : "   " + std::to_string(n) + " - Entries processed for this Plugin");
    e.Line(" ");
  }
}

void RunSelectedPlugins(ReportContext& ctx) {
  const std::vector<std::string> names = PluginSelection();
  if (names.empty()) {
    ctx.AddReportLine("    No Plugins are selected.");
    return;
  }
  PluginEntryCount() = 0;
  bool first = true;
  for (const auto& name : names) {
    if (ctx.Cancelled()) {
      ctx.AddReportLine(kCancelled);
      return;
    }
    std::vector<std::string> lines;
    if (!ReadPluginLines(PluginFolder() + "\\" + name, lines)) continue;
    if (!first) ctx.AddReportLine(" ");
    first = false;
    ctx.AddReportLine("Process Plugin - " + name);
    RunPlugin(ctx, lines, false);
    if (ctx.Cancelled()) return;
  }
  const long long n = PluginEntryCount();
  ctx.AddReportLine(n == 1 ? "  Run Plugins Function Completed.  1 - Entry processed."
                           : "  Run Plugins Function Completed.  " + std::to_string(n) +
                                 " - Entries processed.");
}
