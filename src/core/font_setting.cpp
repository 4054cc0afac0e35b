#include "core/font_setting.h"

LOGFONTA LogFontOf(const FontSetting& f) {
  HDC dc = GetDC(nullptr);
  LOGFONTA lf{};
  lf.lfHeight = -MulDiv(f.size, GetDeviceCaps(dc, LOGPIXELSY), 72);
  ReleaseDC(nullptr, dc);
  lf.lfWeight = (f.style & 1) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = (f.style & 2) != 0;
  lf.lfUnderline = (f.style & 4) != 0;
  lf.lfStrikeOut = (f.style & 8) != 0;
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(lf.lfFaceName, f.name.c_str(), LF_FACESIZE);
  return lf;
}

FontSetting FontSettingOf(const LOGFONTA& lf, int pointSize) {
  return {lf.lfFaceName, pointSize,
          (lf.lfWeight >= FW_BOLD ? 1 : 0) | (lf.lfItalic ? 2 : 0) | (lf.lfUnderline ? 4 : 0) |
              (lf.lfStrikeOut ? 8 : 0)};
}
