#pragma once
#include <optional>
#include <string>
#include <string_view>

// Text rules of the Internet Explorer discovery and registry purges, free of Windows calls.

// The decimal number before the first full stop of a version text; 0 without a full stop or
// when those characters are not a number.
int VersionMajor(std::string_view versionText);

// A folder found by discovery must be a full path: at least 4 characters with ":" and "\"
// (after one trailing backslash is dropped). nullopt when it is not.
std::optional<std::string> CheckedFolderPath(std::string path);

// Drops one trailing backslash of a path longer than one character.
std::string DropTrailingBackslash(std::string path);

// The protected-mode ("Low") form of a cache or history folder: "\Low" inserted before the
// first occurrence of `component` ("\Content.IE5", "\History.IE5"); empty when it is absent.
std::string InsertLowFolder(const std::string& path, std::string_view component);

// The LocalLow folder beside a local application data folder ending in "\Local" (any case);
// empty when it does not end so.
std::string LocalLowFolder(const std::string& localAppData);

// Typed-URL values: under the IE and MSN keys only names beginning with "URL" (any case);
// under an MSN 6 user's key every name except "MRULIST" (any case).
bool IsTypedUrlName(std::string_view name);
bool IsMsn6TypedUrlName(std::string_view name);
