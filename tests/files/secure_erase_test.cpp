// The deletion routine every purge uses: plain or secure, and what keeps a file.
#include <gtest/gtest.h>

#include <windows.h>

#include "files/secure_erase.h"
#include "support/test_support.h"

namespace {
bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string CurrentDirectory() {
  char buf[MAX_PATH * 2] = {};
  GetCurrentDirectoryA(sizeof buf, buf);
  return buf;
}

// Deletion with secure erase off, then Quick, Thorough and Both.
struct EraseMode {
  const char* name;
  bool secure;
  const char* thoroughness;
};
const EraseMode kModes[] = {
    {"plain", false, "0"}, {"quick", true, "0"}, {"thorough", true, "1"}, {"both", true, "2"}};
}  // namespace

struct DeleteDataFileTest : testing::Test {
  TempFolder folder;
  TestRun run;
  ScopedArguments args{{}};

  void Use(const EraseMode& mode) {
    run.state.secureErase = mode.secure;
    run.state.shred.thoroughness = mode.thoroughness;
    run.state.shred.repeats = 2;
  }
};

TEST_F(DeleteDataFileTest, DeletesInEveryModeAndRestoresTheCurrentDirectory) {
  const std::string before = CurrentDirectory();
  for (const EraseMode& mode : kModes) {
    SCOPED_TRACE(mode.name);
    Use(mode);
    const std::string path = folder.File("sessionstore.js");
    WriteFileText(path, std::string(9000, 's'));
    const DeleteOutcome outcome = DeleteDataFile(run.ctx, path);
    EXPECT_TRUE(outcome);
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(outcome.error, 0u);
    EXPECT_EQ(run.ctx.MapFileError(outcome.error), "       deleted - ");
    EXPECT_EQ(CurrentDirectory(), before);
  }
  EXPECT_TRUE(run.view.lines.empty());
  EXPECT_FALSE(run.state.lockedFile);
}

TEST_F(DeleteDataFileTest, ReadOnlyFilesAreDeleted) {
  for (const EraseMode& mode : kModes) {
    SCOPED_TRACE(mode.name);
    Use(mode);
    const std::string path = folder.File("index.dat");
    WriteFileText(path, std::string(5000, 'r'));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(DeleteDataFile(run.ctx, path));
    EXPECT_FALSE(Exists(path));
  }
}

TEST_F(DeleteDataFileTest, KeepFilesAndPreviewDeleteNothing) {
  const std::string path = folder.File("cookies.txt");
  WriteFileText(path, "keep me");
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  for (const EraseMode& mode : kModes) {
    SCOPED_TRACE(mode.name);
    Use(mode);
    {
      run.state.keepFiles = true;
      EXPECT_FALSE(DeleteDataFile(run.ctx, path));
      run.state.keepFiles = false;
    }
    run.state.preview = true;
    EXPECT_FALSE(DeleteDataFile(run.ctx, path));
    run.state.preview = false;
    EXPECT_EQ(ReadFileText(path), "keep me");
    EXPECT_EQ(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY,
              DWORD(FILE_ATTRIBUTE_READONLY))
        << "not even the attribute is touched";
  }
  EXPECT_TRUE(run.view.lines.empty());
}

TEST_F(DeleteDataFileTest, FileInUseIsLockedAndLeftWhole) {
  const std::string path = folder.File("places.sqlite");
  WriteFileText(path, std::string(7000, 'p'));
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  for (const EraseMode& mode : kModes) {
    SCOPED_TRACE(mode.name);
    Use(mode);
    run.state.lockedFile = false;
    const DeleteOutcome outcome = DeleteDataFile(run.ctx, path);
    EXPECT_FALSE(outcome);
    EXPECT_EQ(outcome.error, uint32_t(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(run.state.lockedFile) << "marked only once reported as locked";
    EXPECT_EQ(run.ctx.MapFileError(outcome.error), "        Locked - ");
    EXPECT_TRUE(run.state.lockedFile);
  }
  CloseHandle(held);
  EXPECT_EQ(ReadFileText(path), std::string(7000, 'p'));
  EXPECT_EQ(run.state.highestLevel, 0) << "a locked file raises no level";
}

TEST_F(DeleteDataFileTest, AlternateNameIsUsedWhenThePathIsNotFound) {
  Use(kModes[0]);
  const std::string longName = folder.File("Temporary Internet File.html");
  WriteFileText(longName, "page");
  char shortName[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameA(longName.c_str(), shortName, sizeof shortName), 0u);
  ASSERT_NE(std::string(shortName), longName);
  const std::string gone = folder.File("renamed meanwhile.html");

  DeleteOutcome outcome = DeleteDataFile(run.ctx, gone, std::string(" ") + shortName);
  EXPECT_FALSE(outcome)
      << "an alternate beginning with a blank is not a name";
  EXPECT_EQ(outcome.error, uint32_t(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(run.ctx.MapFileError(outcome.error), "File not Found - ");
  EXPECT_TRUE(Exists(longName));

  outcome = DeleteDataFile(run.ctx, gone, shortName);
  EXPECT_TRUE(outcome);
  EXPECT_EQ(outcome.error, 0u);
  EXPECT_FALSE(Exists(longName));

  outcome = DeleteDataFile(run.ctx, gone);
  EXPECT_FALSE(outcome);
  EXPECT_EQ(outcome.error, uint32_t(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(run.state.lockedFile);
}

TEST_F(DeleteDataFileTest, MissingFilesAreNotFoundInEveryMode) {
  for (const EraseMode& mode : kModes) {
    SCOPED_TRACE(mode.name);
    Use(mode);
    const DeleteOutcome outcome = DeleteDataFile(run.ctx, folder.File("absent.dat"));
    EXPECT_FALSE(outcome);
    EXPECT_EQ(outcome.error, uint32_t(ERROR_FILE_NOT_FOUND));
  }
}

TEST_F(DeleteDataFileTest, MissingFolderNeverReachesANamesakeInTheCurrentDirectory) {
  const std::string namesake = folder.File("prefs.js");
  WriteFileText(namesake, "user_pref");
  const std::string before = CurrentDirectory();
  ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));
  for (const EraseMode& mode : kModes) {
    SCOPED_TRACE(mode.name);
    Use(mode);
    const DeleteOutcome outcome = DeleteDataFile(run.ctx, folder.File("gone\\prefs.js"));
    EXPECT_FALSE(outcome);
    EXPECT_EQ(outcome.error, uint32_t(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(CurrentDirectory(), folder.Path());
  }
  SetCurrentDirectoryA(before.c_str());
  EXPECT_EQ(ReadFileText(namesake), "user_pref");
}
