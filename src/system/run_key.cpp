#include "system/run_key.h"

#include <windows.h>

#include "core/message_box.h"
#include "core/text_util.h"
#include "platform/files.h"
#include "platform/registry.h"

namespace {
bool OpenRunKey(RegKey& key) {
  if (key.Create(HKEY_CURRENT_USER, kRunKeyPath) == ERROR_SUCCESS) return true;
  ShowMessageBox(
      "Error accessing Registry. \r\nFor Windows XP/VISTA/Win-7/Win-8, you need "
      "Registry Privileges \r\nfor this function. \r\nPlease see your System "
      "Administrator",
      "Quorvane  -  Message", MessageKind::Error, MessageButtons::Ok);
  return false;
}
}  // namespace

std::string RunKeyData(const std::string& exePath) {
  char shortPath[521] = {};
  DWORD n = GetShortPathNameA(exePath.c_str(), shortPath, sizeof shortPath);
  std::string path = n > 0 && n < sizeof shortPath ? std::string(shortPath, n) : exePath;
  if (path.size() > 520) path.resize(520);
  return UpperCase("\"" + path + "\" Boot");
}

bool IsRunKeySet() {
  RegKey key;
  if (key.OpenRead(HKEY_CURRENT_USER, kRunKeyPath) != ERROR_SUCCESS) return false;
  const std::string data = key.ReadString(kRunValueName).value_or("");
  if (data.size() < 9) return false;
  const std::string tail = data.substr(data.size() - 9);
  return tail == ".EXE BOOT" || tail == "EXE\" BOOT";
}

bool SetRunKey() {
  RegKey key;
  return OpenRunKey(key) &&
         key.WriteString(kRunValueName, RunKeyData(ModuleFileName())) == ERROR_SUCCESS;
}

bool RemoveRunKey() {
  RegKey key;
  return OpenRunKey(key) && key.DeleteValue(kRunValueName) == ERROR_SUCCESS;
}
