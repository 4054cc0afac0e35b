#include "app/option_page_layout.h"

#include <algorithm>
#include <climits>

namespace {
int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

void Move(RECT& r, int dx, int dy) { OffsetRect(&r, dx, dy); }
void Move(PlacedGroup& g, int dx, int dy) {
  Move(g.frame, dx, dy);
  for (RECT& item : g.items) Move(item, dx, dy);
}

// The label sits on the frame's top line, so the items start below a whole line.
int ItemsTop(const PageMeasures& m) { return m.line + m.unit / 2; }

// A group at (0, 0) whose items stack top-down, in as many sub-columns as keep them within
// `itemsHeight`; a single item taller than that still gets a sub-column of its own.
PlacedGroup Stacked(const GroupToPlace& g, int itemsHeight, const PageMeasures& m) {
  PlacedGroup p;
  const int top = ItemsTop(m);
  int x = m.unit, y = top, columnWidth = 0, bottom = top;
  for (const SIZE& item : g.items) {
    if (y > top && y + item.cy > top + itemsHeight) {
      x += columnWidth + m.unit;
      y = top;
      columnWidth = 0;
    }
    p.items.push_back({x, y, x + item.cx, y + item.cy});
    y += item.cy;
    columnWidth = std::max<int>(columnWidth, item.cx);
    bottom = std::max(bottom, y);
  }
  const int width = std::max(x + columnWidth + m.unit, g.labelWidth + 3 * m.unit);
  p.frame = {0, 0, width, bottom + m.unit};
  return p;
}

// A group at (0, 0) whose items sit side by side.
PlacedGroup SideBySide(const GroupToPlace& g, const PageMeasures& m) {
  PlacedGroup p;
  const int top = ItemsTop(m);
  int x = m.unit, bottom = top;
  for (const SIZE& item : g.items) {
    p.items.push_back({x, top, x + item.cx, top + item.cy});
    x += item.cx + m.unit;
    bottom = std::max<int>(bottom, top + item.cy);
  }
  p.frame = {0, 0, std::max(x, g.labelWidth + 3 * m.unit), bottom + m.unit};
  return p;
}

// Rectangles of the given sizes left to right from `top`, a new row where one would pass the
// page's right margin. Returns the bottom of the last row.
int FlowRow(std::vector<RECT>& placed, int top, const PageMeasures& m) {
  int x = m.unit, y = top, rowHeight = 0, bottom = top;
  for (RECT& r : placed) {
    const int w = Width(r), h = Height(r);
    if (x > m.unit && x + w > m.width - m.unit) {
      x = m.unit;
      y += rowHeight + m.unit;
      rowHeight = 0;
    }
    r = {x, y, x + w, y + h};
    x += w + m.unit;
    rowHeight = std::max(rowHeight, h);
    bottom = std::max(bottom, y + h);
  }
  return bottom;
}

struct Columns {
  std::vector<PlacedGroup> groups;
  int width = 0, height = 0;
};

// Groups in order down columns no taller than `limit`, a column's groups as wide as its widest.
Columns InColumns(const std::vector<GroupToPlace>& boxes, int limit, const PageMeasures& m) {
  Columns c;
  const int itemsHeight = limit - ItemsTop(m) - m.unit;
  int x = m.unit, y = 0, columnWidth = 0;
  size_t columnStart = 0;
  auto closeColumn = [&] {
    for (size_t i = columnStart; i < c.groups.size(); ++i)
      c.groups[i].frame.right = c.groups[i].frame.left + columnWidth;
  };
  for (const GroupToPlace& g : boxes) {
    PlacedGroup p = Stacked(g, itemsHeight, m);
    if (y > 0 && y + Height(p.frame) > limit) {
      closeColumn();
      columnStart = c.groups.size();
      x += columnWidth + m.unit;
      y = 0;
      columnWidth = 0;
    }
    Move(p, x, y);
    y += Height(p.frame) + m.unit;
    columnWidth = std::max(columnWidth, Width(p.frame));
    c.height = std::max<int>(c.height, p.frame.bottom);
    c.groups.push_back(std::move(p));
  }
  closeColumn();
  c.width = x + columnWidth + m.unit;
  return c;
}

// The groups in an area `width` wide, in sight whole when they fit in `height`.
Columns BoxColumns(const std::vector<GroupToPlace>& boxes, int width, int height,
                   const PageMeasures& m) {
  int tallestGroup = 0, tallestItem = 0, smallestStep = 0, allInOne = 0;
  for (const GroupToPlace& g : boxes) {
    const int whole = Height(Stacked(g, INT_MAX / 2, m).frame);
    tallestGroup = std::max(tallestGroup, whole);
    allInOne += whole + m.unit;
    for (const SIZE& item : g.items) {
      tallestItem = std::max<int>(tallestItem, item.cy);
      smallestStep = smallestStep ? std::min<int>(smallestStep, item.cy) : item.cy;
    }
  }
  // A column per group, the small ones under one another where together they are no taller
  // than the tallest group: each group reads top-down and none needs the scroll bar.
  Columns byGroup = InColumns(boxes, tallestGroup, m);
  if (byGroup.width <= width && byGroup.height <= height) return byGroup;
  // Else the lowest column limit whose columns fit the width; at worst one column of whole
  // groups.
  int limit = std::max(height, ItemsTop(m) + tallestItem + m.unit);
  Columns columns = InColumns(boxes, limit, m);
  while (columns.width > width && limit < allInOne && smallestStep > 0) {
    limit += smallestStep;
    columns = InColumns(boxes, limit, m);
  }
  return columns;
}
}  // namespace

