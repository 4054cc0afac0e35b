#include "platform/case_mapping.h"

#include <windows.h>

std::string SystemCaseMap(std::string_view text, bool upper, unsigned codePage) {
  std::string out(text);
  if (text.empty()) return out;
  const UINT cp = codePage ? codePage : CP_ACP;
  const int size = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (n > 0) {
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), n);
    if (upper)
      CharUpperBuffW(wide.data(), static_cast<DWORD>(n));
    else
      CharLowerBuffW(wide.data(), static_cast<DWORD>(n));
    // UTF-8 takes neither the best-fit flag nor the question whether a default was used.
    const bool utf8 = cp == CP_UTF8 || (cp == CP_ACP && GetACP() == CP_UTF8);
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL lost = FALSE;
    const int m =
        WideCharToMultiByte(cp, flags, wide.data(), n, nullptr, 0, nullptr, utf8 ? nullptr : &lost);
    if (m > 0 && !lost) {
      std::string mapped(static_cast<size_t>(m), '\0');
      WideCharToMultiByte(cp, flags, wide.data(), n, mapped.data(), m, nullptr,
                          utf8 ? nullptr : &lost);
      if (!lost) return mapped;
    }
  }
  // Bytes that are no characters of the code page, or a mapped letter the code page cannot
  // hold: only the ASCII letters that begin a character change.
  for (size_t i = 0; i < out.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(out[i]);
    if (IsDBCSLeadByteEx(cp, c)) {
      ++i;
      continue;
    }
    if (upper && c >= 'a' && c <= 'z') out[i] = static_cast<char>(c - 'a' + 'A');
    if (!upper && c >= 'A' && c <= 'Z') out[i] = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::wstring SystemUpperWide(std::wstring_view text) {
  std::wstring out(text);
  if (!out.empty()) CharUpperBuffW(out.data(), static_cast<DWORD>(out.size()));
  return out;
}
