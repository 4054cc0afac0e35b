#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The keep-list editor (TProtEditForm): the entries of one browser's list, an edit line, "Add",
// "Delete" and "Close". Modal; answers the entries as they stand when it closes.
std::vector<std::string> ShowProtEditForm(HWND owner, const std::string& title,
                                          std::vector<std::string> entries);
