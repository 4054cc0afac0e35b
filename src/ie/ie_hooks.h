#pragma once
#include <string>
// Internet Explorer discovery and the protected-mode URL server link, called by start-up.
void DetectIeVersion();
void DiscoverIeFolders();
std::string IeVersionText();  // empty while unknown
void StartUrlServerLink(const std::string& nameSuffix, const std::string& mainCaption,
                        const std::string& buildText);
void EndUrlServerLink();
