#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The keep-list editor (TProtEditForm): the entries of one browser's list, an edit line, "Add",
// "Delete" and "Close". Modal; answers the entries as they stand when it closes.
std::vector<std::string> ShowProtEditForm(HWND owner, const std::string& title,
                                          std::vector<std::string> entries);

// What "Add" does with the typed text: the entry must begin with "p=" or "r="; a verbatim
// duplicate is not added; another entry for the same address (compared from the third
// character, at most 255 characters) is replaced.
enum class ProtEntryAdd { Added, AlreadyPresent, BadPrefix };
ProtEntryAdd AddProtEntry(std::vector<std::string>& entries, const std::string& typed);
// "Delete": the lower-cased text must equal an entry; false when none does.
bool DeleteProtEntry(std::vector<std::string>& entries, const std::string& typed);
