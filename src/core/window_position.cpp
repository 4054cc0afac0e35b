#include "core/window_position.h"

#include <climits>

#include "core/text_util.h"

WindowPlacementValue ParseWindowPosition(const std::string& value) {
  WindowPlacementValue v;
  if (value.empty() || value == "Default") return v;
  int state = value[0] - '0';
  if (state == 2) {
    v.kind = WindowPlacementValue::Kind::Maximised;
    return v;
  }
  // Four numbers: between the first four blanks, and after the fourth.
  int numbers[4];
  size_t pos = value.find(' ');
  for (int i = 0; i < 4; ++i) {
    if (pos == std::string::npos) return {};
    size_t next = value.find(' ', pos + 1);
    std::string part = i < 3 ? value.substr(pos + 1, next == std::string::npos ? std::string::npos
                                                                               : next - pos - 1)
                             : value.substr(pos + 1);
    long long n;
    if (!TryParseInt(part, n)) return {};  // unreadable: treated as "Default"
    numbers[i] = static_cast<int>(n);
    pos = next;
  }
  v.kind = WindowPlacementValue::Kind::Normal;
  v.state = 0;  // a minimised window reopens normal
  v.top = numbers[0];
  v.left = numbers[1];
  v.height = numbers[2];
  v.width = numbers[3];
  return v;
}

std::string FormatWindowPosition(const WindowPlacementValue& v) {
  switch (v.kind) {
    case WindowPlacementValue::Kind::Default: return "Default";
    case WindowPlacementValue::Kind::Maximised: return "2";
    default:
      return std::to_string(v.state) + " " + std::to_string(v.top) + " " + std::to_string(v.left) +
             " " + std::to_string(v.height) + " " + std::to_string(v.width);
  }
}

namespace {
// A size at 96 pixels per inch scaled to the screen's, computed wide so that no reported
// resolution overflows it.
int Scaled(int size, int pixelsPerInch) {
  const long long scaled = static_cast<long long>(size) * pixelsPerInch / 96;
  return scaled > INT_MAX ? INT_MAX : static_cast<int>(scaled);
}
}  // namespace

WindowBounds ResolveWindowBounds(const WindowPlacementValue& v, int desktopWidth, int desktopHeight,
                                 int pixelsPerInch) {
  WindowBounds b;
  switch (v.kind) {
    case WindowPlacementValue::Kind::Maximised:
      b.maximised = true;
      b.width = 620;
      b.height = 450;
      return b;
    case WindowPlacementValue::Kind::Normal:
      b.top = v.top;
      b.left = v.left;
      b.width = v.width;
      b.height = v.height;
      // Summed wide: a damaged value near the int limits must not wrap around onto the desktop.
      if (static_cast<long long>(b.top) + b.height > desktopHeight ||
          static_cast<long long>(b.left) + b.width > desktopWidth)
        b.top = b.left = 0;
      return b;
    default:
      b.height = 450;
      b.width = 620;
      if (pixelsPerInch >= 120) {
        b.height = Scaled(b.height, pixelsPerInch);
        b.width = Scaled(b.width, pixelsPerInch);
      }
      return b;
  }
}
