#pragma once
#include <set>
#include <string>
#include <vector>

// The cookies of the Chromium-family profiles as the cookie window lists and deletes them, by
// host, whichever browser and profile hold them.

// One cookie database found: "Google Chrome - Default", its file and its browser's name.
struct ChromiumCookieFile {
  std::string label;
  std::string file;
  std::string browser;
};
// Every cookie database of every profile of the browsers found, in the order they are found.
std::vector<ChromiumCookieFile> FindChromiumCookieFiles();

// One cookie: its host_key, name, and its plain value. The browser keeps the value encrypted
// with a key of its own (`encrypted`), which Quorvane cannot read; a plain value is one the
// browser reads as it is (a randomized cookie).
struct ChromiumCookie {
  std::string host, name, value;
  bool encrypted = false;
};
// Throws ESQLiteException when the file cannot be read.
std::vector<ChromiumCookie> ReadChromiumCookies(const std::string& file);

// Deletes every cookie of the hosts (matched in lower case) in one transaction; the rows
// deleted. Throws ESQLiteException, and then nothing changed.
int DeleteChromiumCookieHosts(const std::string& file, const std::set<std::string>& hosts);
