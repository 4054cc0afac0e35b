#include "ie/boot_list.h"

#include <set>

#include "core/text_util.h"

namespace {
bool IsLocalFullPath(const std::string& p) {
  const unsigned char drive = p.empty() ? 0 : static_cast<unsigned char>(p[0]);
  if (p.size() < 4 || !((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z')))
    return false;
  if (p[1] != ':' || p[2] != '\\') return false;
  // ".." would climb out of the folder the line names; control characters name nothing real.
  for (unsigned char c : p)
    if (c < 32 || c == '"' || c == '*' || c == '?' || c == '<' || c == '>' || c == '|') return false;
  return p.find("\\..\\") == std::string::npos && !EndsWith(p, "\\..") &&
         p.find(':', 2) == std::string::npos;
}
}  // namespace

std::string BootListText(std::string_view product, const BootFolders& folders) {
  std::string text = std::string(product) + "\r\n";
  for (const std::string& f : folders) text += f + "\r\n";
  return text;
}

namespace {
// The folders of the given lines (1 to 10 after the product line) worth visiting.
std::vector<std::string> FoldersOfLines(std::string_view text, bool historyOnly) {
  std::vector<std::string> lines = SplitLines(std::string(text));
  std::vector<std::string> folders;
  std::set<std::string> seen;
  for (size_t i = 1; i < lines.size() && i <= 10; ++i) {
    if (historyOnly && i != 3 && i != 6) continue;
    std::string p = Trim(lines[i]);
    while (p.size() > 3 && p.back() == '\\') p = Trim(std::string_view(p).substr(0, p.size() - 1));
    if (!IsLocalFullPath(p)) continue;
    if (seen.insert(UpperCase(p)).second) folders.push_back(p);
  }
  return folders;
}
}  // namespace

std::vector<std::string> BootListFolders(std::string_view text) {
  return FoldersOfLines(text, false);
}

std::vector<std::string> BootListHistoryFolders(std::string_view text) {
  return FoldersOfLines(text, true);
}

bool IsDatedHistoryFolderName(std::string_view name) {
  if (name.size() <= 6 || UpperCase(name.substr(0, 6)) != "MSHIST") return false;
  for (char c : name.substr(6))
    if (c < '0' || c > '9') return false;
  return true;
}
