#pragma once
#include <windows.h>

#include <functional>

#include "core/option_set.h"
#include "core/run_mode.h"

// One option page (TFFoxOptionsFrame1): the 26 check boxes and three radio groups of one run
// mode, with its four page buttons. Its window is made when first needed (the main window
// shown, or a control asked for): an unattended run whose window never shows makes none. Until then
// the frame keeps the option set itself; from then on the controls are the live option set.
class TFFoxOptionsFrame1 {
 public:
  void Create(HWND parent, RunMode mode);
  bool Made() const { return dialog_ != nullptr; }
  HWND Handle() const;  // makes the window if need be
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
  // Once the window is made: its hints and its place on the parent.
  std::function<void(TFFoxOptionsFrame1&)> onMade;

 private:
  static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);
  INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  void Make();
  HWND parent_ = nullptr;
  HWND dialog_ = nullptr;
  RunMode mode_ = RunMode::Standard;
  OptionSet values_;  // while there is no window
  bool disabled_[kOptionFieldCount] = {};
  bool highlighted_[kOptionFieldCount] = {};
};
