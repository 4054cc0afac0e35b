// Only the probes that detecting community entries needs, for scripts/bench/winapp2.sh: reads
// the list winapp2_bench setup wrote ("E" per entry, then its "R HIVE\key" and "F path"
// probes; "S" for an entry it does not probe) and asks the registry and the file system,
// entry by entry, until one probe answers. Prints the entries found on stderr.
//   winapp2_probe PROBES
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {
HKEY HiveOf(const std::string& hive) {
  if (hive == "HKCU" || hive == "HKEY_CURRENT_USER") return HKEY_CURRENT_USER;
  if (hive == "HKLM" || hive == "HKEY_LOCAL_MACHINE") return HKEY_LOCAL_MACHINE;
  if (hive == "HKCR" || hive == "HKEY_CLASSES_ROOT") return HKEY_CLASSES_ROOT;
  if (hive == "HKU" || hive == "HKEY_USERS") return HKEY_USERS;
  if (hive == "HKCC" || hive == "HKEY_CURRENT_CONFIG") return HKEY_CURRENT_CONFIG;
  return nullptr;
}

bool KeyExists(const std::string& key) {
  const size_t slash = key.find('\\');
  HKEY hive = HiveOf(key.substr(0, slash));
  HKEY opened;
  if (!hive ||
      RegOpenKeyExA(hive, slash == std::string::npos ? "" : key.c_str() + slash + 1, 0, KEY_READ,
                    &opened) != ERROR_SUCCESS)
    return false;
  RegCloseKey(opened);
  return true;
}

// Whether levels[i..] exist below `base`, a wildcard level matching any folder (any entry for
// the last level).
bool Exists(const std::string& base, const std::vector<std::string>& levels, size_t i) {
  if (i == levels.size()) return true;
  const bool last = i + 1 == levels.size();
  const std::string path = base + "\\" + levels[i];
  if (levels[i].find_first_of("*?") == std::string::npos) {
    const DWORD a = GetFileAttributesA(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return false;
    return last || ((a & FILE_ATTRIBUTE_DIRECTORY) && Exists(path, levels, i + 1));
  }
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(path.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool found = false;
  do {
    const std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    found = last || ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                     Exists(base + "\\" + name, levels, i + 1));
  } while (!found && FindNextFileA(h, &fd));
  FindClose(h);
  return found;
}

bool PathExists(const std::string& path) {
  const size_t root = path.find('\\');
  if (root == std::string::npos) return false;
  if (path.find_first_of("*?") == std::string::npos)
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  std::vector<std::string> levels;
  for (size_t start = root + 1; start < path.size();) {
    const size_t end = path.find('\\', start);
    levels.push_back(path.substr(start, end == std::string::npos ? end : end - start));
    start = end == std::string::npos ? path.size() : end + 1;
  }
  return levels.empty() ? GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES
                        : Exists(path.substr(0, root), levels, 0);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::ifstream in(argv[1]);
  std::string line;
  int found = 0, entries = 0;
  bool open = false, present = false, probed = false;
  auto close = [&] {
    if (open && (present || !probed)) ++found;
  };
  while (std::getline(in, line)) {
    if (line == "E" || line == "S") {
      close();
      ++entries;
      open = line == "E";
      present = probed = false;
    } else if (open && !present && line.size() > 2) {
      probed = true;
      present = line[0] == 'R' ? KeyExists(line.substr(2)) : PathExists(line.substr(2));
    }
  }
  close();
  std::fprintf(stderr, "winapp2_probe: %d of %d entries found\n", found, entries);
  return 0;
}
