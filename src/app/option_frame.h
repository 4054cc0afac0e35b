#pragma once
#include <windows.h>

#include <functional>
#include <vector>

#include "app/option_page_layout.h"
#include "core/option_set.h"
#include "core/run_mode.h"
#include "platform/window_procedure.h"

// One option page (TFFoxOptionsFrame1): the check boxes and radio groups of one run mode, made
// from the option table in labelled groups, with its four page buttons. The page lays them out
// for its width and text size; the radio groups and buttons stay at its bottom, and the box
// groups' area above them scrolls when they need more than its height. Its window is made
// when first needed (the main window shown, or a control asked for): an unattended run whose window
// never shows makes none. Until then the frame keeps the option set itself; from then on the
// controls are the live option set. A control's id on the page, base + field index: part 0 is a
// check box or a radio group's first choice, 1 its second choice, kNotePart the note under a box.
constexpr int kNotePart = 2;
int OptionControlId(OptionField f, int part);

class TFFoxOptionsFrame1 : public Dialog {
 public:
  void Create(HWND parent, RunMode mode);
  bool Made() const { return window_ != nullptr; }
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

 protected:
  INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  // The box groups' area: a window of its own, so what scrolls out of it is clipped at the
  // radio row and the heading. Its messages are the page's to answer.
  class BoxArea : public Window {
   public:
    explicit BoxArea(TFFoxOptionsFrame1& page) : page_(page) {}
    bool Make(HWND parent);

   protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

   private:
    TFFoxOptionsFrame1& page_;
  };

  void Make();
  // The page's controls (app/option_page_controls.cpp).
  void MakeControls();
  void LayOut();
  void PlaceControls();
  void ScrollTo(int position);
  void ScrollIntoView(HWND control);
  bool OnScroll(UINT msg, WPARAM wp);
  LRESULT OnBoxAreaMessage(UINT msg, WPARAM wp, LPARAM lp);
  // Controls in the order of their group's layout items; `indent` moves a note under its
  // box's caption.
  struct PageGroup {
    const char* label;
    std::vector<HWND> controls;
    std::vector<int> indents;
  };
  // The groups' labelled frames, painted in `window` with its content moved by `dy`.
  void PaintGroupFrames(HWND window, const std::vector<PageGroup>& groups,
                        const std::vector<PlacedGroup>& placed, int dy);
  std::vector<PageGroup> boxGroups_, radioGroups_;
  std::vector<GroupToPlace> boxSizes_, radioSizes_;
  std::vector<SIZE> buttonSizes_;
  PageMeasures measures_;
  OptionPageLayout layout_;
  int scroll_ = 0;
  int lineStep_ = 0;  // one row of boxes: the scroll bar's arrows and the wheel move by it
  bool layingOut_ = false;

  BoxArea boxArea_{*this};
  HWND parent_ = nullptr;
  RunMode mode_ = RunMode::Standard;
  OptionSet values_;  // while there is no window
  bool disabled_[kOptionFieldCount] = {};
  bool highlighted_[kOptionFieldCount] = {};
};
