#include "core/command_line.h"

#include "core/text_util.h"

namespace {
std::vector<std::string> g_args;
std::string g_fullLine;
}  // namespace

// Splits like the Windows C runtime for ordinary command lines: blanks separate arguments,
// double quotes group blanks into one argument and are removed.
std::vector<std::string> SplitCommandLine(const std::string& line) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && static_cast<unsigned char>(line[i]) <= ' ') ++i;
    if (i >= line.size()) break;
    std::string arg;
    bool quoted = false;
    while (i < line.size() && (quoted || static_cast<unsigned char>(line[i]) > ' ')) {
      if (line[i] == '"')
        quoted = !quoted;
      else
        arg += line[i];
      ++i;
    }
    out.push_back(arg);
  }
  return out;
}

void SetProgramArguments(std::vector<std::string> args, std::string fullLine) {
  g_args = std::move(args);
  g_fullLine = std::move(fullLine);
}

const std::vector<std::string>& ProgramArguments() { return g_args; }
const std::string& FullCommandLine() { return g_fullLine; }

bool HasSwitch(const std::vector<std::string>& args, const std::string& name) {
  for (const auto& a : args)
    if (SameText(a, name)) return true;
  return false;
}

std::string ValueOf(const std::vector<std::string>& args, const std::string& name) {
  const std::string prefix = name + "=";
  for (const auto& a : args)
    if (StartsWithText(a, prefix)) return UpperCase(a.substr(prefix.size()));
  return {};
}

bool ParamSwitch(const std::string& name) { return HasSwitch(g_args, name); }
std::string ParamValue(const std::string& name) { return ValueOf(g_args, name); }
