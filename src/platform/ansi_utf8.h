#pragma once
#include <string>

// ANSI text in the system code page to UTF-8, one UTF-16 code unit at a time.
std::string AnsiToUtf8(const std::string& text);
// UTF-8 from the database back to ANSI text; characters the code page lacks become '?'.
std::string Utf8ToAnsi(const std::string& text);
// UTF-8 text (a community cleaning file's names and paths) as UTF-16 for the wide calls, and
// back. Invalid bytes become U+FFFD.
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);
