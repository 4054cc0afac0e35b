#include "plugins/plugin_engine.h"

#include <windows.h>

#include <string>

#include "core/command_line.h"
#include "core/os_flags.h"
#include "core/text_util.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/shell_folders.h"
#include "plugins/plugin_engine_internal.h"
#include "plugins/plugin_selection.h"
#include "plugins/plugin_statement.h"

using namespace plugin_engine;

namespace {
std::optional<std::string> NamedMacro(const std::string& name) {
  auto folder = [](int csidl) -> std::optional<std::string> {
    SpecialFolder f = GetSpecialFolder(csidl);
    if (!f.ok || f.text.empty()) return std::nullopt;
    return f.text;
  };
  if (name == "USERSOFTWARE")
    return std::string(CurrentOsFlags().vista ? "Software\\AppDataLow\\Software" : "Software");
  if (name == "COMPUTER" || name == "USER") {
    char buffer[256] = {};
    DWORD size = sizeof buffer;
    const BOOL ok =
        name == "COMPUTER" ? GetComputerNameA(buffer, &size) : GetUserNameA(buffer, &size);
    if (!ok || !buffer[0]) return std::nullopt;
    return std::string(buffer);
  }
  if (name == "APPDATA") return folder(kCsidlAppData);
  if (name == "LOCALAPPDATA") return folder(kCsidlLocalAppData);
  if (name == "PICTURES") return folder(39);
  if (name == "DOCUMENTS") return folder(5);
  return std::nullopt;
}
}  // namespace

long long& PluginEntryCount() {
  static long long count = 0;
  return count;
}

namespace plugin_engine {
// The engine counts without the status-line refresh of CountItem, but lets messages run
// now and then so that "Cancel / Stop" is seen.
void Engine::Count() {
  ++PluginEntryCount();
  ++St().processed;
  if (St().processed % 10 == 0) ctx.View().PumpMessages();
}
}  // namespace plugin_engine

std::string ExpandPluginMacros(const std::string& line) {
  PluginMacroSources sources;
  sources.named = NamedMacro;
  sources.registryString = [](const std::string& root, const std::string& key,
                              const std::string& value) -> std::optional<std::string> {
    HKEY hive = RootOf(root);
    if (!hive) return std::nullopt;
    RegKey k;
    if (k.OpenRead(hive, key) != ERROR_SUCCESS) return std::nullopt;
    return k.ReadString(value);
  };
  sources.environment = [](const std::string& text) {
    const DWORD size = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    if (size == 0) return text;
    std::string out(size, '\0');
    if (ExpandEnvironmentStringsA(text.c_str(), out.data(), size) == 0) return text;
    out.resize(strnlen(out.c_str(), out.size()));
    return out;
  };
  return ExpandPluginMacrosWith(line, sources);
}

void RunPlugin(ReportContext& ctx, const std::vector<std::string>& lines, bool perPluginTotals) {
  Engine e{ctx, false, {}};
  e.facts.fullPath = FullPathName;
  e.facts.refusedFolders = RefusedFolders();
  const bool trace = ParamSwitch("debug");
  bool levelRefused = false;
  if (perPluginTotals) PluginEntryCount() = 0;
  for (const std::string& raw : lines) {
    if (e.CancelSeen()) break;
    const std::string line = UpperCase(raw);
    if (levelRefused) {
      e.Line(line);
      continue;
    }
    if (StartsWith(line, "ROT13")) {
      e.rot13 = true;
      if (ctx.State().detail || perPluginTotals) e.Line("* " + line);
      continue;
    }
    if (IsLevelLine(line)) {
      e.Line("* " + line);
      if (PluginLevelOf(line) > kPluginLevel) {
        e.Line("Error - Quorvane is not programmed to support this Plugin level");
        e.Line("        You need to upgrade Quorvane to the new version to process this Plugin");
        levelRefused = true;
      }
      continue;
    }
    try {
      const std::string expanded = ExpandPluginMacros(line);
      const PluginStatement s = ParsePluginStatement(expanded);
      if (s.invalidType) {
        e.Line(line);
        e.Line(" -Error- Previous statement not processed - has invalid Type field");
        continue;
      }
      if (s.kind == 'T') {
        if (ctx.State().detail || perPluginTotals) e.Line("* " + line);
        continue;
      }
      e.Line(line);
      if (expanded != line) {
        e.Line("      The above command expands to:");
        e.Line(expanded);
      }
      if (trace)
        for (const auto& t : PluginTraceLines(s)) e.Line(t);
      // The statement runs on the full path Windows makes of what it names.
      PluginStatement resolved = s;
      const std::string problem = ResolvePluginStatement(resolved, e.facts);
      if (!problem.empty()) {
        e.Refuse(problem);
        continue;
      }
      if (resolved.kind == 'F')
        RunFileCommand(e, resolved);
      else
        RunRegistryCommand(e, resolved);
    } catch (...) {
      // One command's failure is its own; the plugin goes on with the next line.
    }
  }
  // A cancel during the last statement is seen only here, and still said.
  e.CancelSeen();
  if (perPluginTotals) {
    const long long n = PluginEntryCount();
    e.Line(n == 1 ? "    1 - Entry processed for this Plugin"
                  : "   " + std::to_string(n) + " - Entries processed for this Plugin");
    e.Line(" ");
  }
}

void RunSelectedPlugins(ReportContext& ctx) {
  const std::vector<std::string> names = PluginSelection();
  if (names.empty()) {
    ctx.AddReportLine("    No Plugins are selected.");
    return;
  }
  PluginEntryCount() = 0;
  bool first = true;
  for (const auto& name : names) {
    if (ctx.Cancelled()) {
      ctx.AddReportLine(kCancelled);
      return;
    }
    std::vector<std::string> lines;
    std::string problem;
    if (!ReadPluginLines(PluginFolder() + "\\" + name, lines, &problem)) continue;
    if (!first) ctx.AddReportLine(" ");
    first = false;
    ctx.AddReportLine("Process Plugin - " + name);
    if (!problem.empty()) {
      // Run as nothing, such a file would look like a plugin that found nothing to do.
      ctx.AddReportLine(" -Error- Plugin file not processed - " + problem);
      ctx.RaiseLevel(3);
      continue;
    }
    RunPlugin(ctx, lines, false);
    if (ctx.Cancelled()) return;
  }
  const long long n = PluginEntryCount();
  ctx.AddReportLine(n == 1 ? "  Run Plugins Function Completed.  1 - Entry processed."
                           : "  Run Plugins Function Completed.  " + std::to_string(n) +
                                 " - Entries processed.");
}
