#include "core/tab_colours.h"

TabColours TabColoursForDepth(int colourDepth) {
  const COLORREF silver = RGB(0xC0, 0xC0, 0xC0);
  TabColours c;
  if (colourDepth <= 8) {
    // A palette screen: plain colours that every palette holds.
    c.mainSelected = c.subSelected = RGB(0, 0, 0xFF);
    c.mainOther = c.subOther = silver;
  } else {
    c.mainSelected = RGB(0x80, 0x80, 0xFF);
    c.mainOther = silver;
    c.subSelected = RGB(0x99, 0x99, 0x66);
    c.subOther = RGB(0xE0, 0xE0, 0xE0);
  }
  return c;
}

TabColours ScreenTabColours() {
  HDC dc = GetDC(nullptr);
  const int depth = GetDeviceCaps(dc, PLANES) * GetDeviceCaps(dc, BITSPIXEL);
  ReleaseDC(nullptr, dc);
  return TabColoursForDepth(depth);
}
