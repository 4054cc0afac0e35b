#include <gtest/gtest.h>

#include <algorithm>

#include "core/command_line.h"
#include "core/folders.h"
#include "core/settings.h"
#include "core/text_util.h"
#include "platform/files.h"
#include "support/test_support.h"

TEST(Settings, AnEmptyFileGivesEveryDefault) {
  ScopedDataFolder data;
  WriteFileText(data.SettingsPath(), "");
  ProfileFile file = SettingsFile();
  for (const char* section : {"StndOptions", "PnowOptions", "BootOptions", "ShutOptions"})
    EXPECT_EQ(ReadOptionSet(file, section), OptionSet{}) << section;
  DisplayPolicy p = ReadDisplayPolicy(file, "ShutOptions");
  EXPECT_EQ(p.splashOpt, 0);
  EXPECT_EQ(p.mainWinOpt, 0);
  EXPECT_EQ(p.shutType, 0);
  ShredSettings s = ReadShredSettings(file);
  EXPECT_EQ(s.Method(), '0');
  EXPECT_EQ(s.repeats, 1);
  TempFolderSelection t = ReadTempFolders(file);
  EXPECT_TRUE(t.tmpDir);  // forced when none is chosen
  EXPECT_FALSE(t.dosDir || t.winDir || t.volDir);
  EXPECT_TRUE(t.ageTemp);
  EXPECT_EQ(t.ageHours, "8");
  MessageChoices m = ReadMessageChoices(file);
  EXPECT_EQ(m.cookieMsgOpt + m.ffCookieMsgOpt + m.quickStartOpt + m.win8WarningOpt, "NNSS");
  FontSettings f = ReadFonts(file);
  EXPECT_EQ(f.main.name, "Courier New");
  EXPECT_EQ(f.cookies.size, 10);
}

TEST(Settings, OptionSetIsWrittenAsItsKeysInTableOrder) {
  ScopedDataFolder data;
  OptionSet set;
  set[OptionField::Cookies] = 1;
  set[OptionField::Report] = 1;
  set[OptionField::IEDomStore] = 1;
  SettingsChanges changes;
  WriteOptionSet(changes, "PnowOptions", set);
  ASSERT_TRUE(changes.Commit());
  const std::string text = data.SettingsText();
  // The keys other programs and older versions read, in the order they are written.
  const char* const keys[] = {
      "CacheOption", "CookiesOption", "HistoryOption", "FFtypedURLs", "FormsOption", "TempOption",
      "VisitedOption", "RecentLNKsOption", "RecycleBinOption", "ClipBoardOption", "PluginsOption",
      "SecureDeleteOption", "CompactSqlOption", "ReportOpt", "IECacheOption", "IECookiesOption",
      "IEHistoryOption", "IEUserDataOption", "IESearchesOption", "IETypedURLsOption",
      "IEStraysOption", "IEDOMstoreOption", "WipeFreeOption",
      // Added later: an older file lacks them and reads them as off.
      "ChromiumHistoryOption", "ChromiumTypedURLsOption", "ChromiumFormsOption",
      "ChromiumCookiesOption", "ChromiumCacheOption", "ChromiumSessionOption", "FFSessionOption",
      "Winapp2Option", "ExplorerMruOption", "ThumbCacheOption", "ErrorReportsOption", "EventLogsOption",
      "DnsCacheOption", "ClipHistoryOption"};
  size_t last = 0, lines = 0;
  for (const char* key : keys) {
    size_t at = text.find(std::string("\n") + key + "=");
    ASSERT_NE(at, std::string::npos) << key;
    EXPECT_GT(at, last) << key << " out of order";
    last = at;
  }
  for (char c : text) lines += c == '\n';
  EXPECT_EQ(lines, 1u + std::size(keys));  // the section line and every key
  EXPECT_NE(text.find("CookiesOption=1"), std::string::npos);
  EXPECT_NE(text.find("CacheOption=0"), std::string::npos);
  EXPECT_EQ(ReadOptionSet(SettingsFile(), "PnowOptions"), set);
}

// A file written before "Wipe Free Space" and the boxes of Windows' own tracks existed has
// every other key and not theirs: the wipe, which fills a whole drive, and the tracks stay off
// until chosen.
TEST(Settings, AnOlderFileLoadsTheBoxesAddedLaterOff) {
  ScopedDataFolder data;
  const std::vector<OptionField> later = {OptionField::WipeFreeSpace, OptionField::ExplorerMru,
                                          OptionField::ThumbCache,    OptionField::ErrorReports,
                                          OptionField::EventLogs,     OptionField::DnsCache,
                                          OptionField::ClipHistory};
  std::string section = "[StndOptions]\r\n";
  for (const auto& f : OptionFields())
    if (std::find(later.begin(), later.end(), f.field) == later.end())
      section += std::string(f.key) + "=1\r\n";
  WriteFileText(data.SettingsPath(), section);
  const OptionSet set = ReadOptionSet(SettingsFile(), "StndOptions");
  EXPECT_EQ(set[OptionField::Plugins], 1);
  for (OptionField f : later) EXPECT_EQ(set[f], 0) << InfoOf(f).key;
}

