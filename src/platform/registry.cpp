#include "platform/registry.h"

RegKey::~RegKey() {
  if (key_) RegCloseKey(key_);
}

RegKey& RegKey::operator=(RegKey&& o) noexcept {
  if (this != &o) {
    if (key_) RegCloseKey(key_);
    key_ = o.key_;
    o.key_ = nullptr;
  }
  return *this;
}

LONG RegKey::OpenRead(HKEY root, const std::string& path, REGSAM view) {
  *this = RegKey();
  return RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key_);
}

LONG RegKey::Create(HKEY root, const std::string& path, REGSAM view) {
  *this = RegKey();
  return RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE | view, nullptr,
                         &key_, nullptr);
}

std::optional<std::string> RegKey::ReadString(const std::string& name) const {
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
  std::string buf(size + 1, '\0');
  if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()),
                       &size) != ERROR_SUCCESS)
    return std::nullopt;
  buf.resize(strnlen(buf.c_str(), size));
  return buf;
}

LONG RegKey::WriteString(const std::string& name, const std::string& value) const {
  return RegSetValueExA(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1));
}

LONG RegKey::DeleteValue(const std::string& name) const {
  return RegDeleteValueA(key_, name.c_str());
}

std::vector<std::string> RegKey::SubkeyNames() const {
  std::vector<std::string> names;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD len = sizeof name;
    LONG rc = RegEnumKeyExA(key_, i, name, &len, nullptr, nullptr, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) break;
    names.emplace_back(name, len);
  }
  return names;
}

LONG DeleteRegistryTree(HKEY root, const std::string& path) {
  {
    RegKey key;
    if (LONG rc = key.OpenRead(root, path); rc != ERROR_SUCCESS) return rc;
    for (const auto& sub : key.SubkeyNames()) DeleteRegistryTree(root, path + "\\" + sub);
  }
  return RegDeleteKeyA(root, path.c_str());
}
