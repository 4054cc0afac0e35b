#include "platform/http_download.h"

#include <windows.h>
#include <wininet.h>

namespace {
// An internet handle closed when it goes out of scope.
class NetHandle {
 public:
  explicit NetHandle(HINTERNET h) : h_(h) {}
  ~NetHandle() {
    if (h_) InternetCloseHandle(h_);
  }
  NetHandle(const NetHandle&) = delete;
  NetHandle& operator=(const NetHandle&) = delete;
  operator HINTERNET() const { return h_; }

 private:
  HINTERNET h_;
};

bool QueryNumber(HINTERNET request, DWORD what, DWORD& number) {
  DWORD size = sizeof number, index = 0;
  return HttpQueryInfoA(request, what | HTTP_QUERY_FLAG_NUMBER, &number, &size, &index) != FALSE;
}

std::string QueryText(HINTERNET request, DWORD what) {
  char text[256] = {};
  DWORD size = sizeof text - 1, index = 0;
  return HttpQueryInfoA(request, what, text, &size, &index) ? std::string(text, size) : std::string();
}
}  // namespace

HttpDownload DownloadUrl(const std::string& url, const std::string& agent) {
  HttpDownload d;
  NetHandle session(InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) {
    d.error = GetLastError();
    return d;
  }
  const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                      INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_UI |
                      INTERNET_FLAG_NO_COOKIES;
  NetHandle request(InternetOpenUrlA(session, url.c_str(), nullptr, 0, flags, 0));
  if (!request) {
    d.error = GetLastError();
    return d;
  }
  // InternetOpenUrl succeeds on any answer the server gives, an error page included: only the
  // status code tells a file from a "404 Not Found" page.
  DWORD status = 0;
  if (!QueryNumber(request, HTTP_QUERY_STATUS_CODE, status)) {
    d.error = GetLastError();
    return d;
  }
  d.status = status;
  d.statusText = QueryText(request, HTTP_QUERY_STATUS_TEXT);
  DWORD length = 0;
  const bool sized = QueryNumber(request, HTTP_QUERY_CONTENT_LENGTH, length);
  char buffer[65536];
  for (;;) {
    DWORD read = 0;
    if (!InternetReadFile(request, buffer, sizeof buffer, &read)) {
      d.error = GetLastError();
      return d;
    }
    if (read == 0) break;
    d.body.append(buffer, read);
  }
  // A connection closed early ends the reads as the end of the body would.
  d.complete = !sized || d.body.size() == length;
  return d;
}
