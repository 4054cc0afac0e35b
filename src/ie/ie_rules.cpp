#include "ie/ie_rules.h"

#include "core/text_util.h"

int VersionMajor(std::string_view text) {
  size_t dot = text.find('.');
  if (dot == std::string_view::npos) return 0;
  std::string_view digits = text.substr(0, dot);
  if (digits.empty() || digits.size() > 9) return 0;
  int n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n;
}

std::string DropTrailingBackslash(std::string path) {
  if (path.size() > 1 && path.back() == '\\') path.pop_back();
  return path;
}

std::optional<std::string> CheckedFolderPath(std::string path) {
  path = DropTrailingBackslash(std::move(path));
  if (path.size() < 4 || path.find(':') == std::string::npos ||
      path.find('\\') == std::string::npos)
    return std::nullopt;
  return path;
}

std::string InsertLowFolder(const std::string& path, std::string_view component) {
  size_t at = path.find(component);
  if (at == std::string::npos) return {};
  return path.substr(0, at) + "\\Low" + path.substr(at);
}

std::string LocalLowFolder(const std::string& localAppData) {
  if (localAppData.size() < 6 ||
      UpperCase(localAppData.substr(localAppData.size() - 6)) != "\\LOCAL")
    return {};
  return localAppData + "Low";
}

bool IsTypedUrlName(std::string_view name) { return StartsWithText(name, "URL"); }

bool IsMsn6TypedUrlName(std::string_view name) { return !SameText(name, "MRULIST"); }