// The option set is read a section at a time; every value reads as the system reads it key by
// key, whatever its form, case or repetition.
TEST(Settings, OptionValuesReadAsTheSystemReadsThemOneByOne) {
  ScopedDataFolder data;
  const std::vector<std::string> values = {"1",  "0",   "\"1\"", " 2", "0x1",
                                           "-1", "'0'", "",      "1x", "01"};
  std::string text = "[StndOptions]\r\n";
  size_t i = 0;
  for (const auto& f : OptionFields()) {
    const std::string key = i % 3 == 0 ? UpperCase(f.key) : std::string(f.key);
    if (i % 4 == 1)
      text += key + "=" + values[(i + 3) % values.size()] + "\r\n";          // the first counts
    if (i % 5 != 4) text += key + "=" + values[i % values.size()] + "\r\n";  // else no line at all
    ++i;
  }
  // Also a section with a header alone, one whose lines follow a second header of the same
  // name, and one not there at all.
  text += "[PnowOptions]\r\n[BootOptions]\r\n[BootOptions]\r\nCacheOption=1\r\n";
  WriteFileText(data.SettingsPath(), text);
  ProfileFile file = SettingsFile();
  for (const char* section : {"StndOptions", "PnowOptions", "BootOptions", "ShutOptions"}) {
    const OptionSet set = ReadOptionSet(file, section);
    for (const auto& f : OptionFields()) {
      const int v = file.ReadInt(section, f.key, 0);
      EXPECT_EQ(set[f.field], f.isRadio ? v == 1 : v != 0) << section << " " << f.key;
    }
  }
}

TEST(Settings, ShredValuesAreClampedAndReadByFirstCharacter) {
  ScopedDataFolder data;
  WriteFileText(data.SettingsPath(), "[ShredOption]\r\nThoroughness=1xyz\r\nRepeats=0\r\n");
  ShredSettings s = ReadShredSettings(SettingsFile());
  EXPECT_EQ(s.Method(), '1');
  EXPECT_EQ(s.thoroughness, "1xyz");
  EXPECT_EQ(s.repeats, 1);
  WriteFileText(data.SettingsPath(), "[ShredOption]\r\nThoroughness=7\r\nRepeats=250\r\n");
  s = ReadShredSettings(SettingsFile());
  EXPECT_EQ(s.repeats, 99);
  EXPECT_EQ(s.Method(), '7');  // selects no button, the text is kept
}

TEST(Settings, TempFolderKeysAndAgeHours) {
  ScopedDataFolder data;
  WriteFileText(data.SettingsPath(), "[TempFolders]\r\nDosDir=1\r\nAgeHours=abc\r\nAgeTemp=0\r\n");
  TempFolderSelection t = ReadTempFolders(SettingsFile());
  EXPECT_TRUE(t.dosDir);   // "Windows Temp"
  EXPECT_FALSE(t.tmpDir);  // not forced: a box is checked
  EXPECT_FALSE(t.ageTemp);
  EXPECT_EQ(t.ageHours, "0");
  EXPECT_EQ(AgeHoursValue("-4"), 0);
  EXPECT_EQ(NormalizeAgeHours("12"), "12");
  t.winDir = true;
  SettingsChanges changes;
  WriteTempFolders(changes, t);
  ASSERT_TRUE(changes.Commit());
  EXPECT_NE(data.SettingsText().find("WinDir=1"), std::string::npos);
}

TEST(Folders, DataValueNamesTheSubFolderAndOldSettingsAreCarriedOver) {
  TempFolder program;
  ScopedArguments args({"data=QvTestData"});
  ResolveDataFolder(program.File("Quorvane.exe"));
  const AppFolders f = Folders();
  EXPECT_EQ(f.programFolder, program.Path());
  EXPECT_TRUE(EndsWith(f.dataFolder, "\\QVTESTDATA")) << f.dataFolder;
  EXPECT_TRUE(DirectoryExists(f.dataFolder));
  EXPECT_EQ(f.settingsFile, f.dataFolder + "\\Quorvane.ini");
  WriteFileText(program.File("Quorvane.ini"), "[StndOptions]\r\nCacheOption=1\r\n");
  PrepareSettingsFile();
  EXPECT_EQ(ReadFileText(f.settingsFile), "[StndOptions]\r\nCacheOption=1\r\n");
  EXPECT_TRUE(FileExists(program.File("Quorvane.ini")));  // the old file stays
  WriteFileText(program.File("Quorvane.ini"), "[StndOptions]\r\nCacheOption=0\r\n");
  PrepareSettingsFile();  // an existing file is never replaced
  EXPECT_EQ(ReadFileText(f.settingsFile), "[StndOptions]\r\nCacheOption=1\r\n");
  RemoveTree(f.dataFolder);
  MutableFolders() = AppFolders();
}

TEST(Folders, CdModeNeverCreatesTheSettingsFile) {
  TempFolder program;
  ScopedArguments args({"CDEXEC", "data=QvTestCd"});
  ResolveDataFolder(program.File("Quorvane.exe"));
  EXPECT_TRUE(Folders().cdMode);
  DeleteFileA(Folders().settingsFile.c_str());
  PrepareSettingsFile();
  EXPECT_FALSE(FileExists(Folders().settingsFile));
  RemoveTree(Folders().dataFolder);
  MutableFolders() = AppFolders();
}

TEST(Folders, DataValueMustStayBelowTheUserFolder) {
  EXPECT_TRUE(IsPlainSubFolderName("WORK"));
  EXPECT_TRUE(IsPlainSubFolderName("A..B"));
  EXPECT_TRUE(IsPlainSubFolderName("TOOLS\\QV"));
  EXPECT_FALSE(IsPlainSubFolderName("..\\..\\WINDOWS"));
  EXPECT_FALSE(IsPlainSubFolderName("X\\.."));
  EXPECT_FALSE(IsPlainSubFolderName("C:\\TEMP"));
  EXPECT_FALSE(IsPlainSubFolderName("\\ROOT"));
}
