#include "files/delete_outcome.h"

std::string DeletedResultText(const DeleteOutcome& outcome, size_t width) {
  if (!outcome.nameOnly) return DeleteResultText(false, width);
  const std::string text = kHardLinkOnly;
  return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}
