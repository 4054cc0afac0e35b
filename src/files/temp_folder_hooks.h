#pragma once
#include <string>
#include <vector>
// Temp-folder discovery: which folder each "  Temp Folders  " box stands for.
struct TempFolderLabel {
  std::string name;  // "System Temp", ...
  std::string path;
};
void DiscoverTempFolders();
std::vector<TempFolderLabel> TempFolderLabels();  // the four boxes, in page order
