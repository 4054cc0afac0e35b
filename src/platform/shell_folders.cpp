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
