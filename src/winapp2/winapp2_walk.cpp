#include "winapp2/winapp2_walk.h"

#include <windows.h>

#include <functional>

#include "platform/ansi_utf8.h"
#include "platform/case_mapping.h"
#include "platform/files.h"
#include "platform/links.h"
#include "platform/reparse_rules.h"
#include "plugins/plugin_statement.h"
#include "winapp2/winapp2_rules.h"
#include "winapp2/winapp2_system.h"

namespace {
bool IsAscii(const std::string& s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

bool IsFolderLink(const ListedEntry& e) { return IsLinkReparse(e.attributes, e.reparseTag); }

// Every level of the pattern after its root, walked from the root; `filesToo` says whether the
// last level is matched against files as well as folders. The walk ends when `found` answers
// false: detection needs one match, not all.
void Walk(const std::string& pattern, bool filesToo,
          const std::function<bool(const std::string&)>& found,
          std::vector<std::string>* unreachable) {
  const PluginPathParts parts = SplitFullPath(pattern);
  if (parts.root.empty()) return;
  const std::string root = AnsiReach(parts.root);
  if (root.empty()) return;
  // A path without wildcards or names beyond ASCII is one question to the system, which
  // answers for every level at once: detection asks thousands of such paths, most of them
  // missing.
  bool plain = !parts.names.empty();
  for (const auto& level : parts.names) plain = plain && IsAscii(level) && !HasPluginWildcard(level);
  if (plain) {
    std::string path = root;
    for (const auto& level : parts.names) path += (path.back() == '\\' ? "" : "\\") + level;
    const DWORD a = GetFileAttributesA(path.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && ((a & FILE_ATTRIBUTE_DIRECTORY) || filesToo)) found(path);
    return;
  }
  // False once `found` has asked to stop.
  std::function<bool(size_t, const std::string&)> step = [&](size_t i, const std::string& path) {
    if (i == parts.names.size()) return found(path);
    const std::string& level = parts.names[i];
    const bool last = i + 1 == parts.names.size();
    const std::string base = path.back() == '\\' ? path : path + "\\";
    if (IsAscii(level) && !HasPluginWildcard(level)) {
      const std::string next = base + level;
      const DWORD a = GetFileAttributesA(next.c_str());
      if (a == INVALID_FILE_ATTRIBUTES) return true;
      if (!(a & FILE_ATTRIBUTE_DIRECTORY) && !(last && filesToo)) return true;
      return step(i + 1, next);
    }
    const std::vector<std::wstring> mask = Winapp2WideMasks({level});
    std::vector<std::string> matches;
    // The system lists what its own match of the level takes, which is all that ours takes and
    // maybe more (short names, its DOS rules for "?" and "."): ours has the last word. Listing
    // only those spares naming every entry of a large folder. A level beyond ASCII has no
    // ANSI pattern to hand over.
    for (const ListedEntry& e : ListFolderWide(base + (IsAscii(level) ? level : std::string("*")))) {
      if (!e.IsFolder() && !(last && filesToo)) continue;
      if (e.IsFolder() && IsFolderLink(e) && !last) continue;
      if (!Winapp2WideMatch(SystemUpperWide(e.wideName), mask)) continue;
      if (e.Address().empty()) {
        if (unreachable) unreachable->push_back(WideToUtf8(Utf8ToWide(AnsiToUtf8(base)) + e.wideName));
        continue;
      }
      matches.push_back(base + e.Address());
    }
    for (const auto& m : matches)
      if (!step(i + 1, m)) return false;
    return true;
  };
  step(0, root);
}
}  // namespace

std::vector<std::wstring> Winapp2WideMasks(const std::vector<std::string>& masks) {
  std::vector<std::wstring> out;
  for (const auto& m : masks) out.push_back(SystemUpperWide(Utf8ToWide(m)));
  return out;
}

bool Winapp2WideMatch(const std::wstring& upperName, const std::vector<std::wstring>& upperMasks) {
  for (const auto& m : upperMasks)
    if (Winapp2MaskMatch(upperName, m)) return true;
  return false;
}

std::vector<std::string> Winapp2Folders(const std::string& pattern,
                                        std::vector<std::string>* unreachable) {
  std::vector<std::string> folders;
  Walk(pattern, false, [&](const std::string& f) {
    folders.push_back(f);
    return true;
  }, unreachable);
  return folders;
}

bool Winapp2PathExists(const std::string& pattern) {
  bool any = false;
  Walk(pattern, true, [&](const std::string&) {
    any = true;
    return false;  // one is enough
  }, nullptr);
  return any;
}

std::string Winapp2LinkAlong(const std::string& folder) {
  const PluginPathParts parts = SplitFullPath(folder);
  std::string path = parts.root;
  for (const auto& name : parts.names) {
    path += (path.back() == '\\' ? "" : "\\") + name;
    const DWORD a = GetFileAttributesA(path.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && IsLinkByReparse(path, a)) return path;
  }
  return {};
}
