#include "platform/version_resource.h"

#include <windows.h>

#include <cstdio>

TVerInfoRes::TVerInfoRes(const std::string& fileName) {
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(fileName.c_str(), &handle);
  if (size == 0) throw VersionResourceAbsent();
  data_.resize(size);
  if (!GetFileVersionInfoA(fileName.c_str(), 0, size, data_.data())) throw VersionResourceAbsent();
  struct Translation {
    WORD language, codePage;
  }* t = nullptr;
  UINT len = 0;
  if (!VerQueryValueA(data_.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&t),
                      &len) ||
      len < sizeof(Translation))
    throw VersionResourceAbsent();
  language_ = t->language;
  codePage_ = t->codePage;
}

std::string TVerInfoRes::Value(Name name) const {
  static const char* const kNames[] = {"\\CompanyName", "\\FileDescription",
                                       "\\FileVersion", "\\OriginalFilename",
                                       "\\ProductName", "\\ProductVersion"};
  char path[96];
  snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x%s", language_, codePage_, kNames[name]);
  char* value = nullptr;
  UINT len = 0;
  if (!VerQueryValueA(const_cast<char*>(data_.data()), path, reinterpret_cast<void**>(&value),
                      &len) ||
      !value)
    return {};
  return std::string(value, strnlen(value, len));
}

namespace {
std::string VersionText(const std::string& fileName, TVerInfoRes::Name name) {
  try {
    TVerInfoRes info(fileName);
    std::string v = info.Value(name);
    return v.empty() ? "00.00.00.01" : v;
  } catch (const VersionResourceAbsent&) {
    return "00.00.00.00";
  }
}
}  // namespace

std::string FileVersionText(const std::string& fileName) {
  return VersionText(fileName, TVerInfoRes::FileVersion);
}

std::string ProductVersionText(const std::string& fileName) {
  return VersionText(fileName, TVerInfoRes::ProductVersion);
}
