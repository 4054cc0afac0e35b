#include "system/shortcuts.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <stdexcept>

#include "platform/files.h"
#include "platform/registry.h"
#include "system/executables.h"

namespace {
std::wstring Wide(const std::string& text) {
  int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring w(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, w.data(), n);
  return w;
}

// COM for the length of one call; the GUI thread does not keep it initialised.
struct ComScope {
  HRESULT hr = CoInitialize(nullptr);
  ~ComScope() {
    if (SUCCEEDED(hr)) CoUninitialize();
  }
};

template <class T>
struct ComRef {
  T* p = nullptr;
  ~ComRef() {
    if (p) p->Release();
  }
};
}  // namespace

std::string ShortcutLocationFolder(int location) {
  const char* key = "Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  const char* value = "Desktop";
  switch (location) {
    case kQuickLaunch:
      key = "Software\\MicroSoft\\Windows\\CurrentVersion\\GrpConv\\MapGroups";
      value = "Quick Launch";
      break;
    case kSendTo: value = "SendTo"; break;
    case kStartMenu: value = "Start Menu"; break;
    case kStartUp: value = "StartUp"; break;
  }
  RegKey k;
  if (k.OpenRead(HKEY_CURRENT_USER, key) != ERROR_SUCCESS) return "";
  return k.ReadString(value).value_or("");
}

bool CreateShortcut(const ShortcutDefinition& shortcut) {
  ComScope com;
  ComRef<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link.p))))
    throw std::runtime_error("Cannot create the shell-link object");
  ComRef<IPersistFile> file;
  if (FAILED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p))))
    throw std::runtime_error("The shell-link object has no IPersistFile");
  std::string folder = ExtractFilePath(shortcut.target);
  if (folder.size() > 1 && folder.back() == '\\') folder.pop_back();
  if (!shortcut.arguments.empty()) link.p->SetArguments(shortcut.arguments.c_str());
  link.p->SetPath(shortcut.target.c_str());
  link.p->SetWorkingDirectory(folder.c_str());
  link.p->SetIconLocation((folder + "\\" + shortcut.iconFile).c_str(), 0);
  link.p->SetShowCmd(SW_SHOWNORMAL);
  const std::string location = ShortcutLocationFolder(shortcut.location);
  if (location.empty()) return false;
  const std::wstring path = Wide(location + "\\" + shortcut.name + ".lnk");
  return SUCCEEDED(file.p->Save(path.c_str(), FALSE));
}

ShortcutDefinition DesktopShortcut(int which) {
  static const struct {
    const char *arguments, *icon, *name;
  } kShortcuts[] = {{"", "VaskQuor1.ico", "Quorvane"},
                    {"auto", "VaskQuor2.ico", "Quorvane Now"},
                    {"SHUT", "VaskQuor3.ico", "Quorvane & Shutdown"}};
  const auto& s = kShortcuts[which < 0 || which > 2 ? 0 : which];
  return {ShortcutExecutable(), s.arguments, s.icon, s.name, kDesktop};
}
