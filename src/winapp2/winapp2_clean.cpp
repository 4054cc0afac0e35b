#include "winapp2/winapp2_clean.h"

#include <windows.h>

#include <algorithm>

#include "core/report_rules.h"
#include "core/text_util.h"
#include "files/secure_erase.h"
#include "files/temp_protect_list.h"
#include "platform/ansi_utf8.h"
#include "platform/case_mapping.h"
#include "platform/files.h"
#include "platform/links.h"
#include "platform/registry.h"
#include "platform/reparse_rules.h"
#include "plugins/refused_folders.h"
#include "winapp2/winapp2_rules.h"
#include "winapp2/winapp2_walk.h"

namespace {
constexpr const char* kKept = "          Kept - ";
constexpr const char* kProtected = "     Protected - ";
constexpr const char* kSkipped = "       Skipped - ";

HKEY HiveOf(const std::string& hive) {
  if (hive == "HKCR") return HKEY_CLASSES_ROOT;
  if (hive == "HKCU") return HKEY_CURRENT_USER;
  if (hive == "HKLM") return HKEY_LOCAL_MACHINE;
  if (hive == "HKU") return HKEY_USERS;
  return HKEY_CURRENT_CONFIG;
}

REGSAM SamOf(Winapp2View view) {
  return view == Winapp2View::Bits64 ? KEY_WOW64_64KEY
         : view == Winapp2View::Bits32 ? KEY_WOW64_32KEY
                                       : 0;
}

// An ANSI registry path of a UTF-8 one; empty when the code page cannot hold it.
std::string AnsiKey(const std::string& utf8) {
  if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return utf8;
  bool lossy = false;
  const std::string ansi = AnsiFileName(Utf8ToWide(utf8).c_str(), &lossy);
  return lossy ? std::string() : ansi;
}

bool KeyExists(const std::string& key, Winapp2View view) {
  std::string hive, rest;
  if (!SplitWinapp2Key(key, hive, rest)) return false;
  const std::string ansi = AnsiKey(rest);
  RegKey k;
  return (!ansi.empty() || rest.empty()) &&
         k.OpenLink(HiveOf(hive), ansi, KEY_QUERY_VALUE | SamOf(view)) == ERROR_SUCCESS;
}

class EntryRun {
 public:
  EntryRun(ReportContext& ctx, const Winapp2Entry& entry, const Winapp2Facts& facts)
      : ctx_(ctx), entry_(entry), facts_(facts) {
    ExpandKeeps();
  }

  void Run() {
    for (const Winapp2FileKey& key : entry_.fileKeys) {
      if (ctx_.State().cancel) return;
      FileKey(key);
    }
    for (const Winapp2RegKey& key : entry_.regKeys) {
      if (ctx_.State().cancel) return;
      RegKey(key);
    }
  }

 private:
  bool Preview() const { return ctx_.State().preview; }

  void Refuse(int line, const std::string& why) {
    ctx_.AddReportLine(" -Error- Line " + std::to_string(line) + " not processed - " +
                       Utf8ToAnsi(why));
    ctx_.RaiseLevel(3);
  }

  void ExpandKeeps() {
    for (const Winapp2Exclude& x : entry_.excludes) {
      if (x.kind == Winapp2Exclude::Reg) {
        keeps_.push_back({x.kind, {}, {}, x.key, x.value, x.hasValue});
        continue;
      }
      const Winapp2Expansion e = ExpandWinapp2Path(x.path, facts_.system);
      // A folder that cannot be named keeps nothing here; nothing outside the entry's own
      // keys is reached either way.
      for (const auto& p : e.paths)
        for (const auto& f : Winapp2Folders(p)) keeps_.push_back({x.kind, AnsiToUtf8(f), x.masks});
    }
  }

