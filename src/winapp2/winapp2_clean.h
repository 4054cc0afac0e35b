#pragma once
#include <string>
#include <vector>

#include "core/report_context.h"
#include "winapp2/winapp2_file.h"
#include "winapp2/winapp2_system.h"

// Whether an entry is present on this system: any Detect key or DetectFile path exists (an
// entry with neither is always present), within its DetectOS range, and its SpecialDetect
// codes name a browser that is installed.
bool Winapp2Detected(const Winapp2Entry& entry, const Winapp2Facts& facts);

// Why a whole entry is shown as refused in the window (a key that would empty, remove or walk
// a drive root or a system folder, before any wildcard is expanded); empty when none is.
std::string Winapp2EntryRefusal(const Winapp2Entry& entry, const Winapp2Facts& facts);

// Runs one entry into the report: its line, then a line per file and per registry key or
// value it deletes (their Preview form in a Preview), a line per key it skips or refuses.
void CleanWinapp2Entry(ReportContext& ctx, const Winapp2Entry& entry, const Winapp2Facts& facts);
