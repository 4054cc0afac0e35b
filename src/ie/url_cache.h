#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "ie/url_server_protocol.h"

// The WinINet cache index as the current process sees it: one enumeration at a time, entry
// deletion and the clearing of the dated history containers. The program uses it for the
// normal-mode containers, the URL server for the protected-mode ones.
class WinInetCache : public UrlCacheBackend {
 public:
  ~WinInetCache() override;
  EnumOutcome First(const std::string& prefix) override;
  EnumOutcome Next() override;
  bool Close() override;
  bool DeleteEntry(const std::string& url, uint32_t& error) override;
  HistoryOutcome ClearHistoryContainers() override;

 private:
  EnumOutcome Outcome(bool ok, DWORD error);
  HANDLE find_ = nullptr;
  bool plainCalls_ = false;  // the Ex calls are stubs: this enumeration uses the plain ones
  std::vector<char> buffer_;
};

// The cache containers as the clearing of the dated history walks them: their prefixes in
// index order, and the deletion of one container's entries. WinINet's in the program and the
// server; a list of the test's own where WinINet lists none (Wine).
class HistoryContainerSource {
 public:
  virtual ~HistoryContainerSource() = default;
  // false when there is no (further) container.
  virtual bool FirstContainer(std::string& prefix) = 0;
  virtual bool NextContainer(std::string& prefix) = 0;
  virtual void CloseContainers() = 0;
  // Deletes every entry the prefix selects; the number deleted.
  virtual long DeleteEntriesOf(const std::string& prefix) = 0;
};
// Empties every dated history container up to the end of the list or the first container
// without a prefix; the number of entries deleted.
long ClearDatedHistoryContainers(HistoryContainerSource& source);
// WinINet's own containers.
class WinInetContainers : public HistoryContainerSource {
 public:
  ~WinInetContainers() override { CloseContainers(); }
  bool FirstContainer(std::string& prefix) override;
  bool NextContainer(std::string& prefix) override;
  void CloseContainers() override;
  long DeleteEntriesOf(const std::string& prefix) override;

 private:
  bool Take(bool ok, std::string& prefix);
  HANDLE find_ = nullptr;
  std::vector<char> buffer_;
};

// The system's text for a Windows or WinINet error code, or "Error-" + code +
// " - (Unknown Error in Wininet Function)." when it has none.
std::string WinInetErrorText(DWORD code);
// The exact container prefix that the plain enumeration calls select a container by: the
// content cache's "*.*" becomes "" (its prefix is empty); others stay.
std::string PlainContainerPrefix(const std::string& prefix);
