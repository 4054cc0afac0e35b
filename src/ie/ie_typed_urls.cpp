#include "ie/ie_typed_urls.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "core/report_rules.h"
#include "core/text_util.h"
#include "ie/ie_rules.h"
#include "platform/registry.h"

namespace {
constexpr const char* kCancelled = "*** Cancelled by operator.";
constexpr const char* kMsn6Users = "Software\\Microsoft\\MSN6\\Users";
constexpr const char* kSearchProperties =
    "Software\\Microsoft\\Internet Explorer\\Search\\SearchProperties";

// A key opened for reading and writing (never created), closed with the object.
class WritableKey {
 public:
  WritableKey(HKEY root, const std::string& path) {
    error_ = RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | KEY_WRITE, &key_);
    if (error_ != ERROR_SUCCESS) key_ = nullptr;
  }
  ~WritableKey() {
    if (key_) RegCloseKey(key_);
  }
  WritableKey(const WritableKey&) = delete;
  WritableKey& operator=(const WritableKey&) = delete;
  bool IsOpen() const { return key_ != nullptr; }
  // Why the key did not open: ERROR_ACCESS_DENIED for a key that exists but refuses writing.
  LONG OpenError() const { return error_; }

  // Names listed before anything is deleted, since deleting shifts the enumeration.
  std::vector<std::string> ValueNames() const { return ValueNamesOf(key_); }
  std::vector<std::string> SubkeyNames() const { return SubkeyNamesOf(key_); }
  bool HasValue(const std::string& name) const {
    return RegQueryValueExA(key_, name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
  }
  // The value's text for string and expandable-string values; empty for every other type.
  std::string TextOf(const std::string& name) const {
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
      return {};
    std::string data(size + 1, '\0');
    if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &size) != ERROR_SUCCESS)
      return {};
    data.resize(strnlen(data.c_str(), size));
    return data;
  }
  bool Delete(const std::string& name) const {
    return RegDeleteValueA(key_, name.c_str()) == ERROR_SUCCESS;
  }

 private:
  HKEY key_ = nullptr;
  LONG error_ = ERROR_SUCCESS;
};

struct TypedUrlPass {
  ReportContext& ctx;
  long long& counter;
  bool refused = false;  // a key held typed URLs the purge could not change
};

constexpr const char* kIeTypedUrls = "Software\\Microsoft\\Internet Explorer\\Typedurls";
// IE 10 and later note when each URL was typed, as a value of the same name in this sibling key;
// a typed URL leaves no trace once both are gone.
constexpr const char* kIeTypedUrlTimes = "Software\\Microsoft\\Internet Explorer\\TypedURLsTime";

// One typed-URL key. `label` prefixes the lines ("I.E.-", "MSN-"); an MSN 6 user's key has no
// label, announces the user once and keeps only "MRUList".
void ProcessTypedUrlKey(TypedUrlPass& pass, const std::string& path, const std::string& label,
                        const std::optional<std::string>& msn6User,
                        const char* timesPath = nullptr) {
  WritableKey key(HKEY_CURRENT_USER, path);
  ReportContext& ctx = pass.ctx;
  if (!key.IsOpen()) {
    // A key that is there but refuses changes is no key without typed URLs: the user must learn
    // that they stay.
    if (key.OpenError() == ERROR_ACCESS_DENIED) {
      ctx.AddReportLine(" -Error- I.E. Typed URLs:  not processed as key refused write access - " +
                        path);
      ctx.SetAttention();
      ctx.RaiseLevel(3);
      pass.refused = true;
    }
    return;
  }
  std::optional<WritableKey> times;
  if (timesPath && !ctx.State().preview) times.emplace(HKEY_CURRENT_USER, timesPath);
  RunState& st = ctx.State();
  bool announced = false;
  for (const std::string& name : key.ValueNames()) {
    if (ctx.Cancelled()) {
      ctx.AddReportLine(kCancelled);
      return;
    }
    const std::string data = key.TextOf(name);
    if (msn6User ? !IsMsn6TypedUrlName(name) : !IsTypedUrlName(name)) continue;
    if (msn6User && !announced) {
      // A per-item line like those it introduces: a report without Detail is only the footer.
      ctx.AddDetailLine("       ..Process MSN entries for - " + *msn6User);
      announced = true;
    }
    ++pass.counter;
    ctx.CountItem();
    const std::string subject = (label.empty() ? "" : label + "-") + name + " = " + data;
    if (st.preview) {
      ctx.AddDetailLine(result_text::kToDelete + subject);
    } else if (!key.Delete(name)) {
      ctx.AddReportLine(result_text::kDeleteFailed + subject);
      ctx.SetAttention();
      ctx.RaiseLevel(3);
    } else {
      ctx.AddDetailLine(result_text::kDeleted + subject);
      if (times && times->IsOpen() && times->HasValue(name) && !times->Delete(name)) {
        ctx.AddReportLine(std::string(result_text::kDeleteFailed) + label + "-TypedURLsTime-" +
                          name);
        ctx.SetAttention();
        ctx.RaiseLevel(3);
      }
    }
    ctx.View().PumpMessages();
  }
}
}  // namespace

