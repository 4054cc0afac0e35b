#pragma once
#include <string>
#include <vector>

#include "platform/processes.h"

// Whether a process of the browser's executable runs in the user's own session. Another
// user's browser (a terminal server, a second signed-in user) works on that user's profiles,
// not on these. An empty name (a browser told only by its lock file) never matches.
bool BrowserProcessRuns(const std::vector<RunningProcess>& processes, unsigned long ownSession,
                        const std::string& processName);
