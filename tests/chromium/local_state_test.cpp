// Reading the JSON files of a Chromium-family browser: the profiles "Local State" names, and the
// pages a Bookmarks file keeps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chromium/chromium_sql.h"
#include "chromium/local_state.h"

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
  };
  const Case cases[] = {
      {R"({"roots":{"bookmark_bar":{"children":[{"type":"url","url":"http://a.example/"},
          {"type":"folder","children":[{"type":"url","url":"http://b.example/x"}]}]},
          "other":{"children":[]},"synced":{"children":[{"url":"http://c.example/"}]}}})",
       {"http://a.example/", "http://b.example/x", "http://c.example/"}},
      {R"({"roots":{"bookmark_bar":{"children":[{"url":42},{"name":"no url"}]}}})", {}},
      {R"({"roots":)", {}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(BookmarkUrls(c.json), c.urls) << c.json;
}
}  // namespace
