#include "ie/ie_hooks.h"

void DetectIeVersion() {}
void DiscoverIeFolders() {}
std::string IeVersionText() { return {}; }
void StartUrlServerLink(const std::string&, const std::string&, const std::string&) {}
void EndUrlServerLink() {}