  // --- files ---------------------------------------------------------------------------
  void FileKey(const Winapp2FileKey& key) {
    for (const auto& mask : key.masks)
      if (MaskReachesBrowserDatabase(mask)) {
        ctx_.AddReportLine(kSkipped + Utf8ToAnsi(key.path) + "|" + Utf8ToAnsi(mask) +
                           " (a browser's database: the browser options clean it)");
        return;
      }
    const Winapp2Expansion expansion = ExpandWinapp2Path(key.path, facts_.system);
    if (!expansion.problem.empty()) return Refuse(key.line, expansion.problem);
    masks_ = Winapp2WideMasks(key.masks);
    for (const std::string& pattern : expansion.paths) {
      if (const std::string p = Winapp2PatternProblem(pattern); !p.empty()) return Refuse(key.line, p);
      std::vector<std::string> unreachable;
      for (const std::string& folder : Winapp2Folders(pattern, &unreachable)) {
        if (ctx_.State().cancel) return;
        const std::string longForm = UpperCase(plugin_engine::LongFormOf(folder));
        if (const std::string p = Winapp2FolderProblem(longForm, key, facts_.Refusals()); !p.empty()) {
          Refuse(key.line, p);
          continue;
        }
        if (const std::string link = Winapp2LinkAlong(folder); !link.empty()) {
          Refuse(key.line, AnsiToUtf8(link) + " is a link");
          continue;
        }
        if (TempProtectEntries().unreadable) {
          ctx_.AddReportLine(" -Error- Line " + std::to_string(key.line) +
                             " not processed - existing Protect file could not be opened");
          ctx_.RaiseLevel(7);
          return;
        }
        const bool left = Folder(folder, key);
        if (key.removeSelf && left == false) RemoveFolder(folder);
      }
      for (const auto& u : unreachable) Refuse(key.line, u + " has a name no ANSI path reaches");
    }
  }

  // Cleans one folder; true when something is left in it.
  bool Folder(const std::string& folder, const Winapp2FileKey& key) {
    bool left = false;
    const std::string folderUtf8 = AnsiToUtf8(folder);
    std::vector<std::string> doomed;  // deleted after the listing, which they would disturb
    for (const ListedEntry& e : ListFolderWide(folder + "\\*")) {
      if (ctx_.State().cancel) return true;
      const std::string path = folder + "\\" + e.Address();
      if (e.IsFolder()) {
        if (IsLinkReparse(e.attributes, e.reparseTag)) {
          // Never followed: REMOVESELF takes the link itself, as the folder's content.
          if (key.removeSelf && !e.Address().empty())
            left |= !Delete(path, true);
          else
            left = true;
        } else if (key.recurse && !e.Address().empty()) {
          // A protected sub-folder is skipped whole, as the temp purge does; so is a folder
          // no recipe may empty met on the way down (the data folder below AppData, say).
          if (MatchTempProtect(path + "\\", e.Address()) == 'p' || Untouchable(path)) {
            ctx_.AddDetailLine(kProtected + path);
            left = true;
            continue;
          }
          const bool inner = Folder(path, key);
          if (key.removeSelf && !inner) left |= !RemoveFolder(path);
          else left = true;
        } else {
          left = true;
        }
        continue;
      }
      if (!Winapp2WideMatch(SystemUpperWide(e.wideName), masks_)) {
        left = true;
        continue;
      }
      if (e.Address().empty()) {
        Refuse(key.line, folderUtf8 + "\\" + WideToUtf8(e.wideName) + " has a name no ANSI path reaches");
        left = true;
      } else if (IsBrowserDatabaseName(e.name)) {
        ctx_.AddReportLine(kSkipped + path + " (a browser's database: the browser options clean it)");
        left = true;
      } else if (Winapp2FileKept(folderUtf8, WideToUtf8(e.wideName), keeps_)) {
        ctx_.AddDetailLine(kKept + path);
        left = true;
      } else if (MatchTempProtect(folder + "\\", e.Address()) == 'p') {
        ctx_.AddDetailLine(kProtected + path);
        left = true;
      } else {
        doomed.push_back(path);
      }
    }
    for (const std::string& path : doomed)
      left |= !PreviewOrDeleteFile(ctx_, path, FileLine::Always) || Preview();
    return left;
  }

  bool Untouchable(const std::string& folder) const {
    const std::string longForm = UpperCase(plugin_engine::LongFormOf(folder));
    return Winapp2FolderListed(longForm, facts_.Refusals().whole) ||
           Winapp2FolderListed(longForm, facts_.Refusals().noWalk);
  }

