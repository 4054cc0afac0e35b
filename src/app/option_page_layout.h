#pragma once
#include <windows.h>

#include <vector>

// Where the controls of an option page go, from their measured sizes: pure arithmetic, so the
// page lays out the same way for any font, text size and page width.

// A labelled group: its items stack top-down (check boxes, a note under its box) or sit side
// by side (the choices of a radio group).
struct GroupToPlace {
  int labelWidth = 0;
  std::vector<SIZE> items;
};
struct PlacedGroup {
  RECT frame{};
  std::vector<RECT> items;
};

struct PageMeasures {
  int width = 0;          // the page's client width
  int visibleHeight = 0;  // the page's client height
  int line = 0;           // the font's line height: the heading, a group's label
  int unit = 0;           // margin and gap: the font's average character width
  int scrollBar = 0;      // the width a vertical scroll bar takes
  SIZE button{};          // the page buttons' least size
};

// The radio groups and the buttons are pinned to the page's bottom, so "Save Options" is always
// in sight; only the box groups' area scrolls, when they need more than it has.
struct OptionPageLayout {
  RECT heading{};
  RECT boxArea{};                        // on the page, between the heading and the radio row
  std::vector<PlacedGroup> boxGroups;    // in the box area: one column per group where that
                                         // fits, else stacked and split into sub-columns
  int boxesHeight = 0;                   // what the groups need; more than the area: it scrolls
  bool scrolls = false;                  // then the groups leave the scroll bar its width
  std::vector<PlacedGroup> radioGroups;  // a row above the buttons, wrapping when narrow
  std::vector<RECT> buttons;             // the bottom row, likewise
};

OptionPageLayout LayOutOptionPage(const PageMeasures& page, const std::vector<GroupToPlace>& boxes,
                                  const std::vector<GroupToPlace>& radios,
                                  const std::vector<SIZE>& buttons);
