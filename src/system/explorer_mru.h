#pragma once
#include "core/report_context.h"

// "Explorer MRU Lists": the values of the most-recently-used lists of Explorer and the common
// file dialogs (and the sub-keys of those that keep one per type), and UserAssist's counts,
// under HKCU; the keys the lists hang on stay. A key reached through a registry link is left.
void PurgeExplorerMru(ReportContext& ctx);
