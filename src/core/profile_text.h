#pragma once
#include <string>
#include <string_view>
#include <vector>

// The text of a private-profile (.ini) file changed as the system's own writes would change it,
// so that any number of changes reach the file in one replacement instead of one rewrite each.
struct ProfileValue {
  std::string section, key, value;
};

// `text` with each value set in turn: the first line of the key (ignoring case) in the first
// section of that name takes it; a key not there is added after the section's last line, a
// section not there at the end. Every other line stays as it was. A value ends at a line break.
std::string WithProfileValues(std::string_view text, const std::vector<ProfileValue>& values);

// Whether the text opens any section: one that opens none (empty, cut short, or the zeros a
// lost write can leave) reads as nothing but defaults.
bool HoldsProfileSection(std::string_view text);
