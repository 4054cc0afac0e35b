// The plugin registry commands: DEL1VAL, DELVALS, DELSKVS, DEL1KEY and DELKEYS.
#include <windows.h>

#include <functional>

#include "core/text_util.h"
#include "platform/registry.h"
#include "plugins/plugin_engine_internal.h"
#include "plugins/plugin_statement.h"

namespace plugin_engine {
HKEY RootOf(const std::string& root) {
  if (root == "HKCR") return HKEY_CLASSES_ROOT;
  if (root == "HKCU") return HKEY_CURRENT_USER;
  if (root == "HKLM") return HKEY_LOCAL_MACHINE;
  if (root == "HKU") return HKEY_USERS;
  if (root == "HKCC") return HKEY_CURRENT_CONFIG;
  return nullptr;
}

namespace {
std::string TypeName(DWORD type) {
  static const char* kNames[] = {"Reg_None",
                                 "Reg_Sz",
                                 "Reg_Expand_Sz",
                                 "Reg_Binary",
                                 "Reg_Dword",
                                 "Reg_Dword_Big_Endian",
                                 "Reg_Link",
                                 "Reg_Multi_Sz",
                                 "Reg_Resource_List",
                                 "Reg_Full_Resource_Descriptor",
                                 "Reg_Resource_Requirements_List"};
  return type < 11 ? kNames[type] : "Unknown DataType";
}

// False when the value does not exist.
bool DeleteOneValue(Engine& e, HKEY root, const std::string& key, const std::string& displayKey,
                    const std::string& value) {
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &h) != ERROR_SUCCESS &&
      RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS)
    return false;
  struct Closer {
    HKEY h;
    ~Closer() { RegCloseKey(h); }
  } closer{h};
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(h, value.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return false;
  std::string dataText;
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    std::string data(size + 1, '\0');
    DWORD got = size;
    RegQueryValueExA(h, value.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                     &got);
    data.resize(strnlen(data.c_str(), data.size()));
    dataText = " - " + data;
  } else {
    dataText = " - Type = " + TypeName(type);
  }
  const std::string subject = e.Shown(displayKey.empty() ? value : displayKey + "[" + value + "]");
  e.Count();
  if (e.Preview()) {
    e.Detail("   to delete Val - " + subject + dataText);
  } else if (RegDeleteValueA(h, value.c_str()) == ERROR_SUCCESS) {
    e.Detail("     Val deleted - " + subject + dataText);
  } else {
    e.Line("   del Val fails - " + subject + dataText);
  }
  return true;
}

// False when the key does not exist. The key is opened as a link: a registry link is deleted
// itself and never walked, so that nothing behind it (in another part of the registry) goes.
bool DeleteKeyTree(Engine& e, HKEY root, const std::string& key) {
  std::vector<std::string> subkeys;
  {
    RegKey k;
    if (k.OpenLink(root, key) != ERROR_SUCCESS) return false;
    if (!k.IsLink()) subkeys = k.SubkeyNames();
  }
  for (const auto& sub : subkeys) {
    if (e.St().cancel) return true;
    DeleteKeyTree(e, root, key + "\\" + UpperCase(sub));
  }
  e.Count();
  if (e.Preview())
    e.Detail("   to delete Key - " + e.Shown(key));
  else if (DeleteKeyItself(root, key) == ERROR_SUCCESS)
    e.Detail("     Key deleted - " + e.Shown(key));
  else
    e.Line("   del Key fails - " + e.Shown(key));
  return true;
}

// The first key along the path that is a registry link, or empty; the last name counts only
// when `withLast`. Opening a key follows every link on its way, so a statement whose key
// passes through one would work somewhere it did not name.
std::string LinkAlongKey(HKEY root, const std::string& key, bool withLast) {
  const std::vector<std::string> parts = SplitPluginPath(key);
  std::string path;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (parts[i].empty()) continue;
    path += (path.empty() ? "" : "\\") + parts[i];
    if (i + 1 == parts.size() && !withLast) break;
    if (IsRegistryLink(root, path)) return path;
  }
  return {};
}

