// What a plugin statement may reach: the full path Windows makes of a written one, the
// folders no plugin may empty, links along a path, and the refusal when the protect list
// cannot be read.
#include <windows.h>

#include "core/folders.h"
#include "core/text_util.h"
#include "files/temp_protect_list.h"
#include "platform/files.h"
#include "platform/links.h"
#include "platform/registry.h"
#include "platform/shell_folders.h"
#include "plugins/plugin_engine_internal.h"
#include "plugins/plugin_statement.h"

namespace plugin_engine {
std::string LongFormOf(const std::string& path) {
  char buffer[4 * MAX_PATH];
  const DWORD n = GetLongPathNameA(path.c_str(), buffer, sizeof buffer);
  if (n == 0 || n >= sizeof buffer) return path;
  return std::string(buffer, n);
}

namespace {
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
}  // namespace

// Even when a plugin names one exactly.
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
    // Listed wide: a look-alike of a name the code page cannot hold may be another folder.
    for (const ListedEntry& entry : ListFolderWide(folder + "\\*"))
      if (entry.IsFolder() && !entry.Address().empty()) add(folder + "\\" + entry.Address());
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

namespace {
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
    if (a != INVALID_FILE_ATTRIBUTES && IsLinkByReparse(path, a)) return path;
  }
  return {};
}
}  // namespace

bool RefusedForLink(Engine& e, const std::string& folder) {
  const std::string link = LinkAlongPath(folder);
  if (link.empty()) return false;
  e.Refuse(link + " is a link");
  return true;
}
}  // namespace plugin_engine
