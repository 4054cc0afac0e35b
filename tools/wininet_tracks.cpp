// Internet Explorer tracks for a Wine prefix. "prime" uses WinINet once, which makes Wine
// create the cache, cookie and history containers (Content.IE5, INetCookies, History.IE5 with
// their index.dat files) that Quorvane's discovery looks for. "demo" adds a few cached pages,
// cookies and visited addresses, as browsing would leave them.
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {
bool CachePage(const std::string& url, const std::string& body) {
  char file[MAX_PATH] = {};
  if (!CreateUrlCacheEntryA(url.c_str(), 0, "html", file, 0)) return false;
  HANDLE h = CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  WriteFile(h, body.data(), static_cast<DWORD>(body.size()), &written, nullptr);
  CloseHandle(h);
  FILETIME none{};
  return CommitUrlCacheEntryA(url.c_str(), file, none, none, NORMAL_CACHE_ENTRY, nullptr, 0, "html",
                              nullptr) != FALSE;
}

bool Visit(const std::string& url) {
  char user[256] = "user";
  DWORD n = sizeof user;
  GetUserNameA(user, &n);
  FILETIME none{};
  std::string entry = std::string("Visited: ") + user + "@" + url;
  return CommitUrlCacheEntryA(entry.c_str(), nullptr, none, none, URLHISTORY_CACHE_ENTRY, nullptr,
                              0, nullptr, nullptr) != FALSE;
}
}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "prime") {
    char buffer[4096];
    DWORD size = sizeof buffer;
    HANDLE h = FindFirstUrlCacheEntryA(
        nullptr, reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer), &size);
    if (h) FindCloseUrlCache(h);
    return 0;
  }
  if (command == "demo") {
    const char* sites[] = {"http://news.example.com/", "http://shop.example.net/cart",
                           "http://travel.example.org/offers"};
    int failures = 0;
    for (const char* site : sites) {
      std::string url = site;
      failures += !CachePage(url + "index.html", "<html><body>" + url + "</body></html>");
      failures += !Visit(url);
      std::string host = url.substr(0, url.find('/', 7) + 1);
      failures += !InternetSetCookieA(host.c_str(), "session",
                                      "abc123; expires=Sat, 01-Jan-2039 00:00:00 GMT");
    }
    return failures == 0 ? 0 : 1;
  }
  std::fprintf(stderr, "usage: wininet_tracks prime | demo\n");
  return 2;
}