OptionPageLayout LayOutOptionPage(const PageMeasures& m, const std::vector<GroupToPlace>& boxes,
                                  const std::vector<GroupToPlace>& radios,
                                  const std::vector<SIZE>& buttons) {
  OptionPageLayout out;
  out.heading = {m.unit, m.unit / 2, m.width - m.unit, m.unit / 2 + m.line};
  const int areaTop = out.heading.bottom + m.unit / 2;

  // The pinned rows go up from the page's bottom; the boxes get what they leave. The buttons
  // narrow below their designed width rather than take a second row, but never cut a caption.
  std::vector<RECT> radioFrames, buttonRects;
  for (const GroupToPlace& g : radios) out.radioGroups.push_back(SideBySide(g, m));
  for (const PlacedGroup& g : out.radioGroups) radioFrames.push_back(g.frame);
  const int share = buttons.empty() ? 0 : (m.width - m.unit) / static_cast<int>(buttons.size()) - m.unit;
  for (const SIZE& b : buttons) {
    const int width = std::max<int>(b.cx, std::min<int>(m.button.cx, share));
    buttonRects.push_back({0, 0, width, std::max(b.cy, m.button.cy)});
  }
  const int radioHeight = FlowRow(radioFrames, 0, m);
  const int buttonHeight = FlowRow(buttonRects, 0, m);
  const int radioTop =
      std::max(areaTop + m.unit, m.visibleHeight - m.unit - buttonHeight - m.unit - radioHeight);
  FlowRow(radioFrames, radioTop, m);
  for (size_t i = 0; i < radioFrames.size(); ++i) {
    PlacedGroup& g = out.radioGroups[i];
    Move(g, radioFrames[i].left - g.frame.left, radioFrames[i].top - g.frame.top);
  }
  FlowRow(buttonRects, radioTop + radioHeight + m.unit, m);
  out.buttons = std::move(buttonRects);

  out.boxArea = {0, areaTop, m.width, radioTop - m.unit};
  const int areaHeight = Height(out.boxArea);
  Columns columns = BoxColumns(boxes, m.width, areaHeight, m);
  out.scrolls = columns.height > areaHeight;
  if (out.scrolls) columns = BoxColumns(boxes, m.width - m.scrollBar, areaHeight, m);
  out.boxGroups = std::move(columns.groups);
  out.boxesHeight = columns.height;
  return out;
}
