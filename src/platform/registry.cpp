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

LONG RegKey::OpenLink(HKEY root, const std::string& path, REGSAM access) {
  *this = RegKey();
  return RegOpenKeyExA(root, path.c_str(), REG_OPTION_OPEN_LINK, access, &key_);
}

bool RegKey::IsLink() const {
  DWORD type = 0;
  return key_ &&
         RegQueryValueExW(key_, L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) ==
             ERROR_SUCCESS &&
         type == REG_LINK;
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

std::vector<std::string> RegKey::SubkeyNames() const { return SubkeyNamesOf(key_); }
std::vector<std::string> RegKey::ValueNames() const { return ValueNamesOf(key_); }

namespace {
// Names up to `longest` characters, by index until the enumeration ends.
template <typename Enumerate>
std::vector<std::string> NamesOf(size_t longest, Enumerate&& enumerate) {
  std::vector<std::string> names;
  std::string name(longest, '\0');
  for (DWORD i = 0;; ++i) {
    DWORD len = static_cast<DWORD>(name.size());
    if (enumerate(i, name.data(), &len) != ERROR_SUCCESS) break;
    names.emplace_back(name.data(), len);
  }
  return names;
}
}  // namespace

std::vector<std::string> SubkeyNamesOf(HKEY key) {
  return NamesOf(256, [&](DWORD i, char* name, DWORD* len) {
    return RegEnumKeyExA(key, i, name, len, nullptr, nullptr, nullptr, nullptr);
  });
}

std::vector<std::string> ValueNamesOf(HKEY key) {
  return NamesOf(16384, [&](DWORD i, char* name, DWORD* len) {
    return RegEnumValueA(key, i, name, len, nullptr, nullptr, nullptr, nullptr);
  });
}

LONG DeleteRegistryTree(HKEY root, const std::string& path) {
  {
    RegKey key;
    if (LONG rc = key.OpenRead(root, path); rc != ERROR_SUCCESS) return rc;
    for (const auto& sub : key.SubkeyNames()) DeleteRegistryTree(root, path + "\\" + sub);
  }
  return RegDeleteKeyA(root, path.c_str());
}

bool IsRegistryLink(HKEY root, const std::string& path, REGSAM view) {
  RegKey key;
  return key.OpenLink(root, path, KEY_QUERY_VALUE | view) == ERROR_SUCCESS && key.IsLink();
}

LONG DeleteKeyItself(HKEY root, const std::string& path, REGSAM view) {
  using NtDeleteKeyFn = LONG(WINAPI*)(HANDLE);
  static const auto ntDeleteKey = reinterpret_cast<NtDeleteKeyFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
  using RtlNtStatusToDosErrorFn = ULONG(WINAPI*)(LONG);
  static const auto toDosError = reinterpret_cast<RtlNtStatusToDosErrorFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlNtStatusToDosError")));
  if (!ntDeleteKey || !toDosError) return ERROR_PROC_NOT_FOUND;
  RegKey key;
  if (LONG rc = key.OpenLink(root, path, DELETE | KEY_QUERY_VALUE | view); rc != ERROR_SUCCESS) return rc;
  const LONG status = ntDeleteKey(static_cast<HKEY>(key));
  return status == 0 ? ERROR_SUCCESS : static_cast<LONG>(toDosError(status));
}
