// A wipe cut off leaves its folder of fill files; the next start of the program removes it.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/files.h"
#include "platform/shell_folders.h"
#include "support/child_process.h"
#include "support/scratch_volume.h"
#include "support/test_support.h"
#include "wipe/wipe_rules.h"

TEST(WipeStartTest, AFillFolderLeftByAnInterruptedWipeIsRemovedAtStart) {
  TempFolder volume;
  TestDrive drive(volume.Path());
  ASSERT_FALSE(drive.Root().empty());
  ASSERT_EQ(GetDriveTypeA(drive.Root().c_str()), static_cast<UINT>(DRIVE_FIXED));
  const std::string folder = drive.Root() + kWipeFolderName;
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  for (uint32_t n : {1u, 2u, 4097u})
    WriteFileText(folder + "\\" + FillFileName(n), std::string(4096, '\0'));
  WriteFileText(drive.Root() + "mine.txt", "stays");

  const std::string name = "QVWIPESTART" + std::to_string(GetCurrentProcessId());
  struct DataFolder {
    std::string path;
    ~DataFolder() { RemoveTree(path); }
  } data{GetSpecialFolder(kCsidlAppData).text + "\\" + name};
  ForceDirectories(data.path);
  WriteFileText(data.path + "\\Quorvane.ini", "[ShowOption]\r\nQuickStartOpt=N\r\n");
  ChildProcess q(QuorvanePath(), "data=" + name);
  HWND main = q.WaitForWindow("TFFoxForm", 20000);
  ASSERT_TRUE(main);
  EXPECT_FALSE(DirectoryExists(folder));
  EXPECT_EQ(ReadFileText(drive.Root() + "mine.txt"), "stays");
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(q.WaitForExit(10000));
}
