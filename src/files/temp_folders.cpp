#include "files/temp_folders.h"

#include <windows.h>

#include "core/command_line.h"
#include "core/os_flags.h"
#include "core/report_rules.h"
#include "core/settings.h"
#include "core/text_util.h"
#include "files/secure_erase.h"
#include "files/shred_names.h"
#include "files/temp_protect_list.h"
#include "platform/files.h"
#include "platform/links.h"
#include "platform/reparse_rules.h"

namespace {
std::array<TempCandidate, 4> g_candidates = {
    TempCandidate{"System Temp"}, TempCandidate{"Windows Temp"}, TempCandidate{"Old Temp"},
    TempCandidate{"BootDisk Temp"}};
TempCandidate g_fallback{"System Temp"};
bool g_discovered = false;

std::string EnvironmentValue(const char* name) {
  char buf[MAX_PATH * 2] = {};
  DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

// Environment references expanded, long form, no trailing backslash, upper case.
std::string ExpandedLongPath(const std::string& raw) {
  if (raw.empty()) return {};
  char expanded[MAX_PATH * 2] = {};
  DWORD n = ExpandEnvironmentStringsA(raw.c_str(), expanded, sizeof expanded);
  std::string path = n > 0 && n <= sizeof expanded ? std::string(expanded) : raw;
  char longForm[MAX_PATH * 2] = {};
  n = GetLongPathNameA(path.c_str(), longForm, sizeof longForm);
  if (n > 0 && n < sizeof longForm) path = longForm;
  return NormalizeTempPath(path);
}

TempCandidate Validate(const char* name, const std::string& raw) {
  TempCandidate c;
  c.name = name;
  c.path = ExpandedLongPath(raw);
  ClassifyTempCandidate(c, !c.path.empty() && DirectoryExists(c.path), ParamSwitch("ANYTEMP"));
  return c;
}

struct Listed {
  ListedEntry entry;
  std::string upper;  // as the report shows it
  bool link = false;  // by its reparse point
};

uint64_t AsUint64(const FILETIME& t) {
  return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

void ReportFailure(ReportContext& ctx, const TempDeleteResult& r, const std::string& what) {
  ctx.AddReportLine(r.text + what);
  if (r.level > 0) {
    ctx.RaiseLevel(r.level);
    ctx.SetAttention();
  }
  if (r.locked) ctx.State().lockedFile = true;
}

// Removes a sub-folder after it was emptied: a link is removed itself, never followed.
unsigned long RemoveFolder(ReportContext& ctx, const std::string& path, bool link) {
  if (ctx.State().keepFiles) return 0;
  if (link) return RemoveLinkItself(path, true);
  DWORD a = GetFileAttributesA(path.c_str());
  if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesA(path.c_str(), a & ~FILE_ATTRIBUTE_READONLY);
  return RemoveDirectoryA(path.c_str()) ? 0 : GetLastError();
}

// A folder the walk is inside, opened without following a link and held without delete
// sharing: while the walk is in it, it can be neither renamed nor removed, and so not swapped
// for a junction or link to somewhere else (a walk run as an administrator would empty that).
class HeldFolder {
 public:
  explicit HeldFolder(const std::string& path)
      : h_(CreateFileW(OpenablePath(path).c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr)) {}
  ~HeldFolder() { Close(); }
  HeldFolder(const HeldFolder&) = delete;
  HeldFolder& operator=(const HeldFolder&) = delete;
  bool Open() const { return h_ != INVALID_HANDLE_VALUE; }
  void Close() {
    if (Open()) CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
  }
  // What the handle opened is a folder and no reparse point: Windows opens a junction or a
  // folder link itself here, so one put in the folder's place shows.
  bool IsPlainFolder() const {
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileInformationByHandle(h_, &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !IsLinkReparse(info.dwFileAttributes, ReparseTagOfHandle(h_));
  }
  // The path the handle resolves to; empty where the system cannot tell (Windows XP lacks the
  // call, looked up by name).
  std::wstring FinalPath() const {
    using FinalPathFn = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
    static const auto finalPath = reinterpret_cast<FinalPathFn>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleW"));
    if (!Open() || !finalPath) return {};
    std::wstring buf(1024, L'\0');
    const DWORD n = finalPath(h_, buf.data(), DWORD(buf.size()), 0);
    return n > 0 && n < buf.size() ? buf.substr(0, n) : std::wstring();
  }

 private:
  // A long path reaches the wide call in its "\\?\" form.
  static std::wstring OpenablePath(const std::string& path) {
    const std::wstring wide = WidePath(path);
    if (wide.size() < MAX_PATH - 12) return wide;
    if (wide.size() > 2 && wide[1] == L':' && wide[2] == L'\\') return L"\\\\?\\" + wide;
    if (wide.rfind(L"\\\\", 0) == 0 && wide.rfind(L"\\\\?\\", 0) != 0)
      return L"\\\\?\\UNC\\" + wide.substr(2);
    return wide;
  }
  HANDLE h_;
};

// How a listed sub-folder turned out when the walk came to enter it.
enum class Entering { Walk, Link, Refused };

// Checks the handle the walk opened on a sub-folder listed as a plain folder: a reparse point
// on it, or (under Wine, which opens a link's target even when asked for the link itself, but
// names the target) a path other than the parent's own plus the listed name, means the folder
// was swapped for a link after the listing. `resolved` gets the folder's path as the handle
// resolves it, for the check one level down.
Entering CheckEntered(const HeldFolder& held, const std::wstring& parentResolved,
                      const std::wstring& name, std::wstring& resolved) {
  if (!held.Open()) return Entering::Refused;
  if (!held.IsPlainFolder()) return Entering::Link;
  resolved = held.FinalPath();
  if (parentResolved.empty() || resolved.empty()) return Entering::Walk;
  // A drive's root resolves with its backslash ("\\?\C:\").
  const std::wstring expected =
      parentResolved + (parentResolved.back() == L'\\' ? L"" : L"\\") + name;
  if (lstrcmpiW(resolved.c_str(), expected.c_str()) != 0)
    return Entering::Link;
  return Entering::Walk;
}

// One folder purge from its root down.
struct Walk {
  const FolderPurgeOptions& o;
  const TempProtectList& protect;
  const FileLinksBelow& links;
};

// `resolved`: the folder's path as its held handle resolves it (empty when unknown).
long long PurgeTree(ReportContext& ctx, Walk& walk, const std::string& folder,
                    const std::string& relative, const std::wstring& resolved) {
  const FolderPurgeOptions& o = walk.o;
  const TempProtectList& protect = walk.protect;
  RunState& st = ctx.State();
  const FolderPurgeTexts& tx = o.texts;
  const std::string upperFolder = UpperCase(folder);
  long long count = 0;
  CurrentDirectoryScope scope(folder);
  std::vector<Listed> files, folders;
  FILETIME nowFt;
  GetSystemTimeAsFileTime(&nowFt);
  const uint64_t now = AsUint64(nowFt);
  // Listed wide: the ANSI listing gives a name the code page cannot hold as a best-fit
  // look-alike, which may be the name of another file in the folder, one the user did not ask
  // to delete (too young, say). Such an entry is reached by its short name instead.
  int listed = 0;
  ListFolderWide(folder + "\\" + o.mask, [&](ListedEntry&& e) {
    if (st.cancel) {
      ctx.AddReportLine("*** Cancelled by operator.");
      return false;
    }
    const bool reparse = IsLinkReparse(e.attributes, e.reparseTag);
    if (e.IsFolder()) {
      std::string upper = UpperCase(e.name);
      folders.push_back({std::move(e), std::move(upper), reparse});
    } else if (OldEnough(e.lastWrite, now, o.applyAgeFilter, o.age.on, o.age.hours) ||
               IsShredLeftoverName(e.name)) {
      std::string upper = UpperCase(e.name);
      files.push_back({std::move(e), std::move(upper), reparse});
    }
    // Every tenth entry, as CountItem does: a message check per entry costs a round trip
    // to the window system that long listings feel.
    if (++listed % 10 == 0) ctx.View().PumpMessages();
    return true;
  });

  const std::string folderFinal = walk.links.FolderFinal(folder);
  auto below = [&](const std::string& name) {
    return relative.empty() ? name : relative + "\\" + name;
  };
  auto match = [&](const std::string& path, const std::string& name) {
    return protect.Match(path, name, SystemWildcardMatch);
  };

  for (const Listed& f : files) {
    if (st.cancel) break;
    const std::string full = upperFolder + "\\" + f.upper;
    const char code = match(full, f.upper);
    if (code == 'p') {
      ctx.AddDetailLine(tx.protectedItem + full);
      continue;
    }
    ++count;
    ctx.CountItem();
    if (st.preview) {
      ctx.AddDetailLine((code == 'i' ? tx.ignoreErrors : DeleteResultText(true)) + full);
      continue;
    }
    const ListedEntry& e = f.entry;
    if (e.Address().empty()) {
      ReportFailure(ctx, TempDeleteError(ERROR_INVALID_NAME, code == 'i'), full);
      continue;
    }
    const std::string path = folder + "\\" + e.Address();
    const bool link = f.link || walk.links.Has(below(e.name), path, e.name, folderFinal);
    DeleteOutcome outcome = link ? RemoveFileLink(ctx, path)
                                 : DeleteDataFile(ctx, path, e.lossy ? std::string() : e.shortName);
    const bool leftover = !link && IsShredLeftoverName(e.name);
    // A shred of this run takes its temporary name over from a file left under it, deleting
    // that file: a leftover found gone is finished.
    if (!outcome.deleted && leftover && outcome.error == ERROR_FILE_NOT_FOUND)
      outcome = {true, 0, false};
    if (outcome.deleted) {
      // What a shred cut short left behind is said even in a summary: the earlier run did not end.
      if (leftover)
        ctx.AddReportLine(tx.shredFinished + full);
      else
        ctx.AddDetailLine(DeletedResultText(outcome) + full);
    } else if (!st.cancel) {
      ReportFailure(ctx, TempDeleteError(outcome.error, code == 'i'), full);
    }
  }

  for (const Listed& d : folders) {
    if (st.cancel) break;
    const std::string full = upperFolder + "\\" + d.upper;
    const char code = match(full + "\\", d.upper);
    if (code == 'p') {
      ctx.AddDetailLine(tx.protectedItem + full);
      continue;
    }
    if (d.entry.Address().empty()) {
      ReportFailure(ctx, TempDeleteError(ERROR_INVALID_NAME, code == 'i'), full);
      ++count;
      ctx.CountItem();
      continue;
    }
    const std::string path = folder + "\\" + d.entry.Address();
    bool link = d.link;
    if (!link) {
      // Entered by the handle it was checked on, which is held until the walk comes out.
      HeldFolder held(path);
      std::wstring inner;
      const Entering entering = CheckEntered(held, resolved, d.entry.wideName, inner);
      link = entering == Entering::Link;
      if (entering == Entering::Walk)
        count += PurgeTree(ctx, walk, path, below(d.entry.name), inner);
    }
    if (st.cancel) break;
    if (st.preview) {
      if (!o.applyAgeFilter || !o.age.on) {
        ctx.AddDetailLine((code == 'i' ? tx.ignoreErrors : DeleteResultText(true)) + full);
        ++count;
        ctx.CountItem();
      }
      continue;
    }
    const unsigned long error = RemoveFolder(ctx, path, link);
    if (error == 0) {
      ctx.AddDetailLine(DeleteResultText(false) + full);
      continue;
    }
    // Younger files stayed behind: the folder has to stay too, and that is no error.
    if (error == ERROR_DIR_NOT_EMPTY && o.applyAgeFilter && o.age.on) continue;
    TempDeleteResult r = TempDeleteError(error, code == 'i');
    if (error == ERROR_DIR_NOT_EMPTY)
      r.text = protect.Count() > 0 ? tx.ignoreDirError : tx.dirNotEmpty;
    ReportFailure(ctx, r, full);
    ++count;
    ctx.CountItem();
  }
  return count;
}
}  // namespace

void DiscoverTempFolders() {
  g_candidates[0] = Validate("System Temp", EnvironmentValue("tmp"));
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, sizeof windows);
  TempCandidate& win = g_candidates[1] = Validate("Windows Temp", std::string(windows) + "\\temp");
  // Without elevation Vista and later refuse to list the Windows Temp folder.
  bool listable = true;
  if (CurrentOsFlags().vista && win.status == kTempValid) {
    WIN32_FIND_DATAA fd;
    listable = FindFile().First(win.path + "\\*.*", fd);
  }
  g_candidates[2] = Validate("Old Temp", EnvironmentValue("temp"));
  SettleWindowsTemp(win, g_candidates[3], CurrentOsFlags().vista, listable,
                    [](const std::string& path) { return Validate("BootDisk Temp", path); });
  char system[MAX_PATH + 1] = {};
  DWORD n = GetTempPathA(sizeof system, system);
  g_fallback = Validate("System Temp", n > 0 && n < sizeof system ? system : "");
  if (g_fallback.status != kTempValid) {
    g_fallback.status = kTempNotFound;
    g_fallback.reason = "... Folder Not Found ...";
  }
  g_discovered = true;
}

const std::array<TempCandidate, 4>& TempFolderCandidates() {
  if (!g_discovered) DiscoverTempFolders();
  return g_candidates;
}

const TempCandidate& FallbackTempFolder() {
  if (!g_discovered) DiscoverTempFolders();
  return g_fallback;
}

std::vector<TempFolderLabel> TempFolderLabels() {
  std::vector<TempFolderLabel> labels;
  for (const auto& c : TempFolderCandidates())
    labels.push_back({c.name, TempCandidateLabel(c), c.enabled});
  return labels;
}

std::vector<SelectedTempFolder> SelectTempFolders(const TempFolderSelection& s) {
  return SelectTempFolders(TempFolderCandidates(), {s.tmpDir, s.dosDir, s.winDir, s.volDir},
                           FallbackTempFolder());
}

bool FileIsOldEnough(const FILETIME& lastWrite, bool apply, const AgeFilter& age) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return OldEnough(AsUint64(lastWrite), AsUint64(now), apply, age.on, age.hours);
}

bool BypassedForUnreadableProtectList(ReportContext& ctx, const FolderPurgeOptions& options,
                                      const std::string& what) {
  const TempProtectList& protect = options.protect ? *options.protect : TempProtectEntries();
  if (!protect.unreadable) return false;
  ctx.AddReportLine("*** Error - Bypassed " + what +
                    " processing as existing Protect file could not be opened - " +
                    ExtractFileName(TempProtectFile()));
  ctx.RaiseLevel(7);
  ctx.SetAttention();
  return true;
}

long long PurgeFolderTree(ReportContext& ctx, const std::string& folder,
                          const FolderPurgeOptions& options) {
  const TempProtectList& protect = options.protect ? *options.protect : TempProtectEntries();
  // The last guard for any caller; the purges of several folders say it once before this.
  if (BypassedForUnreadableProtectList(ctx, options, UpperCase(folder))) return 0;
  try {
    const FileLinksBelow links(folder, !ctx.State().preview);
    Walk walk{options, protect, links};
    // The root is the folder the user chose, link or not; what lies below it is checked.
    HeldFolder root(folder);
    return PurgeTree(ctx, walk, folder, {}, root.FinalPath());
  } catch (...) {
    return 0;  // a failing folder ends its own processing, silently
  }
}

void PurgeTempFolders(ReportContext& ctx) {
  try {
    const TempFolderSelection& selection = ctx.State().tempFolders;
    FolderPurgeOptions options;
    if (BypassedForUnreadableProtectList(ctx, options, "Temp Folders")) return;
    options.applyAgeFilter = true;
    options.age = {selection.ageTemp, AgeHoursValue(selection.ageHours)};
    if (options.age.on)
      ctx.AddReportLine("     Ignore files modified in the last " +
                        std::to_string(options.age.hours) + " Hours");
    const std::vector<SelectedTempFolder> folders = SelectTempFolders(selection);
    if (folders.empty()) {
      ctx.AddReportLine(" -Error- Temp Folder: not processed - folder could not be located");
      ctx.AddReportLine("         Please verify your Temp Folders configuration:");
      ctx.AddReportLine("         Click 'Configue' and select the 'Temp Folders' Tab.");
      ctx.AddReportLine("         or remove checkmark from 'Temp Folders' option.");
      ctx.RaiseLevel(3);
      ctx.SetAttention();
      return;
    }
    long long count = 0;
    for (const auto& f : folders) count += PurgeFolderTree(ctx, f.path, options);
    if (count > 0) {
      ctx.AddReportLine("  Purge \"Temp Folders\" Function Completed.  " +
                        CountPhrase(count, "File/Directory", "Files/Directories") + "Processed.");
    } else {
      ctx.AddReportLine("    No Files/Directories found to delete.");
      ctx.AddReportLine("  Purge \"Temp Folders\" Function Completed.");
    }
  } catch (...) {
    ctx.AddReportLine("*** Error in above Function.");
    ctx.RaiseLevel(9);
    ctx.SetAttention();
  }
}
