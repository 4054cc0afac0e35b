#include "system/explorer_mru.h"

#include <windows.h>
#include <shlobj.h>

#include "core/report_rules.h"
#include "platform/registry.h"
#include "system/windows_track_rules.h"

namespace {
struct MruPass {
  ReportContext& ctx;
  long long count = 0;
  bool changed = false;
};

// The first key from HKCU\Software down to `path` (itself included) that is a registry link;
// empty when none. Opening a key follows every link on its way: a list behind one lies
// somewhere the purge was never meant to reach.
std::string LinkOnTheWay(const std::string& path) {
  for (size_t end = path.find('\\');; end = path.find('\\', end + 1)) {
    const std::string part = path.substr(0, end);
    if (IsRegistryLink(HKEY_CURRENT_USER, part)) return part;
    if (end == std::string::npos) return {};
  }
}

void Failed(MruPass& pass, const std::string& subject) {
  pass.ctx.AddReportLine(result_text::kDeleteFailed + subject);
  pass.ctx.SetAttention();
  pass.ctx.RaiseLevel(3);
}

// One item of the lists: named in a Preview, deleted in a Purge.
template <typename Delete>
void TakeItem(MruPass& pass, const std::string& subject, Delete&& remove) {
  ReportContext& ctx = pass.ctx;
  ++pass.count;
  ctx.CountItem();
  if (ctx.State().preview) {
    ctx.AddDetailLine(result_text::kToDelete + subject);
  } else if (remove() != ERROR_SUCCESS) {
    Failed(pass, subject);
  } else {
    ctx.AddDetailLine(result_text::kDeleted + subject);
    pass.changed = true;
  }
  ctx.View().PumpMessages();
}

// Every value of a key opened as itself; `shown` names the key in the lines.
void ClearValues(MruPass& pass, const RegKey& key, const std::string& shown) {
  for (const std::string& name : key.ValueNames()) {
    if (pass.ctx.Cancelled()) return;
    std::string subject = shown + ": " + (name.empty() ? "(Default)" : name);
    if (const auto text = key.ReadString(name); text && !text->empty()) subject += " = " + *text;
    TakeItem(pass, subject, [&] { return key.DeleteValue(name); });
  }
}

// A list's key below Explorer's: its values, and with `subkeys` its sub-keys with theirs. The
// key itself stays, as Explorer expects to find it. A sub-key that is a registry link is
// removed itself, never walked.
void ClearList(MruPass& pass, const std::string& list, bool subkeys) {
  ReportContext& ctx = pass.ctx;
  const std::string path = std::string(kExplorerKey) + "\\" + list;
  if (const std::string link = LinkOnTheWay(path); !link.empty()) {
    ctx.AddReportLine("    Not followed, a registry link - HKCU\\" + link);
    ctx.RaiseLevel(1);
    return;
  }
  RegKey key;
  const LONG rc = key.OpenLink(HKEY_CURRENT_USER, path, KEY_READ | KEY_SET_VALUE);
  if (rc == ERROR_FILE_NOT_FOUND) return;
  if (rc != ERROR_SUCCESS) {
    ctx.AddReportLine(" -Error- Explorer MRU Lists:  not processed as key refused write access - " +
                      path);
    ctx.SetAttention();
    return;
  }
  ClearValues(pass, key, list);
  if (!subkeys) return;
  for (const std::string& sub : key.SubkeyNames()) {
    if (ctx.Cancelled()) return;
    const std::string subPath = path + "\\" + sub, shown = list + "\\" + sub;
    {
      RegKey inner;
      if (inner.OpenLink(HKEY_CURRENT_USER, subPath, KEY_READ | KEY_SET_VALUE) != ERROR_SUCCESS) {
        Failed(pass, shown);
        continue;
      }
      if (!inner.IsLink()) ClearValues(pass, inner, shown);
    }
    TakeItem(pass, shown, [&] { return DeleteKeyItself(HKEY_CURRENT_USER, subPath); });
  }
}
}  // namespace

void PurgeExplorerMru(ReportContext& ctx) {
  MruPass pass{ctx};
  for (const ExplorerList& list : ExplorerLists()) ClearList(pass, list.key, list.subkeys);
  // UserAssist keeps one {GUID} key per kind of item started, each with its counts in "Count".
  const std::string userAssist = std::string(kExplorerKey) + "\\" + kUserAssistKey;
  std::vector<std::string> guids;
  if (LinkOnTheWay(userAssist).empty()) {
    RegKey key;
    if (key.OpenRead(HKEY_CURRENT_USER, userAssist) == ERROR_SUCCESS) guids = key.SubkeyNames();
  }
  for (const std::string& guid : guids)
    ClearList(pass, std::string(kUserAssistKey) + "\\" + guid + "\\Count", false);
  // Explorer keeps these lists in memory too and writes them back when it next saves them: told
  // that the shell's state changed, it reads them afresh.
  if (pass.changed)
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST | SHCNF_FLUSH, nullptr, nullptr);
  if (ctx.Cancelled()) return;
  if (pass.count > 0) {
    ctx.AddReportLine("  Purge \"Explorer MRU Lists\" Function Completed.  " +
                      CountPhrase(pass.count, "Entry", "Entries") + "Processed.");
  } else {
    ctx.AddReportLine("    No MRU entries found to delete.");
    ctx.AddReportLine("  Purge \"Explorer MRU Lists\" Function Completed.");
  }
}
