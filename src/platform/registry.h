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
  // The key itself even when it is a registry link (REG_OPTION_OPEN_LINK), never its target.
  LONG OpenLink(HKEY root, const std::string& path, REGSAM access = KEY_READ);
  bool IsOpen() const { return key_ != nullptr; }
  operator HKEY() const { return key_; }

  // The value's text when it exists and is REG_SZ or REG_EXPAND_SZ.
  std::optional<std::string> ReadString(const std::string& name) const;
  LONG WriteString(const std::string& name, const std::string& value) const;
  LONG DeleteValue(const std::string& name) const;
  std::vector<std::string> SubkeyNames() const;
  std::vector<std::string> ValueNames() const;
  // True when the key, opened with OpenLink, is a registry link: it then holds the target's
  // path in "SymbolicLinkValue" (REG_LINK).
  bool IsLink() const;

 private:
  HKEY key_ = nullptr;
};

// The names of an open key's sub-keys and values, listed whole before anything is deleted:
// deleting shifts the enumeration.
std::vector<std::string> SubkeyNamesOf(HKEY key);
std::vector<std::string> ValueNamesOf(HKEY key);

// Removes a key with all its subkeys; used for test fixtures and uninstall.
LONG DeleteRegistryTree(HKEY root, const std::string& path);

// True when the key is a registry symbolic link (its last name; links before it are followed).
bool IsRegistryLink(HKEY root, const std::string& path, REGSAM view = 0);

// Deletes the key itself, a link included, never a link's target: RegDeleteKeyA opens the key
// following a link, so the key is opened as a link and deleted by its handle (NtDeleteKey of
// ntdll, which every Windows NT has). Returns ERROR_SUCCESS or the Windows error code.
LONG DeleteKeyItself(HKEY root, const std::string& path, REGSAM view = 0);
