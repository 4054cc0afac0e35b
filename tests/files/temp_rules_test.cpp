// Rules of the temp purge that need no system: safety, selection, error texts, age, protect
// entries; pure, also run natively.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/shred_names.h"
#include "files/temp_folder_rules.h"
#include "files/temp_protect.h"

namespace {
TempCandidate Candidate(const std::string& name, const std::string& path, bool exists,
                        bool anyTemp = false) {
  TempCandidate c;
  c.name = name;
  c.path = NormalizeTempPath(path);
  ClassifyTempCandidate(c, exists, anyTemp);
  return c;
}

// A plain glob with * and ?, standing in for the system's match.
bool Glob(const std::string& t, const std::string& p) {
  size_t ti = 0, pi = 0, star = std::string::npos, mark = 0;
  while (ti < t.size()) {
    if (pi < p.size() && (p[pi] == '?' || p[pi] == t[ti])) {
      ++ti, ++pi;
    } else if (pi < p.size() && p[pi] == '*') {
      star = pi++, mark = ti;
    } else if (star != std::string::npos) {
      pi = star + 1, ti = ++mark;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}
}  // namespace

TEST(TempCandidates, OnlyFoldersNamedTempAreSafe) {
  EXPECT_TRUE(IsSafeTempPath("C:\\USERS\\JOE\\TEMP", false));
  EXPECT_TRUE(IsSafeTempPath("C:\\TEMP", false));
  EXPECT_FALSE(IsSafeTempPath("C:\\WINDOWS", false));
  EXPECT_TRUE(IsSafeTempPath("C:\\WINDOWS", true));
  EXPECT_FALSE(IsSafeTempPath("C:\\MYTEMP", false));
  EXPECT_FALSE(IsSafeTempPath("\\TEMP", true));  // no drive
  EXPECT_FALSE(IsSafeTempPath("C:TEMP", true));  // no backslash
  EXPECT_FALSE(IsSafeTempPath("C:\\", true));    // too short
  EXPECT_EQ(NormalizeTempPath("c:\\Users\\Temp\\\\"), "C:\\USERS\\TEMP");

  TempCandidate win = Candidate("Old Temp", "C:\\Windows\\", true);
  EXPECT_EQ(win.status, kTempUnsafe);
  EXPECT_EQ(TempCandidateLabel(win),
            "C:\\WINDOWS  [... not safe to use - Folder name not \"temp\" ...]");
  EXPECT_EQ(Candidate("Old Temp", "C:\\Windows", true, true).status, kTempValid);
  TempCandidate none = Candidate("System Temp", "", false);
  EXPECT_EQ(none.status, kTempNotFound);
  EXPECT_EQ(TempCandidateLabel(none), "... Not Found ...  [... No Path Specified ...]");
  TempCandidate missing = Candidate("BootDisk Temp", "D:\\temp", false);
  EXPECT_EQ(TempCandidateLabel(missing), "D:\\TEMP  [... Folder Not Found ...]");
  EXPECT_EQ(missing.drive, 'D');
  TempCandidate ok = Candidate("System Temp", "c:\\users\\joe\\temp", true);
  EXPECT_EQ(ok.status, kTempValid);
  EXPECT_EQ(TempCandidateLabel(ok), "C:\\USERS\\JOE\\TEMP");
  EXPECT_EQ(Candidate("x", "\\\\server\\temp", true).drive, 'C');
}

TEST(TempCandidates, SelectionTakesEachFolderOnceAndFallsBack) {
  std::array<TempCandidate, 4> c = {
      Candidate("System Temp", "C:\\U\\TEMP", true), Candidate("Windows Temp", "C:\\W\\TEMP", true),
      Candidate("Old Temp", "C:\\U\\TEMP\\", true), Candidate("BootDisk Temp", "C:\\TEMP", false)};
  TempCandidate fallback = Candidate("System Temp", "C:\\F\\TEMP", true);
  auto names = [](const std::vector<SelectedTempFolder>& v) {
    std::vector<std::string> out;
    for (const auto& s : v) out.push_back(s.name + "=" + s.path);
    return out;
  };
  EXPECT_EQ(names(SelectTempFolders(c, {true, true, true, true}, fallback)),
            (std::vector<std::string>{"System Temp=C:\\U\\TEMP", "Windows Temp=C:\\W\\TEMP"}));
  EXPECT_EQ(names(SelectTempFolders(c, {false, false, true, false}, fallback)),
            (std::vector<std::string>{"Old Temp=C:\\U\\TEMP"}));
  // Only a missing folder selected: the system's temp path, named "System Temp".
  EXPECT_EQ(names(SelectTempFolders(c, {false, false, false, true}, fallback)),
            (std::vector<std::string>{"System Temp=C:\\F\\TEMP"}));
  fallback.status = kTempNotFound;
  EXPECT_TRUE(SelectTempFolders(c, {false, false, false, true}, fallback).empty());
}

TEST(TempCandidates, BootDiskFollowsWindowsTempBeforeItsListingCheck) {
  const struct {
    bool windowsFound, vista, listable;
    int windowsStatus, bootStatus;
    bool windowsEnabled;
  } cases[] = {
      {true, true, false, kTempNotFound, kTempValid, false},  // not elevated: BootDisk stays
      {true, true, true, kTempValid, kTempValid, true},
      {true, false, false, kTempValid, kTempValid, true},
      {false, true, true, kTempNotFound, kTempNotFound, true},
  };
  for (const auto& c : cases) {
    TempCandidate windows = Candidate("Windows Temp", "D:\\WINDOWS\\TEMP", c.windowsFound), boot;
    SettleWindowsTemp(windows, boot, c.vista, c.listable,
                      [](const std::string& path) { return Candidate("x", path, true); });
    EXPECT_EQ(windows.status, c.windowsStatus);
    EXPECT_EQ(windows.enabled, c.windowsEnabled);
    EXPECT_EQ(boot.status, c.bootStatus);
    EXPECT_EQ(boot.name, "BootDisk Temp");
    EXPECT_EQ(TempCandidateLabel(boot),
              c.bootStatus == kTempValid ? "D:\\TEMP" : "... Path Not Found ...");
  }
}

TEST(TempDeleteErrors, TableWithAndWithoutIgnore) {
  struct Row {
    unsigned long code;
    bool ignore;
    const char* text;
    int level;
    bool locked;
  };
  const Row rows[] = {
      {0, false, "       deleted - ", 0, false},  {2, true, "File not Found - ", 3, false},
      {3, false, "Path not Found - ", 3, false},  {5, false, " Access Denied - ", 3, false},
      {5, true, " Ignore Denied - ", 0, false},   {32, false, "        Locked - ", 0, true},
      {33, true, " Ignore Locked - ", 0, false},  {1224, false, "        Locked - ", 0, true},
      {145, true, " Dir Not Empty - ", 0, false}, {1234567, false, " -Error-1234567  ", 3, false},
      {87, true, " -Error-87       ", 3, false}};
  for (const Row& r : rows) {
    TempDeleteResult got = TempDeleteError(r.code, r.ignore);
    EXPECT_EQ(got.text, r.text) << r.code;
    EXPECT_EQ(got.text.size(), 17u) << r.code;
    EXPECT_EQ(got.level, r.level) << r.code;
    EXPECT_EQ(got.locked, r.locked) << r.code;
  }
}

TEST(TempAge, WholeHoursDecide) {
  const uint64_t hour = 36000000000ULL, now = 133000000000000000ULL;
  EXPECT_FALSE(OldEnough(now - 24 * hour + 600000000ULL, now, true, true, 24));  // 23:59
  EXPECT_TRUE(OldEnough(now - 24 * hour, now, true, true, 24));
  EXPECT_TRUE(OldEnough(now - 1, now, false, true, 24));  // filter not applied
  EXPECT_TRUE(OldEnough(now - 1, now, true, false, 24));  // filter off
  EXPECT_TRUE(OldEnough(0, now, true, true, 24));         // invalid time
  EXPECT_TRUE(OldEnough(now + hour / 2, now, true, true, 0));
  EXPECT_FALSE(OldEnough(now + 2 * hour, now, true, true, 0));
  EXPECT_EQ(WholeHoursBetween(now - 3 * hour - 1, now), 3);
}

TEST(TempProtect, EntriesMatchNamesAndPathsInListOrder) {
  TempProtectList list;
  list.SetLines({"p=*.log", "i=locked.tmp", "p=c:\\temp\\keep\\*", "P=Upper.DAT", "p=", "x"});
  EXPECT_EQ(list.Match("C:\\TEMP\\A\\B\\APP.LOG", "APP.LOG", Glob), 'p');
  EXPECT_EQ(list.Match("C:\\TEMP\\LOCKED.TMP", "LOCKED.TMP", Glob), 'i');
  EXPECT_EQ(list.Match("C:\\TEMP\\KEEP\\", "KEEP", Glob), 'p');
  EXPECT_EQ(list.Match("C:\\TEMP\\KEEP\\X.TXT", "X.TXT", Glob), 'p');
  EXPECT_EQ(list.Match("C:\\TEMP\\OTHER\\KEEP\\", "KEEP", Glob), ' ');
  EXPECT_EQ(list.Match("C:\\TEMP\\UPPER.DAT", "UPPER.DAT", Glob), 'p');
  EXPECT_EQ(list.Match("C:\\TEMP\\X.TXT", "X.TXT", Glob), ' ');
  // A pattern without a backslash never looks at the path.
  TempProtectList names;
  names.SetLines({"p=*temp*"});
  EXPECT_EQ(names.Match("C:\\TEMP\\X.TXT", "X.TXT", Glob), ' ');
  // The first entry in sorted order decides.
  TempProtectList order;
  order.SetLines({"p=*.tmp", "i=*.tmp"});
  EXPECT_EQ(order.Match("C:\\TEMP\\A.TMP", "A.TMP", Glob), 'i');
  EXPECT_EQ(TempProtectPattern("p=" + std::string(300, 'A')), std::string(255, 'a'));
}

TEST(TempProtect, EditorAddAndDelete) {
  TempProtectList list;
  EXPECT_EQ(list.Add("x=abc"), TempProtectAdd::BadPrefix);
  EXPECT_EQ(list.Add("P=*.Log"), TempProtectAdd::Added);
  EXPECT_EQ(list.Add("p=*.log"), TempProtectAdd::AlreadyPresent);
  EXPECT_EQ(list.Add("p=keep"), TempProtectAdd::Added);
  EXPECT_EQ(list.Add("i=*.LOG"), TempProtectAdd::Added);  // replaces p=*.log
  EXPECT_EQ(list.Entries(), (std::vector<std::string>{"i=*.log", "p=keep"}));
  EXPECT_TRUE(list.modified);
  EXPECT_FALSE(list.Delete("p=*.log"));
  EXPECT_TRUE(list.Delete("P=KEEP"));
  EXPECT_EQ(list.Entries(), (std::vector<std::string>{"i=*.log"}));
  EXPECT_EQ(list.Match("C:\\T\\A.LOG", "A.LOG", Glob), 'i');
}

// Only the names a shred gives are taken for its leftovers, whatever their case.
TEST(ShredNames, LeftoversAreKnownByTheNameTheShredGives) {
  EXPECT_EQ(ShredTempName(1001), "_Dremmit_1001.zap");
  for (const char* name : {"_Dremmit_1001.zap", "_DREMMIT_7.ZAP", "_dremmit_01.Zap"})
    EXPECT_TRUE(IsShredLeftoverName(name)) << name;
  for (const char* name : {"_Dremmit_.zap", "_Dremmit_12a.zap", "x_Dremmit_1.zap",
                           "_Dremmit_1.zap.txt", "_Dremmit_1.za", "Dremmit_1.zap"})
    EXPECT_FALSE(IsShredLeftoverName(name)) << name;
}
