#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// An open registry key, closed when it goes out of scope. ANSI calls throughout.
class RegKey {
 public:
  RegKey() = default;
  ~RegKey();
  RegKey(RegKey&& o) noexcept : key_(o.key_) { o.key_ = nullptr; }
  RegKey& operator=(RegKey&& o) noexcept;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  // `view`: KEY_WOW64_64KEY or KEY_WOW64_32KEY for one registry view, 0 for this process's own.
  LONG OpenRead(HKEY root, const std::string& path, REGSAM view = 0);
  LONG Create(HKEY root, const std::string& path, REGSAM view = 0);
  bool IsOpen() const { return key_ != nullptr; }
  operator HKEY() const { return key_; }

  // The value's text when it exists and is REG_SZ or REG_EXPAND_SZ.
  std::optional<std::string> ReadString(const std::string& name) const;
  LONG WriteString(const std::string& name, const std::string& value) const;
  LONG DeleteValue(const std::string& name) const;
  std::vector<std::string> SubkeyNames() const;

 private:
  HKEY key_ = nullptr;
};

// Removes a key with all its subkeys; used for test fixtures and uninstall.
LONG DeleteRegistryTree(HKEY root, const std::string& path);
