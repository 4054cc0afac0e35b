// The keep-list files on disk: loading with normalising, saving, the start-up preparation
// and the merge of the old protected-mode list.
#include <gtest/gtest.h>

#include "cookies/keep_list_files.h"
#include "core/folders.h"
#include "platform/files.h"
#include "support/test_support.h"

namespace {
// Holds the file open with no sharing, as another program writing it would.
struct FileLock {
  explicit FileLock(const std::string& path)
      : handle(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~FileLock() { Release(); }
  void Release() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
  }
  HANDLE handle;
};
}  // namespace

struct KeepListFilesTest : testing::Test {
  ScopedDataFolder data;
  ScopedArguments args{{}};
  MessageBoxRecorder boxes;
};

TEST_F(KeepListFilesTest, OldLinesAreNormalisedAndWrittenBackOnlyWhenChanged) {
  const std::string path = FirefoxKeepListFile();
  EXPECT_EQ(path, data.Path() + "\\Quorvane.Dat");
  WriteFileText(path, "Protect File list\r\nshop.example.com\r\n\r\nr=.Example.org\r\n");
  KeepList list(path);
  ASSERT_TRUE(LoadKeepList(list));
  EXPECT_TRUE(list.loaded);
  EXPECT_TRUE(list.modified);
  EXPECT_EQ(list.Entries(), (std::vector<std::string>{"", "p=shop.example.com", "r=.example.org"}));
  EXPECT_EQ(list.Count(), 3);
  SaveKeepList(list);
  EXPECT_FALSE(list.modified);
  EXPECT_EQ(ReadFileText(path), "\r\np=shop.example.com\r\nr=.example.org\r\n");

  // A list that needed no normalising is not written: the file keeps whatever it holds.
  ASSERT_TRUE(LoadKeepList(list));
  EXPECT_FALSE(list.modified);
  WriteFileText(path, "p=changed.elsewhere\r\n");
  SaveKeepList(list);
  EXPECT_EQ(ReadFileText(path), "p=changed.elsewhere\r\n");

  // A missing file is an empty list that loaded.
  KeepList missing(data.Path() + "\\none.dat");
  EXPECT_TRUE(LoadKeepList(missing));
  EXPECT_TRUE(missing.loaded);
  EXPECT_EQ(missing.Count(), 0);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(KeepListFilesTest, AListThatCouldNotBeReadIsNeverWrittenBack) {
  const std::string path = IeKeepListFile();
  WriteFileText(path, "p=cookie:joe@keep.example/\r\n");
  FileLock lock(path);
  ASSERT_NE(lock.handle, INVALID_HANDLE_VALUE);
  KeepList list(path);
  EXPECT_FALSE(LoadKeepList(list));
  EXPECT_FALSE(list.loaded);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_FALSE(list.LookupIeAddress("cookie:joe@keep.example/", kIeCookieMode).found);
  // The user edits the empty list in the window; the file is free again when it closes.
  list.ReplaceEntries({"p=cookie:ann@other.example/"});
  lock.Release();
  SaveKeepList(list);
  EXPECT_FALSE(list.modified);
  EXPECT_EQ(ReadFileText(path), "p=cookie:joe@keep.example/\r\n");
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(KeepListFilesTest, ReadOnlyFileIsWrittenAndAnUnwritableOneIsReported) {
  const std::string path = FirefoxKeepListFile();
  WriteFileText(path, "p=a.example\r\n");
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  KeepList list(path);
  ASSERT_TRUE(LoadKeepList(list));
  list.ReplaceEntries({"p=a.example", "r=b.example"});
  SaveKeepList(list);
  EXPECT_EQ(ReadFileText(path), "p=a.example\r\nr=b.example\r\n");
  EXPECT_TRUE(boxes.boxes.empty());

  FileLock lock(path);
  list.ReplaceEntries({"p=c.example"});
  SaveKeepList(list);
  EXPECT_FALSE(list.modified);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text,
            "Unable to save the protect file - Quorvane.Dat\r\n"
            "Execution will continue without saving the changes.");
  EXPECT_EQ(boxes.boxes[0].caption, "Quorvane  -  Message");
  lock.Release();
  EXPECT_EQ(ReadFileText(path), "p=a.example\r\nr=b.example\r\n");
}

TEST_F(KeepListFilesTest, StartUpCreatesBothFilesAndMergesTheOldProtectedModeList) {
  EnsureKeepListFiles();
  EXPECT_TRUE(FileExists(data.Path() + "\\Quorvane.Dat"));
  EXPECT_TRUE(FileExists(data.Path() + "\\IEcookie.dat"));
  EXPECT_EQ(ReadFileText(data.Path() + "\\IEcookie.dat"), "");
  WriteFileText(data.Path() + "\\Quorvane.Dat", "p=x\r\n");
  EnsureKeepListFiles();  // an existing file is left as it is
  EXPECT_EQ(ReadFileText(data.Path() + "\\Quorvane.Dat"), "p=x\r\n");

  const std::string legacy = data.Path() + "\\IEprMode.dat";
  WriteFileText(legacy, "Cookie:Joe@PM.example/\r\np=cookie:ann@both.example/\r\n");
  WriteFileText(IeKeepListFile(), "p=cookie:ann@both.example/\r\nr=cookie:bob@ads.example/\r\n");
  {
    // Locked: both files stay for a later start.
    FileLock lock(legacy);
    MergeLegacyIeKeepList(data.Path());
    EXPECT_TRUE(FileExists(legacy));
  }
  MergeLegacyIeKeepList(data.Path());
  EXPECT_FALSE(FileExists(legacy));
  EXPECT_EQ(
      ReadFileText(IeKeepListFile()),
      "p=cookie:ann@both.example/\r\np=cookie:joe@pm.example/\r\nr=cookie:bob@ads.example/\r\n");
  MergeLegacyIeKeepList(data.Path());  // nothing left to merge
  EXPECT_EQ(
      ReadFileText(IeKeepListFile()),
      "p=cookie:ann@both.example/\r\np=cookie:joe@pm.example/\r\nr=cookie:bob@ads.example/\r\n");
}
