#include "core/windows_version.h"

#include <windows.h>

#include "platform/registry.h"

namespace {
WindowsVersion g_version;
}

const WindowsVersion& CurrentWindowsVersion() { return g_version; }

void LoadCurrentWindowsVersion() { g_version = ReadWindowsVersion(); }

WindowsVersion ReadWindowsVersion() {
  OSVERSIONINFOA info{sizeof info};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExA(&info);
#pragma GCC diagnostic pop
  WindowsVersion v{info.dwPlatformId == VER_PLATFORM_WIN32_NT,
                   static_cast<int>(info.dwMajorVersion), static_cast<int>(info.dwMinorVersion),
                   static_cast<int>(info.dwBuildNumber)};
  RegKey key;
  if (v.isNt && key.OpenRead(HKEY_LOCAL_MACHINE,
                             "Software\\Microsoft\\Windows NT\\CurrentVersion") == ERROR_SUCCESS)
    v = ApplyRegistryVersion(v, key.ReadString("CurrentVersion").value_or(""),
                             key.ReadString("CurrentBuildNumber").value_or(""));
  return v;
}
