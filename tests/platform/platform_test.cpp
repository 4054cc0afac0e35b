#include <gtest/gtest.h>

#include <windows.h>

#include "core/text_util.h"
#include "platform/case_mapping.h"
#include "platform/files.h"
#include "platform/profile_file.h"
#include "platform/registry.h"
#include "platform/shell_folders.h"
#include "platform/version_resource.h"
#include "support/test_support.h"

namespace {
constexpr const char* kTestKey = "Software\\QuorvaneTests\\Platform";
}

TEST(Registry, StringsOnlyWhenStoredAsStrings) {
  DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\QuorvaneTests");
  RegKey key;
  ASSERT_EQ(key.Create(HKEY_CURRENT_USER, std::string(kTestKey) + "\\Sub\\Deeper"), ERROR_SUCCESS);
  ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kTestKey), ERROR_SUCCESS);
  key.WriteString("Text", "value");
  DWORD number = 7;
  RegSetValueExA(key, "Number", 0, REG_DWORD, reinterpret_cast<BYTE*>(&number), sizeof number);
  RegSetValueExA(key, "Expand", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>("%TEMP%\\x"), 9);
  EXPECT_EQ(key.ReadString("Text").value_or("?"), "value");
  EXPECT_EQ(key.ReadString("Expand").value_or("?"), "%TEMP%\\x");  // not expanded
  EXPECT_FALSE(key.ReadString("Number").has_value());
  EXPECT_FALSE(key.ReadString("Missing").has_value());
  EXPECT_EQ(key.SubkeyNames(), std::vector<std::string>{"Sub"});
  EXPECT_EQ(key.DeleteValue("Text"), ERROR_SUCCESS);
  EXPECT_FALSE(key.ReadString("Text").has_value());
  key = RegKey();
  EXPECT_EQ(DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\QuorvaneTests"), ERROR_SUCCESS);
  EXPECT_NE(key.OpenRead(HKEY_CURRENT_USER, kTestKey), ERROR_SUCCESS);
}

TEST(ProfileFile, ReadsThroughThePrivateProfileCallsAndIsReplacedWhole) {
  TempFolder folder;
  const std::string path = folder.File("t.ini");
  // Its time set in the 100-ns steps a FILETIME holds, so that the replacement below can be given
  // the same time again (a time a write sets under Wine has nanoseconds).
  MakeAgedFile(path, "[Zeta]\r\nA=1xyz\r\nEmpty=\r\n[alpha]\r\nkey=Value\r\n", 1);
  ProfileFile file(path);
  EXPECT_EQ(file.SectionNames(), (std::vector<std::string>{"Zeta", "alpha"}));  // file order
  EXPECT_EQ(file.ReadInt("Zeta", "A", 5), 1);
  EXPECT_EQ(file.ReadString("ALPHA", "KEY"), "Value");  // keys ignore case
  EXPECT_TRUE(file.HasKey("Zeta", "Empty"));
  EXPECT_FALSE(file.HasKey("Zeta", "None"));
  EXPECT_EQ(file.ReadString("Zeta", "None", "fallback"), "fallback");
  // A replacement reads at once, even bearing the time of the text read before it (two writes
  // within one tick of the file system's clock): the system's parsed copy is not trusted.
  FILETIME before{};
  HANDLE h = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  GetFileTime(h, nullptr, nullptr, &before);
  CloseHandle(h);
  EXPECT_TRUE(file.ReplaceText("[alpha]\r\nkey=New\r\n"));
  h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  SetFileTime(h, nullptr, nullptr, &before);
  CloseHandle(h);
  EXPECT_EQ(file.ReadString("alpha", "key"), "New");
  EXPECT_TRUE(ProfileFile(folder.File("missing.ini")).SectionNames().empty());
}

TEST(Files, FoldersAndNames) {
  TempFolder folder;
  const std::string deep = folder.File("a\\b\\c");
  EXPECT_TRUE(ForceDirectories(deep));
  EXPECT_TRUE(DirectoryExists(deep));
  EXPECT_FALSE(FileExists(deep));
  EXPECT_TRUE(EnsureFileExists(folder.File("x\\y\\z.dat")));
  EXPECT_TRUE(FileExists(folder.File("x\\y\\z.dat")));
  EXPECT_EQ(ExtractFilePath("C:\\Program Files\\Q\\Quorvane.exe"), "C:\\Program Files\\Q");
  EXPECT_EQ(ExtractFileName("C:\\Q\\Quorvane.exe"), "Quorvane.exe");
  EXPECT_EQ(ChangeFileExt("C:\\Q.d\\Quorvane.exe", ".ManifesI"), "C:\\Q.d\\Quorvane.ManifesI");
  EXPECT_EQ(ChangeFileExt("C:\\Q.d\\noext", ".x"), "C:\\Q.d\\noext.x");
}