void ClearTypedUrls(ReportContext& ctx) {
  long long counter = 0;
  try {
    TypedUrlPass pass{ctx, counter};
    ProcessTypedUrlKey(pass, kIeTypedUrls, "I.E.", {}, kIeTypedUrlTimes);
    ProcessTypedUrlKey(pass, "Software\\Microsoft\\MSN\\Typedurls", "MSN", {});
    std::vector<std::string> users;
    {
      WritableKey usersKey(HKEY_CURRENT_USER, kMsn6Users);
      if (usersKey.IsOpen()) users = usersKey.SubkeyNames();
    }
    for (const std::string& user : users)
      ProcessTypedUrlKey(pass, std::string(kMsn6Users) + "\\" + user + "\\TypedURLs", "", user);
    if (counter > 0) {
      ctx.AddReportLine("  \"I.E. Typed URLs\" Function Completed. " +
                        CountPhrase(counter, "Entry", "Entries") + "Processed.");
    } else {
      if (!pass.refused) ctx.AddReportLine("    No Typed URLs were found to delete.");
      ctx.AddReportLine("  \"I.E. Typed URLs\" Function Completed. ");
    }
  } catch (...) {
    ctx.AddReportLine("*** Error in above Function.");
    ctx.RaiseLevel(9);
  }
}

bool ClearPreviousSearches(ReportContext& ctx, long long& counter) {
  bool deleted = false;
  std::vector<std::string> providers;
  {
    WritableKey base(HKEY_CURRENT_USER, kSearchProperties);
    if (base.IsOpen()) providers = base.SubkeyNames();
  }
  for (const std::string& provider : providers) {
    if (ctx.Cancelled()) {
      ctx.AddReportLine(kCancelled);
      break;
    }
    WritableKey key(HKEY_CURRENT_USER, std::string(kSearchProperties) + "\\" + UpperCase(provider));
    if (!key.IsOpen() || !key.HasValue("PreviousSearches")) continue;
    if (key.Delete("PreviousSearches")) {  // a value that resists is simply not counted
      ++counter;
      ctx.CountItem();
      deleted = true;
    }
  }
  return deleted;
}

void ClearSearches(ReportContext& ctx) {
  ctx.AddReportLine("Clear Searches:");
  if (ctx.State().preview) {
    ctx.AddReportLine("  \"I.E. Searches\" Function bypassed for Preview.");
    return;
  }
  long long counter = 0;
  ClearPreviousSearches(ctx, counter);
  if (counter > 0) {
    ctx.AddReportLine("  \"I.E. Searches\" Function Completed.   " +
                      CountPhrase(counter, "\"I.E. Search\" block", "\"I.E. Search\" blocks") +
                      "Processed.");
  } else {
    ctx.AddReportLine("    No \"I.E. Searches\" found to delete.");
    ctx.AddReportLine("  \"I.E. Searches\" Function Completed.");
  }
}
