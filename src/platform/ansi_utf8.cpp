#include "platform/ansi_utf8.h"

#include <windows.h>

#include <vector>

// Each UTF-16 unit is encoded on its own (1, 2 or 3 bytes), as the database layer expects;
// surrogate pairs therefore become two 3-byte sequences.
namespace {
// Plain ASCII reads the same in every code page and in UTF-8: most hosts, names and SQL are.
bool IsAscii(const std::string& text) {
  for (unsigned char c : text)
    if (c >= 0x80) return false;
  return true;
}
}  // namespace

std::string AnsiToUtf8(const std::string& text) {
  if (IsAscii(text)) return text;
  int units =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::vector<wchar_t> wide(units);
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), units);
  std::string out;
  out.reserve(units * 3);
  for (wchar_t w : wide) {
    unsigned c = static_cast<unsigned short>(w);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string Utf8ToAnsi(const std::string& text) {
  if (IsAscii(text)) return text;
  const int n = static_cast<int>(text.size());
  int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), n, nullptr, 0);
  if (units <= 0) return text;  // not UTF-8 at all: leave the bytes as they are
  std::vector<wchar_t> wide(units);
  MultiByteToWideChar(CP_UTF8, 0, text.data(), n, wide.data(), units);
  int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
  std::string out(bytes, '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), units, out.data(), bytes, nullptr, nullptr);
  return out;
}

std::wstring Utf8ToWide(const std::string& text) {
  const int n = static_cast<int>(text.size());
  const int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), n, nullptr, 0);
  std::wstring wide(units > 0 ? units : 0, L'\0');
  if (units > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), n, wide.data(), units);
  return wide;
}

std::string WideToUtf8(const std::wstring& text) {
  const int n = static_cast<int>(text.size());
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), n, nullptr, 0, nullptr, nullptr);
  std::string out(bytes > 0 ? bytes : 0, '\0');
  if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), n, out.data(), bytes, nullptr, nullptr);
  return out;
}
