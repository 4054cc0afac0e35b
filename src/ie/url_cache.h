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
  bool plainCalls_ = false;  // the Ex calls are missing: this enumeration uses the plain ones
  std::vector<char> buffer_;
};

// The system's text for a Windows or WinINet error code, or "Error-" + code +
// " - (Unknown Error in Wininet Function)." when it has none.
std::string WinInetErrorText(DWORD code);
// The exact container prefix that the plain enumeration calls select a container by: the
// content cache's "*.*" becomes "" (its prefix is empty); others stay.
std::string PlainContainerPrefix(const std::string& prefix);
