#pragma once
#include <string>
#include <vector>
// What start-up, the main window and its close handling call of the Internet Explorer side:
// discovery, the version text, the folder report's lines and the URL server link.
bool DetectIeVersion();
bool DiscoverIeFolders();
std::string IeVersionText();  // empty while unknown
// The folder report's Internet Explorer lines; the protected-mode ones only on Vista and later.
std::vector<std::string> IeFolderReportLines(bool vista);
void StartUrlServerLink(const std::string& nameSuffix, const std::string& mainCaption,
                        const std::string& buildText);
void EndUrlServerLink();
