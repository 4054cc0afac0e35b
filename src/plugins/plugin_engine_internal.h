#pragma once
// What the plugin engine's files share (plugin_engine.cpp runs a plugin, plugin_reach.cpp says
// what a statement may reach, plugin_file_commands.cpp and plugin_registry_commands.cpp do the
// work). Only those files include it; everyone else uses plugin_engine.h.
#include <windows.h>

#include <string>
#include <vector>

#include "core/report_context.h"
#include "plugins/refused_folders.h"
#include "plugins/plugin_statement.h"

namespace plugin_engine {
inline constexpr const char* kCancelled = "*** Cancelled by operator.";

// Everything one plugin's commands share while they run.
struct Engine {
  ReportContext& ctx;
  bool rot13 = false;
  bool cancelReported = false;
  PluginPathFacts facts;

  RunState& St() { return ctx.State(); }
  bool Preview() { return St().preview; }
  void Line(const std::string& s) { ctx.AddReportLine(s); }
  void Detail(const std::string& s) { ctx.AddDetailLine(s); }
  void Count();
  bool CancelSeen() {
    if (!St().cancel) return false;
    if (!cancelReported) Line(kCancelled);
    cancelReported = true;
    return true;
  }
  std::string Shown(const std::string& subject) { return rot13 ? Rot13(subject) : subject; }
  void Refuse(const std::string& why) {
    Line(" -Error- Previous statement not processed - " + why);
    ctx.RaiseLevel(3);
  }
};

// --- what a statement may reach (plugin_reach.cpp) ---------------------------------------
bool RefusedFolderReached(Engine& e, const std::string& folder);
bool RefusedForUnreadableProtectList(Engine& e);
bool RefusedForLink(Engine& e, const std::string& folder);

// --- the commands (plugin_file_commands.cpp, plugin_registry_commands.cpp) ----------------
void RunFileCommand(Engine& e, const PluginStatement& s);
HKEY RootOf(const std::string& root);
void RunRegistryCommand(Engine& e, const PluginStatement& s);
}  // namespace plugin_engine
