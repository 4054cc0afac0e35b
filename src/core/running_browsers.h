#pragma once

// Which browsers were found running when a run began. A purge whose browser runs leaves its
// files alone (they are open and locked) or says it may not succeed.
struct RunningBrowsers {
  bool firefox = false;
  bool ieOrMsn = false;
  int ieState = 0;  // 0 none, 1 visible IE, 2 hidden IE, 3 visible MSN, 4 hidden MSN
  bool chromium = false;
};
