#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One cookie as the cookie purge and the cookie window see it: seven fields separated by TAB
// characters (host, "TRUE"/"FALSE" for HTTP only, path, "TRUE"/"FALSE" for secure, expiry,
// name, value), the layout of a Cookies.txt line. A cookie read from Cookies.sqlite also
// knows its row, so that a change reaches exactly that row.
struct CookieLine {
  std::string text;
  int64_t rowid = -1;  // -1: a line of Cookies.txt
};

enum CookieField {
  kCookieHost,
  kCookieHttpOnly,
  kCookiePath,
  kCookieSecure,
  kCookieExpiry,
  kCookieName,
  kCookieValue
};

std::string MakeCookieLine(const std::string& host, bool httpOnly, const std::string& path,
                           bool secure, const std::string& expiry, const std::string& name,
                           const std::string& value);
// The field by its number, empty when the line has fewer fields.
std::string CookieLineField(std::string_view line, int field);
// The line with one field replaced; a line with fewer fields is returned unchanged.
std::string ReplaceCookieLineField(std::string_view line, int field, std::string_view value);
// The host as the purge matches it: the text before the first TAB, CR or LF, lower-cased.
std::string CookieLineHost(std::string_view line);

// Sorted case-insensitively on the whole line, so that the cookies of one host are adjacent.
void SortCookieLines(std::vector<CookieLine>& lines);

// Cookies.txt as read: the leading comment and empty lines (while at least two lines remain)
// are its header, the rest its cookies.
void SplitCookiesTxt(std::vector<std::string> fileLines, std::vector<std::string>& header,
                     std::vector<CookieLine>& cookies);
// The file written back: header, then cookies, each line ending in a single LF.
std::string JoinCookiesTxt(const std::vector<std::string>& header,
                           const std::vector<CookieLine>& cookies);

// The summary lines of a cookie pass, in order; with no host processed, this line first.
inline constexpr const char* kNoCookieEntriesLine = "    No Entries found to delete.";
std::vector<std::string> CookieSummaryLines(bool preview, long long randomizedHosts,
                                            long long processedHosts);
