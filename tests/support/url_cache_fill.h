#pragma once
// Fills and reads the prefix's real WinINet cache, as browsing would leave it, for the tests of
// the Internet Explorer purges.
#include <windows.h>
#include <wininet.h>

#include <string>
#include <vector>

std::string CacheUserName();
// A page in the content cache with its local file; the local file's path, empty on failure.
std::string CachePage(const std::string& url, bool sticky = false);
// A persistent cookie; its index entry's URL ("Cookie:user@host/").
std::string SetIeCookie(const std::string& site, const std::string& name, const std::string& value);
// A visited address; its index entry's URL ("Visited: user@url").
std::string VisitUrl(const std::string& url);
bool InCache(const std::string& url);
// The entry's local file, empty when it has none or is absent.
std::string LocalFileOf(const std::string& url);
// Deletes every entry of the content, cookie and history containers.
void EmptyUrlCache();
