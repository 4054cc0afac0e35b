#include "support/registry_stash.h"

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
