#pragma once
#include <string>
#include <string_view>
#include <vector>

// Small text helpers in the program's conventions: 8-bit ANSI text, comparisons upper-cased.
// Case mapping is the system's for the ANSI code page (double-byte characters intact); built
// for another system than Windows, only ASCII letters change.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);
bool StartsWithText(std::string_view s, std::string_view prefix);  // ignoring case
bool StartsWith(std::string_view s, std::string_view prefix);
bool EndsWith(std::string_view s, std::string_view suffix);
std::string Trim(std::string_view s);
// Decimal integer of the whole text (optional sign, blanks around allowed); false otherwise.
bool TryParseInt(std::string_view s, long long& out);
int ParseIntOr(std::string_view s, int fallback);
std::string ReplaceAll(std::string s, std::string_view from, std::string_view to);
// Lines of a text, without their CR LF or LF endings.
std::vector<std::string> SplitLines(const std::string& text);
std::string PadLeft(std::string_view s, size_t width);