  bool Delete(const std::string& linkPath, bool isFolder) {
    if (Preview()) {
      ctx_.AddReportLine(DeleteResultText(true) + linkPath);
      ctx_.CountItem();
      return false;
    }
    const unsigned long rc = RemoveLinkItself(linkPath, isFolder);
    if (rc != 0) {
      ctx_.AddReportLine(ResultColumn(ctx_.MapFileError(rc)) + linkPath);
      return false;
    }
    ctx_.AddReportLine(DeleteResultText(false) + linkPath);
    ctx_.CountItem();
    return true;
  }

  // An emptied folder goes too (REMOVESELF); a Preview leaves every folder, and so says
  // nothing of them.
  bool RemoveFolder(const std::string& folder) {
    if (Preview() || ctx_.State().keepFiles) return false;
    if (!RemoveDirectoryA(folder.c_str())) return false;
    ctx_.AddDetailLine(DeleteResultText(false) + folder + "\\");
    return true;
  }

  // --- registry --------------------------------------------------------------------------
  void RegKey(const Winapp2RegKey& key) {
    if (const std::string p = Winapp2RegKeyProblem(key); !p.empty()) return Refuse(key.line, p);
    std::string hive, rest;
    SplitWinapp2Key(key.key, hive, rest);
    const std::string ansi = AnsiKey(rest);
    if (ansi.empty()) return Refuse(key.line, key.key + " has a name no ANSI key reaches");
    const std::string shown = hive + "\\" + ansi;
    for (Winapp2View view : Winapp2ViewsOf(key.key, facts_.system.wow64)) {
      const REGSAM sam = SamOf(view);
      if (!KeyExists(key.key, view)) continue;
      if (key.hasValue)
        Value(HiveOf(hive), ansi, AnsiKey(key.value), shown, sam);
      else
        Key(HiveOf(hive), ansi, shown, sam);
    }
  }