void ExpandKeyWildcards(Engine& e, HKEY root, const PluginStatement& s,
                        const std::function<void(const std::string&)>& op) {
  if (!HasPluginWildcard(s.key)) {
    op(s.key);
    return;
  }
  const std::vector<std::string> parts = SplitPluginPath(s.key);
  std::function<void(size_t, const std::string&)> walk = [&](size_t i, const std::string& path) {
    if (e.St().cancel) return;
    if (i == parts.size()) {
      e.Line("    key=" + s.root + ":" + e.Shown(path));
      op(path);
      return;
    }
    const std::string& part = parts[i];
    if (!HasPluginWildcard(part)) {
      walk(i + 1, path.empty() ? part : path + "\\" + part);
      return;
    }
    std::vector<std::string> subkeys;
    {
      RegKey k;
      if (k.OpenRead(root, path) != ERROR_SUCCESS) return;
      subkeys = k.SubkeyNames();
    }
    for (const auto& sub : subkeys) {
      if (!PluginWildcardMatch(sub, part)) continue;
      const std::string next = path.empty() ? UpperCase(sub) : path + "\\" + UpperCase(sub);
      // Links are never walked through, as folder links are not.
      if (!IsRegistryLink(root, next)) walk(i + 1, next);
    }
  };
  walk(0, "");
}
}  // namespace

void RunRegistryCommand(Engine& e, const PluginStatement& s) {
  HKEY root = RootOf(s.root);
  if (!root) {
    e.Line("    invalid Root - " + s.root);
    e.ctx.RaiseLevel(5);
    return;
  }
  ExpandKeyWildcards(e, root, s, [&](const std::string& key) {
    if (const std::string problem = PluginKeyProblem(s.command, s.root, key); !problem.empty()) {
      e.Refuse(problem);
      return;
    }
    if (const std::string link = LinkAlongKey(root, key, s.command != "DEL1KEY"); !link.empty()) {
      e.Refuse(s.root + ":" + e.Shown(link) + " is a link");
      return;
    }
    if (s.command == "DEL1VAL") {
      if (!DeleteOneValue(e, root, key, {}, s.value))
        e.Detail("   value not present - " + e.Shown(s.value));
    } else if (s.command == "DELVALS") {
      std::vector<std::string> names;
      {
        RegKey k;
        if (k.OpenRead(root, key) != ERROR_SUCCESS) return;
        names = k.ValueNames();
      }
      for (const auto& v : names) {
        if (e.St().cancel) return;
        if (MatchesPluginPattern(UpperCase(v), s.pattern, s.matchMode))
          DeleteOneValue(e, root, key, {}, UpperCase(v));
      }
    } else if (s.command == "DELSKVS") {
      std::vector<std::string> subkeys;
      {
        RegKey k;
        if (k.OpenRead(root, key) != ERROR_SUCCESS) return;
        subkeys = k.SubkeyNames();
      }
      for (const auto& sub : subkeys) {
        const std::string subKey = key + "\\" + sub;
        if (IsRegistryLink(root, subKey)) continue;
        std::vector<std::string> names;
        {
          RegKey k;
          if (k.OpenRead(root, subKey) != ERROR_SUCCESS) continue;
          names = k.ValueNames();
        }
        for (const auto& v : names) {
          if (e.St().cancel) return;
          if (MatchesPluginPattern(UpperCase(v), s.pattern, s.matchMode))
            DeleteOneValue(e, root, subKey, sub, UpperCase(v));
        }
      }
    } else if (s.command == "DEL1KEY") {
      if (!DeleteKeyTree(e, root, key)) e.Detail("     key not present - " + e.Shown(key));
    } else if (s.command == "DELKEYS") {
      std::vector<std::string> subkeys;
      {
        RegKey k;
        if (k.OpenRead(root, key) != ERROR_SUCCESS) return;
        subkeys = k.SubkeyNames();
      }
      for (const auto& sub : subkeys) {
        if (e.St().cancel) return;
        const std::string name = UpperCase(sub);
        if (MatchesPluginPattern(name, s.pattern, s.matchMode))
          DeleteKeyTree(e, root, key + "\\" + name);
      }
    }
  });
}
}  // namespace plugin_engine
