#include "support/registry_stash.h"

#include <sddl.h>

#include "platform/registry.h"

RegistryStash::RegistryStash(HKEY root, std::string path) : root_(root), path_(std::move(path)) {
  Collect(path_);
  DeleteRegistryTree(root_, path_);
}

void RegistryStash::Collect(const std::string& keyPath) {
  RegKey key;
  if (key.OpenRead(root_, keyPath) != ERROR_SUCCESS) return;
  keys_.push_back(keyPath);
  char name[512];
  for (DWORD i = 0;; ++i) {
    DWORD len = sizeof name;
    if (RegEnumValueA(key, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    if (auto v = key.ReadString(name)) entries_.push_back({keyPath, name, *v});
  }
  for (const auto& sub : key.SubkeyNames()) Collect(keyPath + "\\" + sub);
}

RegistryStash::~RegistryStash() {
  DeleteRegistryTree(root_, path_);
  for (const auto& k : keys_) {
    RegKey key;
    key.Create(root_, k);
  }
  for (const auto& e : entries_) {
    RegKey key;
    if (key.Create(root_, e.key) == ERROR_SUCCESS) key.WriteString(e.name, e.value);
  }
}

std::string UserKeyPath(const std::string& key) {
  HANDLE token = nullptr;
  OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
  BYTE buffer[256];
  DWORD size = 0;
  const bool ok = GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size);
  CloseHandle(token);
  char* sid = nullptr;
  if (!ok || !ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid))
    return {};
  const std::string path = std::string("\\Registry\\User\\") + sid + "\\" + key;
  LocalFree(sid);
  return path;
}

bool MakeRegistryLink(const std::string& link, const std::string& target) {
  HKEY h = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, link.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                      KEY_ALL_ACCESS, nullptr, &h, nullptr) != ERROR_SUCCESS)
    return false;
  const std::wstring wide(target.begin(), target.end());
  const bool ok = RegSetValueExW(h, L"SymbolicLinkValue", 0, REG_LINK,
                                 reinterpret_cast<const BYTE*>(wide.c_str()),
                                 static_cast<DWORD>(wide.size() * 2)) == ERROR_SUCCESS;
  RegCloseKey(h);
  return ok;
}