  void Value(HKEY hive, const std::string& path, const std::string& value, const std::string& shown,
             REGSAM sam) {
    const std::string subject = shown + "|" + value;
    if (Winapp2ValueKept(AnsiToUtf8(shown), AnsiToUtf8(value), keeps_)) {
      ctx_.AddDetailLine(kKept + subject);
      return;
    }
    ::RegKey k;
    if (k.OpenLink(hive, path, KEY_QUERY_VALUE | KEY_SET_VALUE | sam) != ERROR_SUCCESS) return;
    if (RegQueryValueExA(k, value.c_str(), nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      return;
    Report(subject, Preview() ? 0 : RegDeleteValueA(k, value.c_str()));
  }

  // The key with everything in it, or, when an exclusion keeps something inside, everything
  // but that. A registry link is removed itself, never followed.
  void Key(HKEY hive, const std::string& path, const std::string& shown, REGSAM sam) {
    const std::string utf8 = AnsiToUtf8(shown);
    if (Winapp2KeyKept(utf8, keeps_)) {
      ctx_.AddDetailLine(kKept + shown);
      return;
    }
    if (IsRegistryLink(hive, path, sam) || !Winapp2KeepsBelow(utf8, keeps_)) {
      Report(shown, Preview() ? 0 : DeleteTree(hive, path, sam));
      return;
    }
    ::RegKey k;
    if (k.OpenLink(hive, path, KEY_READ | KEY_SET_VALUE | sam) != ERROR_SUCCESS) return;
    for (const auto& sub : k.SubkeyNames()) Key(hive, path + "\\" + sub, shown + "\\" + sub, sam);
    for (const auto& value : ValueNamesOf(k)) Value(hive, path, value, shown, sam);
  }

  static LONG DeleteTree(HKEY hive, const std::string& path, REGSAM sam) {
    if (!IsRegistryLink(hive, path, sam)) {
      ::RegKey k;
      if (k.OpenLink(hive, path, KEY_READ | sam) == ERROR_SUCCESS)
        for (const auto& sub : k.SubkeyNames()) DeleteTree(hive, path + "\\" + sub, sam);
    }
    return DeleteKeyItself(hive, path, sam);
  }

  void Report(const std::string& subject, LONG rc) {
    if (rc == ERROR_SUCCESS) {
      ctx_.AddReportLine(DeleteResultText(Preview()) + subject);
      ctx_.CountItem();
      return;
    }
    ctx_.AddReportLine(ResultColumn(ctx_.MapFileError(static_cast<unsigned long>(rc))) + subject);
  }

  ReportContext& ctx_;
  const Winapp2Entry& entry_;
  const Winapp2Facts& facts_;
  std::vector<Winapp2Keep> keeps_;
  std::vector<std::wstring> masks_;
};

bool DetectedByFiles(const Winapp2Entry& entry, const Winapp2Facts& facts) {
  for (const auto& d : entry.detectFiles) {
    const Winapp2Expansion e = ExpandWinapp2Path(d, facts.system);
    for (const auto& p : e.paths)
      if (Winapp2PathExists(p)) return true;
  }
  return false;
}

bool DetectedByKeys(const Winapp2Entry& entry, const Winapp2Facts& facts) {
  for (const auto& d : entry.detects)
    for (Winapp2View view : Winapp2ViewsOf(d, facts.system.wow64))
      if (KeyExists(d, view)) return true;
  return false;
}

// CCleaner's codes for the browsers it detects itself, as the keys and folders that show them.
bool SpecialDetected(const std::string& code, const Winapp2Facts& facts) {
  struct Code {
    const char* name;
    const char* file;
  };
  static constexpr Code kCodes[] = {
      {"DET_CHROME", "%LocalAppData%\\Google\\Chrome\\User Data"},
      {"DET_MOZILLA", "%AppData%\\Mozilla\\Firefox"},
      {"DET_THUNDERBIRD", "%AppData%\\Thunderbird"},
      {"DET_OPERA", "%AppData%\\Opera Software"},
      {"DET_EDGE", "%LocalAppData%\\Microsoft\\Edge\\User Data"},
      {"DET_WINSTORE", "%LocalAppData%\\Packages"}};
  for (const Code& c : kCodes) {
    if (code != c.name) continue;
    const Winapp2Expansion e = ExpandWinapp2Path(c.file, facts.system);
    for (const auto& p : e.paths)
      if (Winapp2PathExists(p)) return true;
    return false;
  }
  return false;
}
}  // namespace

bool Winapp2Detected(const Winapp2Entry& entry, const Winapp2Facts& facts) {
  if (!entry.detectOS.empty()) {
    Winapp2OsRange range;
    if (!ParseWinapp2OsRange(entry.detectOS, range) || facts.windowsVersion < range.low ||
        facts.windowsVersion > range.high)
      return false;
  }
  for (const auto& code : entry.specialDetects)
    if (!SpecialDetected(code, facts)) return false;
  if (entry.detects.empty() && entry.detectFiles.empty()) return true;
  return DetectedByKeys(entry, facts) || DetectedByFiles(entry, facts);
}

std::string Winapp2EntryRefusal(const Winapp2Entry& entry, const Winapp2Facts& facts) {
  for (const Winapp2FileKey& key : entry.fileKeys) {
    const Winapp2Expansion e = ExpandWinapp2Path(key.path, facts.system);
    for (const auto& pattern : e.paths) {
      if (std::string p = Winapp2PatternProblem(pattern); !p.empty()) return p;
      const std::string reach = AnsiReach(pattern);
      if (reach.empty()) continue;
      if (std::string p = Winapp2FolderProblem(UpperCase(reach), key, facts.Refusals()); !p.empty())
        return p;
    }
  }
  for (const Winapp2RegKey& key : entry.regKeys)
    if (std::string p = Winapp2RegKeyProblem(key); !p.empty()) return key.key + " " + p;
  return {};
}

void CleanWinapp2Entry(ReportContext& ctx, const Winapp2Entry& entry, const Winapp2Facts& facts) {
  ctx.AddReportLine("    " + Utf8ToAnsi(entry.name));
  EntryRun(ctx, entry, facts).Run();
}
