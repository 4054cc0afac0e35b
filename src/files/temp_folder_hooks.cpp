#include "files/temp_folder_hooks.h"

void DiscoverTempFolders() {}
std::vector<TempFolderLabel> TempFolderLabels() {
  return {{"System Temp", ""}, {"Windows Temp", ""}, {"Old Temp", ""}, {"BootDisk Temp", ""}};
}
