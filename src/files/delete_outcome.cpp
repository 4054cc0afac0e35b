#include "files/delete_outcome.h"

#include <utility>

uint32_t& LastDeleteError() {
  static uint32_t error = 0;
  return error;
}

bool& LastDeleteNameOnly() {
  static bool nameOnly = false;
  return nameOnly;
}

std::string DeletedResultText(const std::string& deleted) {
  // Asked once per deletion: a link removed without this routine afterwards reads "deleted".
  if (!std::exchange(LastDeleteNameOnly(), false)) return deleted;
  const std::string text = kHardLinkOnly;
  return std::string(deleted.size() > text.size() ? deleted.size() - text.size() : 0, ' ') + text;
}
