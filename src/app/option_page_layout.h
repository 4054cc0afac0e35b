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
  int visibleHeight = 0;  // the page's client height: the boxes use it before the page scrolls
  int line = 0;           // the font's line height: the heading, a group's label
  int unit = 0;           // margin and gap: the font's average character width
  SIZE button{};          // the page buttons' least size
};

struct OptionPageLayout {
  RECT heading{};
  std::vector<PlacedGroup> boxGroups;    // stacked in columns, split into sub-columns if tall
  std::vector<PlacedGroup> radioGroups;  // one row below them, wrapping when the page is narrow
  std::vector<RECT> buttons;             // a row below that, likewise
  int height = 0;                        // what the page needs; more than visible: it scrolls
};

OptionPageLayout LayOutOptionPage(const PageMeasures& page, const std::vector<GroupToPlace>& boxes,
                                  const std::vector<GroupToPlace>& radios,
                                  const std::vector<SIZE>& buttons);
