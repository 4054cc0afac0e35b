#pragma once
#include "core/option_set.h"
#include "core/running_browsers.h"

// Which browsers run now. The Chromium family is looked for only when one of its purges is
// ticked: finding them reads each one's Local State.
RunningBrowsers FindRunningBrowsers(const OptionSet& ticked);
