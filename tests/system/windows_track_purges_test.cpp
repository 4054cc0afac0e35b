// Explorer's lists on the prefix's real registry, and the system calls that Wine lacks.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/links.h"
#include "platform/registry.h"
#include "support/registry_stash.h"
#include "support/test_support.h"
#include "system/explorer_mru.h"
#include "system/system_tracks.h"
#include "system/windows_track_rules.h"

namespace {
const std::string kBase = kExplorerKey;
constexpr const char* kGuid = "{CEBFF5CD-ACE2-4F4F-9178-9926F41749EA}";

void SetText(const std::string& key, const std::string& name, const std::string& text) {
  RegKey k;
  ASSERT_EQ(k.Create(HKEY_CURRENT_USER, kBase + "\\" + key), ERROR_SUCCESS) << key;
  ASSERT_EQ(k.WriteString(name, text), ERROR_SUCCESS);
}
bool HasValue(const std::string& key, const std::string& name) {
  RegKey k;
  return k.OpenRead(HKEY_CURRENT_USER, kBase + "\\" + key) == ERROR_SUCCESS &&
         k.ReadString(name).has_value();
}
bool HasKey(const std::string& key) {
  RegKey k;
  return k.OpenRead(HKEY_CURRENT_USER, kBase + "\\" + key) == ERROR_SUCCESS;
}
std::vector<std::string> Sorted(std::vector<std::string> lines, const std::string& prefix) {
  std::erase_if(lines, [&](const std::string& l) { return l.rfind(prefix, 0) != 0; });
  std::sort(lines.begin(), lines.end());
  return lines;
}

// The lists filled as a user's day leaves them, beside values the purge must leave, and one
// list that is a registry link to a key elsewhere.
struct FilledLists {
  const std::string link = kBase + "\\Map Network Drive MRU";
  const std::string target = "Software\\QuorvaneLinkTarget";
  FilledLists() {
    SetText("RunMRU", "a", "notepad\\1");
    SetText("RunMRU", "MRUList", "a");
    SetText("TypedPaths", "url1", "C:\\Private");
    SetText("RecentDocs", "0", "x");
    SetText("RecentDocs\\.txt", "0", "y");
    SetText("ComDlg32\\OpenSavePidlMRU\\txt", "0", "z");
    SetText(std::string("UserAssist\\") + kGuid + "\\Count", "HRZR_PGYFRFFVBA", "1");
    SetText(std::string("UserAssist\\") + kGuid, "Version", "5");
    SetText("Advanced", "Hidden", "1");
    SetText("ComDlg32", "Beside", "1");
    RegKey t;
    EXPECT_EQ(t.Create(HKEY_CURRENT_USER, target), ERROR_SUCCESS);
    EXPECT_EQ(t.WriteString("a", "\\\\server\\share"), ERROR_SUCCESS);
    EXPECT_TRUE(MakeRegistryLink(link, UserKeyPath(target)));
  }
  ~FilledLists() {
    DeleteKeyItself(HKEY_CURRENT_USER, link);
    DeleteRegistryTree(HKEY_CURRENT_USER, target);
    for (const char* k : {"RunMRU", "TypedPaths", "RecentDocs", "ComDlg32", "UserAssist", "Advanced"})
      DeleteRegistryTree(HKEY_CURRENT_USER, kBase + "\\" + k);
  }
  std::vector<std::string> Lines(const std::string& result) const {
    std::vector<std::string> lines;
    for (const char* s : {"RunMRU: a = notepad\\1", "RunMRU: MRUList = a",
                          "TypedPaths: url1 = C:\\Private", "RecentDocs: 0 = x",
                          "RecentDocs\\.txt: 0 = y", "RecentDocs\\.txt",
                          "ComDlg32\\OpenSavePidlMRU\\txt: 0 = z", "ComDlg32\\OpenSavePidlMRU\\txt"})
      lines.push_back(result + s);
    lines.push_back(result + "UserAssist\\" + kGuid + "\\Count: HRZR_PGYFRFFVBA = 1");
    std::sort(lines.begin(), lines.end());
    return lines;
  }
};
}  // namespace

// Preview names every value and sub-key and changes nothing; Purge takes exactly those. The
// keys the lists hang on, the values beside them and what a linked list points at stay.
TEST(ExplorerMruTest, TakesTheListsValuesAndSubkeysOnlyAndNeverFollowsALink) {
  FilledLists lists;
  const std::string notFollowed = "    Not followed, a registry link - HKCU\\" + lists.link;
  for (bool preview : {true, false}) {
    TestRun run;
    run.state.preview = preview;
    PurgeExplorerMru(run.ctx);
    const char* result = preview ? "     to delete - " : "       deleted - ";
    EXPECT_EQ(Sorted(run.view.lines, result), lists.Lines(result));
    EXPECT_EQ(std::count(run.view.lines.begin(), run.view.lines.end(), notFollowed), 1);
    EXPECT_EQ(run.view.lines.back(),
              "  Purge \"Explorer MRU Lists\" Function Completed.  9 Entries Processed.");
    EXPECT_EQ(run.state.highestLevel, 1);  // the link
    EXPECT_EQ(HasValue("RunMRU", "a"), preview);
    EXPECT_EQ(HasValue("UserAssist\\" + std::string(kGuid) + "\\Count", "HRZR_PGYFRFFVBA"), preview);
    EXPECT_EQ(HasKey("RecentDocs\\.txt"), preview);
    EXPECT_EQ(HasKey("ComDlg32\\OpenSavePidlMRU\\txt"), preview);
  }
  for (const char* key : {"RunMRU", "RecentDocs", "ComDlg32\\OpenSavePidlMRU",
                          "UserAssist\\{CEBFF5CD-ACE2-4F4F-9178-9926F41749EA}\\Count"})
    EXPECT_TRUE(HasKey(key)) << key;
  EXPECT_TRUE(HasValue("UserAssist\\" + std::string(kGuid), "Version"));
  EXPECT_TRUE(HasValue("Advanced", "Hidden"));
  EXPECT_TRUE(HasValue("ComDlg32", "Beside"));
  RegKey target;
  ASSERT_EQ(target.OpenRead(HKEY_CURRENT_USER, lists.target), ERROR_SUCCESS);
  EXPECT_TRUE(target.ReadString("a").has_value());
}

// Wine has none of the three calls (its channel listing and its DNS flush are stubs, and it
// registers no clipboard-history class): each purge says so at level 1, in a Preview too.
TEST(SystemTracksTest, UnderWineEachCallIsNotAvailable) {
  if (!RunningUnderWine()) GTEST_SKIP() << "Windows has the calls";
  const struct {
    void (*purge)(ReportContext&);
    const char* caption;
  } cases[] = {{ClearEventLogs, "Event Logs"},
               {FlushDnsCache, "DNS Cache"},
               {ClearClipboardHistory, "Clipboard History"}};
  for (const auto& c : cases) {
    for (bool preview : {true, false}) {
      TestRun run;
      run.state.preview = preview;
      c.purge(run.ctx);
      EXPECT_EQ(run.view.lines, std::vector<std::string>{NotAvailableLine(c.caption).text})
          << c.caption;
      EXPECT_EQ(run.state.highestLevel, 1) << c.caption;
    }
  }
}
