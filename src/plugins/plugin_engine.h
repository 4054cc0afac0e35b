#pragma once
#include <string>
#include <vector>

#include "core/report_context.h"

// The plugin engine: runs the lines of one plugin file, reporting into the context's view.
// The context's run state carries the rest of the run context: detail, preview and the
// secure-erase settings that file deletions honour.

// Entries the engine counted since the caller last reset it.
long long& PluginEntryCount();

// Runs one plugin's lines in order. With per-plugin totals the entry count starts at zero and
// the plugin ends with its own total line.
void RunPlugin(ReportContext& ctx, const std::vector<std::string>& lines, bool perPluginTotals);

// The macros of one upper-cased line expanded from the registry, the environment and the
// shell folders.
std::string ExpandPluginMacros(const std::string& line);

// The body of "  Processing \"Plugins\"": every selected plugin in list order.
void RunSelectedPlugins(ReportContext& ctx);
