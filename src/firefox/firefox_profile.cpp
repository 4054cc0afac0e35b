#include "firefox/firefox_profile.h"

TFFoxProfile& FFoxProfile() {
  static TFFoxProfile p;
  return p;
}
bool FindFirefoxInstall() { return true; }
void ReadFirefoxProductVersion() {}
bool CheckFirefoxInstall(bool) { return true; }
void DiscoverProfile() {}
void RefreshProfileStatus() {}
void SetTypedUrlsDisabler(TypedUrlsDisabler) {}
