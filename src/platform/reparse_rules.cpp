#include "platform/reparse_rules.h"

namespace {
constexpr unsigned long kReparsePointAttribute = 0x400;  // FILE_ATTRIBUTE_REPARSE_POINT
constexpr unsigned long kMicrosoftBit = 0x80000000;      // IsReparseTagMicrosoft
constexpr unsigned long kNameSurrogateBit = 0x20000000;  // IsReparseTagNameSurrogate
constexpr unsigned long kReservedBits = 0x0FFF0000;      // zero in every defined tag
}  // namespace

bool IsLinkReparse(unsigned long attributes, unsigned long tag) {
  if (!(attributes & kReparsePointAttribute)) return false;
  const bool wellFormed = (tag & kMicrosoftBit) && !(tag & kReservedBits);
  return !wellFormed || (tag & kNameSurrogateBit) != 0;
}
