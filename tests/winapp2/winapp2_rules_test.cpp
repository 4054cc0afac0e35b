#include "winapp2/winapp2_rules.h"

#include <gtest/gtest.h>

#include "winapp2/winapp2_paths.h"

namespace {
Winapp2System TestSystem(bool wow64) {
  Winapp2System s;
  s.wow64 = wow64;
  s.windowsFolder = "C:\\Windows";
  s.variables = {{"LOCALAPPDATA", {"C:\\Users\\ann\\AppData\\Local"}},
                 {"WINDIR", {"C:\\Windows"}},
                 {"SYSTEMDRIVE", {"C:"}},
                 {"USERNAME", {"ann"}},
                 {"PROGRAMFILES", wow64 ? std::vector<std::string>{"C:\\Program Files",
                                                                   "C:\\Program Files (x86)"}
                                        : std::vector<std::string>{"C:\\Program Files"}}};
  return s;
}

TEST(Winapp2RulesTest, ExpandsVariablesFromTheSystemOnly) {
  struct Case {
    const char* written;
    bool wow64;
    std::vector<std::string> paths;
    const char* problem;
  } cases[] = {
      {"%LocalAppData%\\App\\Cache", false, {"C:\\Users\\ann\\AppData\\Local\\App\\Cache"}, ""},
      {"%localappdata%/App//Cache\\", false, {"C:\\Users\\ann\\AppData\\Local\\App\\Cache"}, ""},
      {"%ProgramFiles%\\Vendor", true, {"C:\\Program Files\\Vendor", "C:\\Program Files (x86)\\Vendor"}, ""},
      {"%SystemDrive%", false, {"C:\\"}, ""},
      {"%SystemDrive%\\Users\\%UserName%\\x", false, {"C:\\Users\\ann\\x"}, ""},
      {"%WinDir%\\System32\\LogFiles", true, {"C:\\Windows\\Sysnative\\LogFiles"}, ""},
      {"%WinDir%\\System32x", true, {"C:\\Windows\\System32x"}, ""},
      {"%WinDir%\\System32\\LogFiles", false, {"C:\\Windows\\System32\\LogFiles"}, ""},
      {"%Documents%\\App", false, {}, "unknown variable %Documents%"},
      {"%LocalAppData\\App", false, {}, "a \"%\" without its closing \"%\""},
      {"%LocalAppData%\\App\\..\\..", false, {}, "a path with \"..\" is refused"},
      {"App\\Cache", false, {}, "\"App\\Cache\" is no full path"},
      {"%WinDir%.", false, {}, "\"C:\\Windows.\" has a level ending in a dot or blank"},
      {"%SystemDrive%\\ .", false, {}, "\"C:\\ .\" has a level ending in a dot or blank"},
  };
  for (const Case& c : cases) {
    const Winapp2Expansion e = ExpandWinapp2Path(c.written, TestSystem(c.wow64));
    EXPECT_EQ(e.paths, c.paths) << c.written;
    EXPECT_EQ(e.problem, c.problem) << c.written;
  }
  EXPECT_EQ(Winapp2ViewsOf("HKLM\\Software\\Vendor", true),
            (std::vector<Winapp2View>{Winapp2View::Bits64, Winapp2View::Bits32}));
  EXPECT_EQ(Winapp2ViewsOf("HKEY_LOCAL_MACHINE\\SOFTWARE", true).size(), 2u);
  EXPECT_EQ(Winapp2ViewsOf("HKLM\\Software\\Vendor", false), std::vector<Winapp2View>{Winapp2View::Own});
  EXPECT_EQ(Winapp2ViewsOf("HKCU\\Software\\Vendor", true), std::vector<Winapp2View>{Winapp2View::Own});
}

TEST(Winapp2RulesTest, MasksMatchWholeNames) {
  struct Case {
    const char* name;
    const char* mask;
    bool match;
  } cases[] = {{"BleachBit.log", "LOG", false}, {"LOG", "log", true},
               {"a.txt", "*", true},            {"noext", "*.*", true},
               {"x.LOG", "*.log", true},        {"x.log.bak", "*.log", false},
               {"History-journal", "History*", true}, {"ab", "a?", true},
               {"abc", "a?", false}};
  for (const Case& c : cases) EXPECT_EQ(Winapp2MaskMatch(std::string_view(c.name), c.mask), c.match) << c.name << " " << c.mask;
  EXPECT_TRUE(TakesEveryFile("*.*"));
  EXPECT_TRUE(TakesEveryFile("**"));
  EXPECT_FALSE(TakesEveryFile("*."));
  EXPECT_FALSE(TakesEveryFile("*.log"));
}

TEST(Winapp2RulesTest, RefusesWhatWouldReachBeyondTheKey) {
  const Winapp2Refusals r{{"C:\\WINDOWS", "C:\\USERS", "C:\\USERS\\ANN", "C:\\PROGRAM FILES"},
                          {"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM32", "C:\\PROGRAM FILES"}};
  auto key = [](std::vector<std::string> masks, bool recurse, bool removeSelf) {
    Winapp2FileKey k;
    k.masks = std::move(masks);
    k.recurse = recurse || removeSelf;
    k.removeSelf = removeSelf;
    return k;
  };
  struct Case {
    const char* folder;
    Winapp2FileKey key;
    bool refused;
  } cases[] = {
      {"C:\\", key({"install.exe"}, false, false), false},
      {"C:\\", key({"*"}, false, false), true},
      {"C:\\", key({"*.regtrans-ms"}, true, false), true},
      {"C:\\WINDOWS\\SYSTEM32", key({"PCPELog.txt"}, false, false), false},
      {"C:\\WINDOWS\\SYSTEM32", key({"*.log"}, true, false), true},
      {"C:\\WINDOWS", key({"*.*"}, false, false), true},
      {"C:\\USERS\\ANN", key({"*.log"}, true, false), false},
      {"C:\\USERS\\ANN", key({"*.log"}, false, true), true},
      {"C:\\USERS\\ANN\\APPDATA\\LOCAL\\APP", key({"*"}, false, true), false},
      {"C:\\PROGRAM FILES\\APP", key({"*"}, true, false), false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(!Winapp2FolderProblem(c.folder, c.key, r).empty(), c.refused) << c.folder;
  EXPECT_FALSE(Winapp2PatternProblem("C:\\*\\Logs").empty());
  EXPECT_TRUE(Winapp2PatternProblem("C:\\Users\\*\\Logs").empty());

  struct RegCase {
    const char* key;
    bool hasValue;
    bool refused;
  } regs[] = {{"HKCU", false, true},
              {"HKCU\\Software", false, true},
              {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node", false, true},
              {"HKLM\\SYSTEM", false, true},
              {"HKCU\\Software", true, false},
              {"HKCU\\Software\\Vendor\\App", false, false}};
  for (const RegCase& c : regs) {
    Winapp2RegKey k;
    k.key = c.key;
    k.hasValue = c.hasValue;
    EXPECT_EQ(!Winapp2RegKeyProblem(k).empty(), c.refused) << c.key;
  }
}

TEST(Winapp2RulesTest, KeepsWhatExclusionsAndBrowsersOwn) {
  const std::vector<Winapp2Keep> keeps = {
      {Winapp2Exclude::File, "C:\\A", {"keep.db"}},
      {Winapp2Exclude::Path, "C:\\A\\Keep", {}},
      {Winapp2Exclude::Path, "C:\\A\\Cfg", {"*.cfg"}},
      {Winapp2Exclude::Reg, {}, {}, "HKCU\\Software\\App\\Pinned", "", false},
      {Winapp2Exclude::Reg, {}, {}, "HKCU\\Software\\App", "Last", true}};
  EXPECT_TRUE(Winapp2FileKept("c:\\a", "KEEP.DB", keeps));
  EXPECT_FALSE(Winapp2FileKept("C:\\A\\Sub", "keep.db", keeps));
  EXPECT_TRUE(Winapp2FileKept("C:\\A\\Keep\\deep", "x.tmp", keeps));
  EXPECT_FALSE(Winapp2FileKept("C:\\A\\Keeper", "x.tmp", keeps));
  EXPECT_TRUE(Winapp2FileKept("C:\\A\\Cfg\\x", "a.cfg", keeps));
  EXPECT_FALSE(Winapp2FileKept("C:\\A\\Cfg", "a.log", keeps));
  EXPECT_TRUE(Winapp2KeyKept("HKCU\\Software\\App\\Pinned\\Sub", keeps));
  EXPECT_FALSE(Winapp2KeyKept("HKCU\\Software\\App", keeps));
  EXPECT_TRUE(Winapp2KeepsBelow("HKCU\\Software\\App", keeps));
  EXPECT_FALSE(Winapp2KeepsBelow("HKCU\\Software\\App\\Other", keeps));
  EXPECT_TRUE(Winapp2ValueKept("HKCU\\Software\\App", "last", keeps));
  EXPECT_FALSE(Winapp2ValueKept("HKCU\\Software\\App", "First", keeps));

  for (const char* name : {"cookies.sqlite", "places.sqlite-wal", "Cookies", "History-journal"})
    EXPECT_TRUE(IsBrowserDatabaseName(name)) << name;
  for (const char* name : {"cookies.sqlite.bak", "History Provider Cache", "formhistory.sqlite"})
    EXPECT_FALSE(IsBrowserDatabaseName(name)) << name;
  EXPECT_TRUE(MaskReachesBrowserDatabase("cookies*"));
  EXPECT_TRUE(MaskReachesBrowserDatabase("History*"));
  EXPECT_FALSE(MaskReachesBrowserDatabase("*"));
  EXPECT_FALSE(MaskReachesBrowserDatabase("*.log"));
}
}  // namespace
