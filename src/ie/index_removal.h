#pragma once
#include <cstdint>
#include <functional>
#include <string>

// "Delete I.E. Index.dat files at next Reboot": the folder list "VaskBoot.dat" in the data
// folder and the companion VaskIndx.exe, which arranges the removal of the index files that
// Internet Explorer keeps open while Windows runs.

// Writes the list, starts the companion ("runas" for a user who is no administrator) and waits
// for its end. A failed start is kept (LastIndexRemovalError) and shown nowhere; a list that
// cannot be written shows the failure box.
void ScheduleIndexRemoval();

// The verb the companion is started with.
std::string IndexRemovalVerb(bool isAdmin, bool vista, bool nt);

struct IndexRemovalError {
  uint32_t code = 0;
  std::string text;
};
const IndexRemovalError& LastIndexRemovalError();

// Tests replace the administrator test (the verb cannot otherwise be chosen under Wine).
void SetIndexRemovalAdminTest(std::function<bool()> test);
