#include "support/url_cache_fill.h"

#include <fstream>

namespace {
std::vector<std::string> UrlsOf(const char* prefix) {
  std::vector<std::string> urls;
  std::vector<char> buffer(16384);
  DWORD size = static_cast<DWORD>(buffer.size());
  auto info = [&] { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data()); };
  HANDLE h = FindFirstUrlCacheEntryA(prefix, info(), &size);
  if (!h) return urls;
  do {
    if (info()->lpszSourceUrlName) urls.push_back(info()->lpszSourceUrlName);
    size = static_cast<DWORD>(buffer.size());
  } while (FindNextUrlCacheEntryA(h, info(), &size));
  FindCloseUrlCache(h);
  return urls;
}
}  // namespace

std::string CacheUserName() {
  char user[256] = {};
  DWORD n = sizeof user;
  GetUserNameA(user, &n);
  return user;
}

std::string CachePage(const std::string& url, bool sticky) {
  char file[MAX_PATH] = {};
  if (!CreateUrlCacheEntryA(url.c_str(), 0, "htm", file, 0)) return {};
  std::ofstream(file, std::ios::binary) << "<html>" << url << "</html>";
  FILETIME none{};
  const DWORD type = NORMAL_CACHE_ENTRY | (sticky ? STICKY_CACHE_ENTRY : 0);
  if (!CommitUrlCacheEntryA(url.c_str(), file, none, none, type, nullptr, 0, "htm", nullptr))
    return {};
  return file;
}

std::string SetIeCookie(const std::string& site, const std::string& name, const std::string& value) {
  InternetSetCookieA(site.c_str(), name.c_str(),
                     (value + "; expires=Sat, 01-Jan-2039 00:00:00 GMT").c_str());
  std::string host = site.substr(site.find("//") + 2);
  return "Cookie:" + CacheUserName() + "@" + host;
}

std::string VisitUrl(const std::string& url) {
  const std::string entry = "Visited: " + CacheUserName() + "@" + url;
  FILETIME none{};
  CommitUrlCacheEntryA(entry.c_str(), nullptr, none, none, URLHISTORY_CACHE_ENTRY, nullptr, 0,
                       nullptr, nullptr);
  return entry;
}

bool InCache(const std::string& url) {
  char buffer[8192];
  DWORD size = sizeof buffer;
  return GetUrlCacheEntryInfoA(url.c_str(), reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer),
                               &size) != FALSE;
}

std::string LocalFileOf(const std::string& url) {
  char buffer[8192];
  DWORD size = sizeof buffer;
  auto* info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer);
  if (!GetUrlCacheEntryInfoA(url.c_str(), info, &size) || !info->lpszLocalFileName) return {};
  return info->lpszLocalFileName;
}

void EmptyUrlCache() {
  for (const char* prefix : {"", "Cookie:", "Visited:"})
    for (const std::string& url : UrlsOf(prefix)) DeleteUrlCacheEntryA(url.c_str());
}
