#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "core/report_context.h"

// "Select Plugins for Plugin Option": the plugins of the plugin folder with their check boxes
// (the selection of "Run Plugins"), the text of the one clicked last, and its Test and Execute.
class TPlugSelForm {
 public:
  // Shown modally. `run` supplies what Execute takes from the purge run: its preview flag and
  // the secure-erase settings of the option set.
  static void ShowModal(HWND owner, const RunState& run);
};

// "Test Selected Plugin": runs the lines given through the plugin engine and shows its report.
struct PluginTestRequest {
  std::string caption = "Quorvane - Test Selected Plugin";
  std::string title;  // "Test:   NAME" or "Execute:   NAME"
  std::vector<std::string> lines;
  bool preview = true;
  bool perPluginTotals = true;
  // A report already made (a community cleaner's Preview): shown as it is, nothing run.
  std::vector<std::string> report;
  bool secureErase = false;
  ShredSettings shred;
};

// Asks whether to save ticks not yet applied before a selection window closes; true for Yes.
bool AskToSaveChanges();

class TPlugTstForm {
 public:
  static void ShowModal(HWND owner, const PluginTestRequest& request);
};
