#pragma once
#include <windows.h>

#include <functional>

#include "core/option_set.h"
#include "core/run_mode.h"

// One option page (TFFoxOptionsFrame1): the 26 check boxes and three radio groups of one run
// mode, with its four page buttons. The controls are the live option set of that mode.
class TFFoxOptionsFrame1 {
 public:
  bool Create(HWND parent, RunMode mode);
  HWND Handle() const { return dialog_; }
  RunMode Mode() const { return mode_; }
  HWND Control(OptionField f, int choice = 0) const;

  // The ticks of the page, as "Save Options" stores them.
  OptionSet Values() const;
  // The option set as a run takes it: a disabled "Recycle Bin" counts as not selected.
  OptionSet RunValues() const;
  void SetValues(const OptionSet& set);
  void SetAllOptions(bool on);
  void EnableOption(OptionField f, bool enabled);
  // Yellow marking of boxes whose browser is running.
  void SetHighlighted(OptionField f, bool on);
  bool IsHighlighted(OptionField f) const;

  // Page buttons: "Save Options", "Reset".
  void SaveOptionSet();
  void LoadOptionSet();

  std::function<void(HWND control)> onHover;  // for status-bar hints

 private:
  static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);
  INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  HWND dialog_ = nullptr;
  RunMode mode_ = RunMode::Standard;
  bool highlighted_[kOptionFieldCount] = {};
};