// A rewrite is whole or nothing: when the new contents cannot take the name, the old file stays
// as it was and no half-written or temporary file is left beside it.
TEST(Files, WholeFileReplacedWholeOrNotAtAll) {
  TempFolder folder;
  const std::string path = folder.File("list.dat");
  ASSERT_TRUE(WriteWholeFile(path, "old line\r\n"));
  EXPECT_TRUE(WriteWholeFile(path, "new line\r\n"));
  EXPECT_EQ(ReadFileText(path), "new line\r\n");
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(WriteWholeFile(path, "lost\r\n"));
  CloseHandle(held);
  EXPECT_EQ(ReadFileText(path), "new line\r\n");
  EXPECT_FALSE(FileExists(path + ".qv-new"));
}

TEST(VersionResource, FileAndProductVersionTexts) {
  const std::string fixtures = BinFolder() + "\\fixtures";
  EXPECT_EQ(FileVersionText(fixtures + "\\Mozilla Firefox\\sqlite3.dll"), "10.0.2");
  EXPECT_EQ(FileVersionText(fixtures + "\\SeaMonkey\\mozsqlite3.dll"), "3.6.28");
  EXPECT_EQ(ProductVersionText(fixtures + "\\Mozilla Firefox\\firefox.exe"), "10.0.2");
  EXPECT_EQ(FileVersionText(fixtures + "\\Partial\\partialsqlite.dll"), "00.00.00.00");
  EXPECT_EQ(FileVersionText(fixtures + "\\no-such-file.dll"), "00.00.00.00");
  TVerInfoRes own(BinFolder() + "\\Quorvane.exe");
  EXPECT_EQ(own.Value(TVerInfoRes::ProductVersion), "Build 5.1.0.180");
  EXPECT_EQ(own.Value(TVerInfoRes::FileVersion), "5.01");
}

TEST(ShellFolders, KnownFoldersOfTheUser) {
  SpecialFolder appData = GetSpecialFolder(kCsidlAppData);
  ASSERT_TRUE(appData.ok);
  EXPECT_TRUE(DirectoryExists(appData.text));
  EXPECT_TRUE(GetSpecialFolder(kCsidlLocalAppData).ok);
  SpecialFolder bogus = GetSpecialFolder(0x7F);
  EXPECT_FALSE(bogus.ok);
  EXPECT_EQ(bogus.text, "Failed - Path not Found");
}

// The prefix's user folders must be its own: a link to the Linux home would let a purge, a
// plugin or a desktop shortcut reach the real files of whoever runs the tests.
TEST(ShellFolders, UserFoldersAreRealFoldersOfThePrefix) {
  const int desktop = 0x10, documents = 0x05, pictures = 0x27, music = 0x0D;
  for (int csidl : {desktop, documents, pictures, music}) {
    SpecialFolder f = GetSpecialFolder(csidl);
    ASSERT_TRUE(f.ok) << csidl;
    DWORD attributes = GetFileAttributesA(f.text.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << f.text;
    EXPECT_FALSE(attributes & FILE_ATTRIBUTE_REPARSE_POINT) << f.text << " links elsewhere";
  }
}

// The system's case mapping keeps double-byte characters whole: in Shift-JIS (932) the second
// byte of many characters is an ASCII letter's, and a full-width letter has a case of its own.
TEST(CaseMapping, DoubleByteCharactersKeepTheirSecondByte) {
  const struct {
    unsigned codePage;
    bool upper;
    std::string text, mapped;
  } cases[] = {
      {932, true, "c:\\\x83\x61x.lnk", "C:\\\x83\x61X.LNK"},   // katakana, trail 'a'
      {932, false, "C:\\\x83\x41X.LNK", "c:\\\x83\x41x.lnk"},  // katakana, trail 'A'
      {932, true,
       "\x82\x81"
       "b",
       "\x82\x60"
       "B"},                          // full-width a
      {932, true, "x\x83", "X\x83"},  // a lead byte without its second: ASCII letters only
      {936, true, "d\xb0\x61", "D\xb0\x61"},
      {1252, true, "caf\xe9", "CAF\xc9"},
      {1252, false, "CAF\xc9", "caf\xe9"},
      {1252, true, "", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SystemCaseMap(c.text, c.upper, c.codePage), c.mapped) << c.codePage << " " << c.text;
  // The program's own helpers map through it in the ANSI code page.
  ASSERT_EQ(GetACP(), 1252u);
  EXPECT_EQ(UpperCase("c:\\caf\xe9\\a.txt"), "C:\\CAF\xc9\\A.TXT");
  EXPECT_EQ(LowerCase("C:\\CAF\xc9"), "c:\\caf\xe9");
}
