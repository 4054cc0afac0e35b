#include "platform/shell_folders.h"

#include <windows.h>

namespace {
using GetFolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);

GetFolderPathFn FindGetFolderPath() {
  for (const char* dll : {"shell32.dll", "SHFolder.dll"}) {
    HMODULE module = LoadLibraryA(dll);
    if (!module) continue;
    if (auto fn = reinterpret_cast<GetFolderPathFn>(GetProcAddress(module, "SHGetFolderPathA")))
      return fn;  // kept loaded for the life of the process
    FreeLibrary(module);
  }
  return nullptr;
}
}  // namespace

SpecialFolder GetSpecialFolder(int csidl) {
  static GetFolderPathFn fn = FindGetFolderPath();
  if (!fn) return {false, "Failed - API not Found"};
  char buffer[MAX_PATH] = {};
  if (FAILED(fn(nullptr, csidl, nullptr, 0, buffer))) return {false, "Failed - Path not Found"};
  return {true, buffer};
}

#include <shlobj.h>

#include "platform/ansi_utf8.h"

std::string KnownFolderUtf8(const GUID& id, int csidlFallback) {
  using KnownFolderFn = HRESULT(WINAPI*)(const GUID&, DWORD, HANDLE, PWSTR*);
  static const auto known = reinterpret_cast<KnownFolderFn>(
      GetProcAddress(LoadLibraryA("shell32.dll"), "SHGetKnownFolderPath"));
  if (known) {
    PWSTR path = nullptr;
    const HRESULT hr = known(id, 0x00008000 /* KF_FLAG_DONT_VERIFY */, nullptr, &path);
    std::string text = SUCCEEDED(hr) && path ? WideToUtf8(path) : std::string();
    CoTaskMemFree(path);
    if (!text.empty()) return text;
  }
  if (csidlFallback < 0) return {};
  wchar_t buffer[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidlFallback, nullptr, 0, buffer))) return {};
  return WideToUtf8(buffer);
}
