// Reading the JSON files of a Chromium-family browser: the profiles "Local State" names, and the
// pages a Bookmarks file keeps; and which of its processes say it runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chromium/chromium_sql.h"
#include "chromium/local_state.h"
#include "chromium/running_rules.h"

namespace {
using Names = std::vector<std::string>;

TEST(LocalStateTest, ProfilesNamedInInfoCache) {
  struct Case {
    const char* text;
    bool ok;
    Names profiles;
  };
  const Case cases[] = {
      {R"({"profile":{"info_cache":{"Profile 1":{"name":"Work"},"Default":{}}}})",
       true,
       {"Default", "Profile 1"}},
      {R"({"profile":{"info_cache":{}}})", true, {}},
      {R"({"profile":{"info_cache":{"..":{},"a\\b":{},"c/d":{},"C:":{},"ok":{}}}})", true, {"ok"}},
      {R"({"profile":{"info_cache":["Default"]}})", false, {}},
      {R"({"profile":{}})", false, {}},
      {R"({"profile":{"info_cache":{"Default":{})", false, {}},
      {"", false, {}},
      {"[1,2]", false, {}},
  };
  for (const auto& c : cases) {
    Names got{"stale"};
    EXPECT_EQ(ReadLocalStateProfiles(c.text, got), c.ok) << c.text;
    EXPECT_EQ(got, c.profiles) << c.text;
  }
}

TEST(BookmarkUrlsTest, EveryUrlOfEveryFolderHoweverDeep) {
  struct Case {
    const char* json;
    Names urls;
    bool read;  // false: not JSON, so which pages are bookmarked is not known
  };
  const Case cases[] = {
      {R"({"roots":{"bookmark_bar":{"children":[{"type":"url","url":"http://a.example/"},
          {"type":"folder","children":[{"type":"url","url":"http://b.example/x"}]}]},
          "other":{"children":[]},"synced":{"children":[{"url":"http://c.example/"}]}}})",
       {"http://a.example/", "http://b.example/x", "http://c.example/"},
       true},
      {R"({"roots":{"bookmark_bar":{"children":[{"url":42},{"name":"no url"}]}}})", {}, true},
      {R"({"roots":)", {}, false},
      {"", {}, false},
  };
  for (const auto& c : cases) {
    Names urls = {"http://before.example/"};
    EXPECT_EQ(ReadBookmarkUrls(c.json, urls), c.read) << c.json;
    Names expected = {"http://before.example/"};  // added to, never replaced
    expected.insert(expected.end(), c.urls.begin(), c.urls.end());
    EXPECT_EQ(urls, expected) << c.json;
  }
}

// Only a process of the user's own session runs the user's browser; a browser without an
// executable of its own (Opera's channels and Opera GX share opera.exe) goes by its lock file.
TEST(BrowserProcessTest, OnlyTheOwnSessionsProcessOfThatNameCounts) {
  const std::vector<RunningProcess> processes = {
      {"chrome.exe", 2}, {"msedge.exe", 1}, {"opera.exe", 1}, {"explorer.exe", 1}};
  const struct {
    const char* name;
    bool runs;
  } cases[] = {{"msedge.exe", true},
               {"MSEDGE.EXE", true},
               {"chrome.exe", false},
               {"brave.exe", false},
               {"", false}};
  for (const auto& c : cases) EXPECT_EQ(BrowserProcessRuns(processes, 1, c.name), c.runs) << c.name;
}
}  // namespace
