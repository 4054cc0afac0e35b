#pragma once
#include <string>

// One HTTP(S) GET through WinINet, the whole body kept in memory. The system's proxy and
// certificate settings apply; nothing is read from or written to WinINet's cache.
struct HttpDownload {
  unsigned long error = 0;  // a WinINet or Windows error code; 0 when the server answered
  unsigned long status = 0;  // the HTTP status code when the server answered
  std::string statusText;    // "Not Found", as the server wrote it
  std::string body;
  bool complete = false;  // the body arrived whole (as long as Content-Length said, when it did)
};
HttpDownload DownloadUrl(const std::string& url, const std::string& agent);
