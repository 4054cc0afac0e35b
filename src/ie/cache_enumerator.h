#pragma once
#include <string>

#include "core/report_context.h"
#include "ie/url_server_link.h"

// The operations through which every Internet Explorer purge reaches the cache index. The
// normal-mode containers are worked in this process, the protected-mode ones through the URL
// server; both answer the same way.
class CacheEnumerator {
 public:
  virtual ~CacheEnumerator() = default;
  // Begins an enumeration of the container the prefix selects; true when an entry is current.
  virtual bool First(const std::string& prefix) = 0;
  virtual bool Next() = 0;
  virtual void Close() = 0;
  virtual CacheEntryView CurrentEntry() const = 0;
  virtual CacheStatus Status() const = 0;
  // The local file first (through DeleteDataFile), then the index entry.
  virtual DeleteEntryResult DeleteEntry(ReportContext& ctx, const std::string& url,
                                        const std::string& localFile) = 0;
  virtual long ClearHistoryContainers() = 0;
};

// The URL server link in one of its modes. The mode is set before every call: the link is
// shared, and another user of it may have switched it meanwhile.
class LinkEnumerator : public CacheEnumerator {
 public:
  LinkEnumerator(UrlServerLink& link, bool protectedMode)
      : link_(link), protected_(protectedMode) {}
  bool First(const std::string& prefix) override { return Mode().First(prefix); }
  bool Next() override { return Mode().Next(); }
  void Close() override { Mode().Close(); }
  CacheEntryView CurrentEntry() const override { return link_.CurrentEntry(); }
  CacheStatus Status() const override { return link_.Status(); }
  DeleteEntryResult DeleteEntry(ReportContext& ctx, const std::string& url,
                                const std::string& localFile) override {
    return Mode().DeleteEntry(ctx, url, localFile);
  }
  long ClearHistoryContainers() override { return Mode().ClearHistoryContainers(); }

 private:
  UrlServerLink& Mode() {
    link_.SetProtectedMode(protected_);
    return link_;
  }
  UrlServerLink& link_;
  bool protected_;
};

// Both sides of the index as one purge sees them.
struct CacheAccess {
  CacheEnumerator& normal;
  CacheEnumerator& protectedMode;
  CacheEnumerator& For(int code) const { return code > 100 ? protectedMode : normal; }
};

// The program's own access: its URL server link in normal and in protected mode.
CacheAccess ProgramCacheAccess();
