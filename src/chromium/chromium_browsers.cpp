#include "chromium/chromium_browsers.h"

#include <windows.h>

#include <algorithm>

#include "chromium/local_state.h"
#include "core/text_util.h"
#include "platform/files.h"
#include "platform/shell_folders.h"
#include "platform/sqlite_module.h"

namespace {
// The stable releases and the channels installed beside them (Canary as "SxS"). A channel
// runs its stable release's executable; every Opera runs opera.exe, so only its lock file
// tells which one runs.
const std::vector<ChromiumBrowserKind> kKinds = {
    {"Google Chrome", false, "Google\\Chrome\\User Data", "chrome.exe"},
    {"Google Chrome Beta", false, "Google\\Chrome Beta\\User Data", "chrome.exe"},
    {"Google Chrome Dev", false, "Google\\Chrome Dev\\User Data", "chrome.exe"},
    {"Google Chrome Canary", false, "Google\\Chrome SxS\\User Data", "chrome.exe"},
    {"Microsoft Edge", false, "Microsoft\\Edge\\User Data", "msedge.exe"},
    {"Microsoft Edge Beta", false, "Microsoft\\Edge Beta\\User Data", "msedge.exe"},
    {"Microsoft Edge Dev", false, "Microsoft\\Edge Dev\\User Data", "msedge.exe"},
    {"Microsoft Edge Canary", false, "Microsoft\\Edge SxS\\User Data", "msedge.exe"},
    {"Brave", false, "BraveSoftware\\Brave-Browser\\User Data", "brave.exe"},
    {"Brave Beta", false, "BraveSoftware\\Brave-Browser-Beta\\User Data", "brave.exe"},
    {"Brave Nightly", false, "BraveSoftware\\Brave-Browser-Nightly\\User Data", "brave.exe"},
    {"Vivaldi", false, "Vivaldi\\User Data", "vivaldi.exe"},
    {"Chromium", false, "Chromium\\User Data", "chrome.exe"},
    {"Opera", true, "Opera Software\\Opera Stable", ""},
    {"Opera GX", true, "Opera Software\\Opera GX Stable", ""},
    {"Opera Beta", true, "Opera Software\\Opera Next", ""},
    {"Opera Developer", true, "Opera Software\\Opera Developer", ""},
};

bool HoldsPreferences(const std::string& folder) { return FileExists(folder + "\\Preferences"); }

// The sub-folders of a folder that hold Preferences, sorted by name.
std::vector<std::string> FoldersWithPreferences(const std::string& root) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  FindFile find;
  for (bool more = find.First(root + "\\*", fd); more; more = find.Next(fd)) {
    const std::string name = fd.cFileName;
    // A link is not followed: a profile is a real folder of the user-data folder.
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || !SafeProfileName(name))
      continue;
    if (HoldsPreferences(root + "\\" + name)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

ChromiumBrowser Examine(const ChromiumBrowserKind& kind, const std::string& base,
                        const std::string& localAppData) {
  ChromiumBrowser b;
  b.name = kind.name;
  b.userData = base + "\\" + kind.userData;
  b.processName = kind.processName;
  // Opera keeps its cache under the local folder, at the same place below it.
  b.cacheData = kind.roaming ? localAppData + "\\" + kind.userData : b.userData;
  auto add = [&](const std::string& name, const std::string& sub) {
    b.profiles.push_back({name, b.userData + sub, b.cacheData + sub});
  };
  std::vector<std::string> names;
  std::string text;
  const std::string localState = b.userData + "\\Local State";
  bool fromLocalState = false;
  if (FileExists(localState)) {
    if (ReadWholeFile(localState, text) && ReadLocalStateProfiles(text, names))
      fromLocalState = true;
    else
      b.notes.push_back("Local State of " + b.name +
                        " could not be read: profiles are the folders holding Preferences");
  }
  if (!fromLocalState) names = FoldersWithPreferences(b.userData);
  for (const auto& name : names)
    if (HoldsPreferences(b.userData + "\\" + name)) add(name, "\\" + name);
  if (kind.roaming && b.profiles.empty() && HoldsPreferences(b.userData))
    add(ExtractFileName(b.userData), "");
  return b;
}
}  // namespace

const std::vector<ChromiumBrowserKind>& ChromiumBrowserKinds() { return kKinds; }

std::vector<ChromiumBrowser> FindChromiumBrowsers(const std::string& localAppData,
                                                  const std::string& appData) {
  std::vector<ChromiumBrowser> found;
  for (const auto& kind : kKinds) {
    const std::string& base = kind.roaming ? appData : localAppData;
    if (base.empty() || !DirectoryExists(base + "\\" + kind.userData)) continue;
    found.push_back(Examine(kind, base, localAppData));
  }
  return found;
}

std::vector<ChromiumBrowser> FindChromiumBrowsers() {
  const SpecialFolder local = GetSpecialFolder(kCsidlLocalAppData);
  const SpecialFolder roaming = GetSpecialFolder(kCsidlAppData);
  return FindChromiumBrowsers(local.ok ? local.text : "", roaming.ok ? roaming.text : "");
}

std::vector<std::string> ChromiumFolderLines(const std::vector<ChromiumBrowser>& browsers) {
  std::vector<std::string> lines;
  if (browsers.empty()) {
    lines.push_back("   Chromium Browser - ..none found..");
    return lines;
  }
  for (const auto& b : browsers) {
    lines.push_back(PadLeft(b.name, 19) + " - " + b.userData);
    for (const auto& p : b.profiles) {
      lines.push_back("            Profile - " + p.folder);
      if (p.cacheFolder != p.folder) lines.push_back("       Cache Folder - " + p.cacheFolder);
    }
    if (b.profiles.empty()) lines.push_back("            Profile - ..none found..");
    for (const auto& note : b.notes) lines.push_back("    -Note- " + note);
  }
  lines.push_back("      SQLite Module - " + BuiltinSqliteName() +
                  " (these browsers export no SQLite of their own)");
  return lines;
}
