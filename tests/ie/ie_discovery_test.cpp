// Internet Explorer version and folder discovery against the prefix's real registry, shell
// folders and WinINet containers (the test prefix has used WinINet once, so they exist).
#include <gtest/gtest.h>

#include <algorithm>

#include "core/text_util.h"
#include "ie/ie_discovery.h"
#include "ie/ie_rules.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/shell_folders.h"
#include "platform/version_resource.h"
#include "support/test_support.h"

namespace {
constexpr const char* kUserShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kIeKey = "Software\\Microsoft\\Internet Explorer";
constexpr const char* kUserDataKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\5.0\\Cache\\Extensible "
    "Cache\\Userdata";

// One registry value, put back exactly (type and bytes) or removed again when the test ends.
class ScopedRegValue {
 public:
  ScopedRegValue(HKEY root, std::string path, std::string name)
      : root_(root), path_(std::move(path)), name_(std::move(name)) {
    HKEY key;
    if (RegOpenKeyExA(root_, path_.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
      DWORD size = 0;
      if (RegQueryValueExA(key, name_.c_str(), nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
        data_.resize(size);
        existed_ = RegQueryValueExA(key, name_.c_str(), nullptr, &type_, data_.data(), &size) ==
                   ERROR_SUCCESS;
      }
      RegCloseKey(key);
    }
  }
  ~ScopedRegValue() {
    HKEY key;
    if (RegCreateKeyExA(root_, path_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
      return;
    if (existed_)
      RegSetValueExA(key, name_.c_str(), 0, type_, data_.data(), static_cast<DWORD>(data_.size()));
    else
      RegDeleteValueA(key, name_.c_str());
    RegCloseKey(key);
  }
  void Set(DWORD type, const std::string& text) {
    RegKey key;
    ASSERT_EQ(key.Create(root_, path_), ERROR_SUCCESS);
    ASSERT_EQ(
        RegSetValueExA(key, name_.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1)),
        ERROR_SUCCESS);
  }
  void SetDword(DWORD value) {
    RegKey key;
    ASSERT_EQ(key.Create(root_, path_), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name_.c_str(), 0, REG_DWORD, reinterpret_cast<BYTE*>(&value),
                             sizeof value),
              ERROR_SUCCESS);
  }
  void Remove() {
    RegKey key;
    if (key.Create(root_, path_) == ERROR_SUCCESS) key.DeleteValue(name_);
  }

 private:
  HKEY root_;
  std::string path_, name_;
  DWORD type_ = 0;
  std::vector<BYTE> data_;
  bool existed_ = false;
};

std::string Known(int csidl) { return GetSpecialFolder(csidl).text; }

void MakeIndex(const std::string& folder, const char* name = "index.dat") {
  ASSERT_TRUE(ForceDirectories(folder));
  WriteFileText(folder + "\\" + name, "Client UrlCache MMF Ver 5.2");
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}
}  // namespace

TEST(IeVersionTest, RegistryVersionAndShdocvwGiveTheMajorAndFlags) {
  ScopedRegValue svc(HKEY_LOCAL_MACHINE, kIeKey, "svcVersion"),
      ver(HKEY_LOCAL_MACHINE, kIeKey, "Version");
  ScopedArguments args{{}};
  const int fileMajor = VersionMajor(FileVersionText("shdocvw.dll"));

  svc.Set(REG_SZ, "11.0.9600.1");
  ver.Set(REG_SZ, "9.11.9600.1");
  EXPECT_TRUE(DetectIeVersion());
  const IeVersionInfo& v = IeVersion();
  EXPECT_EQ(v.registryVersion, "11.0.9600.1    ");
  EXPECT_EQ(v.registryMajor, 11);
  EXPECT_EQ(v.fileMajor, fileMajor);
  EXPECT_EQ(v.major, std::max(11, fileMajor));
  EXPECT_EQ(v.shortLabel, "IE-" + std::to_string(v.major));
  EXPECT_TRUE(v.ie4 && v.ie5 && v.ie6 && v.ie7 && v.ie8 && v.ie9 && v.ie10);
  EXPECT_EQ(IeVersionText(), "11.0.9600.1    ");

  // A "svcVersion" that is not text does not fall back to "Version".
  svc.SetDword(11);
  EXPECT_FALSE(DetectIeVersion());
  EXPECT_EQ(IeVersion().registryVersion, "    ");
  EXPECT_EQ(IeVersion().registryMajor, 0);

  // Without "svcVersion", "Version" is read; an expandable string counts as text.
  svc.Remove();
  ver.Set(REG_EXPAND_SZ, "8.0.6001.18702");
  EXPECT_TRUE(DetectIeVersion());
  EXPECT_EQ(IeVersion().registryMajor, 8);

  // A version text without a full stop gives registry major 0.
  ver.Set(REG_SZ, "11");
  EXPECT_TRUE(DetectIeVersion());
  EXPECT_EQ(IeVersion().registryMajor, 0);
  EXPECT_EQ(IeVersion().major, fileMajor);
}

TEST(IeVersionTest, TheIe7SwitchForcesOnlyTheIe7Flag) {
  ScopedRegValue svc(HKEY_LOCAL_MACHINE, kIeKey, "svcVersion");
  const int fileMajor = VersionMajor(FileVersionText("shdocvw.dll"));
  if (fileMajor > 6) GTEST_SKIP() << "shdocvw.dll is version " << fileMajor;
  svc.Set(REG_SZ, "5.50.4807.2300");
  {
    ScopedArguments args{{}};
    DetectIeVersion();
    EXPECT_EQ(IeVersion().major, std::max(5, fileMajor));
    EXPECT_FALSE(IeVersion().ie7);
  }
  {
    ScopedArguments args{{"ie7"}};
    DetectIeVersion();
    EXPECT_TRUE(IeVersion().ie7);
    EXPECT_FALSE(IeVersion().ie8);
    EXPECT_EQ(IeVersion().major, std::max(5, fileMajor));
  }
  DetectIeVersion();
}

struct IeFolderTest : testing::Test {
  ScopedArguments args{{}};
  void SetUp() override { DetectIeVersion(); }
  void TearDown() override {
    DetectIeVersion();
    DiscoverIeFolders();
  }
};

TEST_F(IeFolderTest, FindsTheWinInetContainersOfThePrefix) {
  ASSERT_TRUE(IeVersion().ie5);
  ScopedRegValue typed(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\Typedurls",
                       "url1");
  typed.Set(REG_SZ, "http://a.example/");
  EXPECT_TRUE(DiscoverIeFolders());
  const IeFolderSet& f = IeFolders();
  EXPECT_TRUE(f.cacheFound);
  EXPECT_EQ(f.cacheFolder, Known(32) + "\\Content.IE5");
  EXPECT_TRUE(FileExists(f.cacheFolder + "\\index.dat"));
  EXPECT_EQ(f.cacheFolderWithSeparator, f.cacheFolder + "\\");
  EXPECT_EQ(f.cacheFolderWithSeparatorLength, f.cacheFolder.size() + 1);
  EXPECT_EQ(f.cacheDrive, 'C');
  EXPECT_EQ(f.cookiesFolder, Known(33));
  EXPECT_EQ(f.cookiesDrive, 'C');
  EXPECT_EQ(f.historyFolder, Known(34) + "\\History.IE5");
  EXPECT_TRUE(f.recentFound);
  EXPECT_EQ(f.recentFolder, Known(8));
  EXPECT_TRUE(f.typedUrlsKey);
  EXPECT_EQ(f.typedUrlsKeyText,
            "[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Typedurls]");
  // Wine has no protected mode: no Low containers, no user data, no DOM store.
  EXPECT_EQ(f.protectedCacheFolder, "");
  EXPECT_FALSE(f.domStoreFound);
  EXPECT_EQ(f.domStoreDrive, ' ');

  std::vector<std::string> lines = IeFolderReportLines(true);
  EXPECT_EQ(lines, (std::vector<std::string>{"    IE Visited URLs - " + UpperCase(f.historyFolder),
                                             "    IE Cache Folder - " + UpperCase(f.cacheFolder),
                                             "  IE Cookies Folder - " + UpperCase(f.cookiesFolder),
                                             "  IE History Folder - " + UpperCase(Known(34))}));
}

TEST_F(IeFolderTest, ACandidateWithoutIndexFallsThroughTheLadder) {
  TempFolder noIndex, indexed;
  ASSERT_TRUE(ForceDirectories(noIndex.Path() + "\\Content.IE5"));
  MakeIndex(indexed.Path() + "\\Content.IE5", "Container.dat");  // accepted as well as Index.dat
  // Steps 1 to 4 read the user's folder, which has no index; the machine's Shell Folders value
  // (step 6) names one that has.
  ScopedRegValue user(HKEY_CURRENT_USER, kUserShellFolders, "Cache");
  ScopedRegValue machine(HKEY_LOCAL_MACHINE, kShellFolders, "Cache");
  user.Set(REG_EXPAND_SZ, noIndex.Path());
  machine.Set(REG_SZ, indexed.Path() + "\\");  // a trailing backslash changes nothing
  DiscoverIeFolders();
  EXPECT_TRUE(IeFolders().cacheFound);
  EXPECT_EQ(IeFolders().cacheFolder, indexed.Path() + "\\Content.IE5");

  // With no candidate indexed the cache is not found and its fields stay empty.
  machine.Set(REG_SZ, noIndex.Path());
  EXPECT_FALSE(DiscoverIeFolders());
  EXPECT_FALSE(IeFolders().cacheFound);
  EXPECT_EQ(IeFolders().cacheFolder, "");
  EXPECT_EQ(IeFolders().cacheDrive, ' ');
  EXPECT_EQ(IeFolderReportLines(false)[1], "    IE Cache Folder -   ..folder not found..");
}

TEST_F(IeFolderTest, AFolderThatIsNoFullPathIsRejectedAfterTheLadder) {
  ScopedRegValue user(HKEY_CURRENT_USER, kUserShellFolders, "Recent");
  ScopedRegValue shell(HKEY_CURRENT_USER, kShellFolders, "Recent");
  user.Set(REG_EXPAND_SZ, "C:");
  shell.Set(REG_SZ, "C:");
  DiscoverIeFolders();
  EXPECT_FALSE(IeFolders().recentFound);
  EXPECT_EQ(IeFolders().recentFolder, "");
}

TEST_F(IeFolderTest, UserDataDomStoreAndProtectedModeFolders) {
  TempFolder userData;
  ScopedRegValue cachePath(HKEY_CURRENT_USER, kUserDataKey, "CachePath");
  cachePath.Set(REG_EXPAND_SZ, userData.Path() + "\\");
  DiscoverIeFolders();
  EXPECT_FALSE(IeFolders().userDataFound);  // no index file: emptied at the end
  EXPECT_EQ(IeFolders().userDataFolder, "");

  MakeIndex(userData.Path());
  MakeIndex(userData.Path() + "\\Low");
  const std::string local = Known(28);
  const std::string dom = local + "\\MicroSoft\\Internet Explorer\\DomStore";
  const std::string lowDom = local + "Low\\MicroSoft\\Internet Explorer\\DomStore";
  const std::string lowCache = Known(32) + "\\Low\\Content.IE5";
  const std::string lowCookies = Known(33) + "\\Low";
  const std::string lowHistory = Known(34) + "\\Low\\History.IE5";
  MakeIndex(dom);
  MakeIndex(lowDom, "container.dat");
  MakeIndex(lowCache);
  MakeIndex(lowCookies);
  ASSERT_TRUE(ForceDirectories(lowHistory));  // a folder without index file stays unknown
  DiscoverIeFolders();
  const IeFolderSet& f = IeFolders();
  EXPECT_TRUE(f.userDataFound);
  EXPECT_EQ(f.userDataFolder, userData.Path());
  EXPECT_EQ(f.userDataDrive, userData.Path()[0]);
  EXPECT_EQ(f.protectedUserDataFolder, userData.Path() + "\\Low");
  EXPECT_TRUE(f.domStoreFound);
  EXPECT_EQ(f.domStoreFolder, dom);
  EXPECT_TRUE(f.protectedDomStoreFound);
  EXPECT_EQ(f.protectedDomStoreFolder, lowDom);
  EXPECT_EQ(f.protectedCacheFolder, lowCache);
  EXPECT_EQ(f.protectedCookiesFolder, lowCookies);
  EXPECT_EQ(f.protectedHistoryFolder, "");

  std::vector<std::string> vista = IeFolderReportLines(true);
  EXPECT_TRUE(Contains(vista, "   DOM Store Folder - " + UpperCase(dom)));
  EXPECT_TRUE(Contains(vista, "  IE UserData Folder - " + UpperCase(userData.Path())));
  EXPECT_TRUE(Contains(vista, "  IE Cache Pro-Mode - " + UpperCase(lowCache)));
  EXPECT_TRUE(Contains(vista, "IE Cookies Pro-Mode - " + UpperCase(lowCookies)));
  EXPECT_TRUE(Contains(vista, " DOM Store Pro-Mode - " + lowDom));
  EXPECT_TRUE(Contains(vista, "IE UserData Pro-Mode - " + UpperCase(userData.Path() + "\\Low")));
  EXPECT_EQ(vista.size(), 10u);  // no history line: that folder has no index
  EXPECT_EQ(IeFolderReportLines(false).size(), 6u);

  RemoveTree(local + "\\MicroSoft\\Internet Explorer");
  RemoveTree(local + "Low\\MicroSoft\\Internet Explorer");
  RemoveTree(Known(32) + "\\Low");
  RemoveTree(lowCookies);
  RemoveTree(Known(34) + "\\Low");
}
