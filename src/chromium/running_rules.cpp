#include "chromium/running_rules.h"

#include <algorithm>

#include "core/text_util.h"

bool BrowserProcessRuns(const std::vector<RunningProcess>& processes, unsigned long ownSession,
                        const std::string& processName) {
  if (processName.empty()) return false;
  const std::string name = LowerCase(processName);
  return std::any_of(processes.begin(), processes.end(), [&](const RunningProcess& p) {
    return p.session == ownSession && p.name == name;
  });
}
