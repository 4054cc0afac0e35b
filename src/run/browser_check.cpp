#include "run/browser_check.h"

#include "chromium/chromium_purge.h"
#include "firefox/browser_activity.h"
#include "run/purge_table.h"

RunningBrowsers FindRunningBrowsers(const OptionSet& ticked) {
  RunningBrowsers running;
  running.firefox = TisFireFoxActive();
  running.ieOrMsn = TisIEorMSNactive();
  running.ieState = BrowserState();
  for (const PurgeFunctionEntry& e : PurgeFunctions()) {
    if ((e.needs & kNeedsChromiumClosed) && ticked[e.option]) {
      running.chromium = AnyChromiumBrowserRunning();
      break;
    }
  }
  return running;
}
