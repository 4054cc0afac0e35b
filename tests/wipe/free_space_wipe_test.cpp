// The fill and its removal on real files: in a folder whose disk counts as full at a byte limit,
// on a small tmpfs volume mapped as a drive, and as a run's last function.
#include "wipe/free_space_wipe.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

#include "platform/files.h"
#include "platform/links.h"
#include "support/child_process.h"
#include "support/scratch_volume.h"
#include "support/test_support.h"

namespace {
constexpr uint64_t MiB = 1ull << 20;

std::string WipeFolder(std::string parent) {
  if (parent.back() != '\\') parent += '\\';
  return parent + kWipeFolderName;
}

struct Listing {
  int files = 0;
  uint64_t bytes = 0;
};
Listing ListFolder(const std::string& folder) {
  Listing l;
  WIN32_FIND_DATAA f;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &f);
  if (h == INVALID_HANDLE_VALUE) return l;
  do {
    if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    ++l.files;
    l.bytes += (uint64_t(f.nFileSizeHigh) << 32) | f.nFileSizeLow;
  } while (FindNextFileA(h, &f));
  FindClose(h);
  return l;
}

// Points GetTempPath at another folder for the life of the object.
class ScopedTmp {
 public:
  explicit ScopedTmp(const std::string& path) {
    char old[MAX_PATH] = {};
    had_ = GetEnvironmentVariableA("TMP", old, sizeof old) > 0;
    old_ = old;
    SetEnvironmentVariableA("TMP", path.c_str());
  }
  ~ScopedTmp() { SetEnvironmentVariableA("TMP", had_ ? old_.c_str() : nullptr); }

 private:
  bool had_;
  std::string old_;
};
// Started as a child with "--crash-during-wipe FOLDER", this program fills FOLDER's wipe folder
// and ends itself abruptly 4 MiB in, its fill files still open, as a crash would.
const bool kCrashChild = [] {
  const std::string line = GetCommandLineA(), flag = "--crash-during-wipe ";
  const size_t at = line.find(flag);
  if (at == std::string::npos) return false;
  WipeOptions o;
  o.byteLimit = 64 * MiB;
  o.progress = [](const WipeProgress& p) {
    if (p.written >= 4 * MiB) TerminateProcess(GetCurrentProcess(), 3);
    return true;
  };
  FillAndRemove(line.substr(at + flag.size()), o);
  ExitProcess(4);
}();

// Started as a child with "--hold-wipe EVENT ROOT", this program wipes the drive ROOT (as if
// its disk were full at 16 MiB) and, 4 MiB in, sets EVENT + "Holding" and waits until EVENT is
// set; it exits with 0 when its wipe completed.
const bool kHoldChild = [] {
  const std::string line = GetCommandLineA(), flag = "--hold-wipe ";
  const size_t at = line.find(flag);
  if (at == std::string::npos) return false;
  const std::string args = line.substr(at + flag.size());
  const size_t space = args.find(' ');
  const std::string event = args.substr(0, space);
  HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, event.c_str());
  HANDLE holding = OpenEventA(EVENT_MODIFY_STATE, FALSE, (event + "Holding").c_str());
  WipeOptions o;
  o.byteLimit = 16 * MiB;
  o.progress = [&](const WipeProgress& p) {
    if (p.written >= 4 * MiB && go) {
      if (holding) SetEvent(holding);
      WaitForSingleObject(go, 30000);
    }
    return true;
  };
  const WipeSummary s = WipeFreeSpace(args.substr(space + 1), o);
  ExitProcess(s.outcome == WipeOutcome::Completed ? 0 : 1);
}();

std::string MarkerLines(int count) {
  std::string text;
  char line[32];
  for (int i = 0; i < count; ++i)
    text.append(line, std::snprintf(line, sizeof line, "QVMARKER %08d\n", i));
  return text;
}

size_t CountOf(const std::string& text, const std::string& word) {
  size_t n = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
  return n;
}
}  // namespace

TEST(FreeSpaceWipeTest, ACrashMidWayStillGivesTheSpaceBack) {
  TempFolder t;
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  ChildProcess child(exe, "--crash-during-wipe " + t.Path());
  ASSERT_TRUE(child.WaitForExit(20000));
  EXPECT_EQ(child.ExitCode(), 3u);
  // The large files were to be deleted on close: the end of the process closed them.
  EXPECT_EQ(ListFolder(WipeFolder(t.Path())).bytes, 0u);
  EXPECT_TRUE(RemoveWipeFolder(t.Path()));
  EXPECT_FALSE(DirectoryExists(WipeFolder(t.Path())));
}

TEST(FreeSpaceWipeTest, FillsUntilTheDiskIsFullThenRemovesEveryFillFile) {
  TempFolder t;
  MakeAgedFile(t.File("mine.txt"), "keep me");
  const uint64_t limit = 6 * MiB + 3000;  // not a whole number of writes: the sizes step down
  WipeOptions o;
  o.byteLimit = limit;
  Listing atEnd;
  int calls = 0;
  o.progress = [&](const WipeProgress& p) {
    ++calls;
    EXPECT_EQ(p.target, limit);
    atEnd = ListFolder(WipeFolder(t.Path()));
    return true;
  };
  const WipeSummary s = FillAndRemove(t.Path(), o);
  EXPECT_EQ(s.outcome, WipeOutcome::Completed) << s.detail;
  EXPECT_LE(s.bytesWritten, limit);
  EXPECT_GT(s.bytesWritten, limit - 512);
  EXPECT_GE(calls, 6);
  // At the last report every byte written lay in the fill files, a new one per 1 GiB at most.
  EXPECT_EQ(atEnd.bytes, s.bytesWritten);
  EXPECT_GE(atEnd.files, 1);
  EXPECT_FALSE(DirectoryExists(WipeFolder(t.Path())));
  EXPECT_EQ(ReadFileText(t.File("mine.txt")), "keep me");
}

// A drive that keeps zeros without using space (an NTFS-compressed root, a sparse or
// deduplicating file system) never says it is full: here a folder with 4 MiB free that takes
// 256 MiB. The wipe stops once it has written 10 % and 64 MiB more than was free.
TEST(FreeSpaceWipeTest, ADriveThatDoesNotFillStopsTheWipeWithAFailure) {
  TempFolder t;
  WipeOptions o;
  o.freeBytes = 4 * MiB;
  o.byteLimit = 256 * MiB;
  const WipeSummary s = FillAndRemove(t.Path(), o);
  EXPECT_EQ(s.outcome, WipeOutcome::Failed);
  EXPECT_EQ(WipeResultText(s), std::string("Failed - ") + kDriveDoesNotFill);
  EXPECT_GT(s.bytesWritten, FillBound(4 * MiB));
  EXPECT_LE(s.bytesWritten, FillBound(4 * MiB) + 8 * MiB);
  EXPECT_FALSE(DirectoryExists(WipeFolder(t.Path())));
}

// Two copies of the program wipe one drive: the second is refused while the first runs, and
// neither it nor a start-up cleanup touches the first's fill files.
TEST(FreeSpaceWipeTest, ASecondWipeOfADriveIsRefusedWhileTheFirstRuns) {
  TempFolder volume;
  TestDrive drive(volume.Path());
  const std::string root = drive.Root(), folder = WipeFolder(root);
  ASSERT_FALSE(root.empty());
  const std::string event = "QvHoldWipe" + std::to_string(GetCurrentProcessId());
  HANDLE go = CreateEventA(nullptr, TRUE, FALSE, event.c_str());
  HANDLE holding = CreateEventA(nullptr, TRUE, FALSE, (event + "Holding").c_str());
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  ChildProcess first(exe, "--hold-wipe " + event + " " + root);
  ASSERT_EQ(WaitForSingleObject(holding, 20000), WAIT_OBJECT_0);
  const Listing held = ListFolder(folder);
  WipeOptions o;
  o.byteLimit = 16 * MiB;
  const WipeSummary second = WipeFreeSpace(root, o);
  const std::string refusal = WipeRefusalOf(root);
  RemoveLeftoverWipeFolders();
  const Listing after = ListFolder(folder);
  SetEvent(go);
  EXPECT_GE(held.bytes, 4 * MiB);
  EXPECT_EQ(WipeResultText(second), "Refused - a wipe of this drive is already running");
  EXPECT_EQ(refusal, "a wipe of this drive is already running");
  EXPECT_EQ(after.files, held.files);
  EXPECT_EQ(after.bytes, held.bytes);
  ASSERT_TRUE(first.WaitForExit(30000));
  EXPECT_EQ(first.ExitCode(), 0u);
  EXPECT_FALSE(DirectoryExists(folder));
  CloseHandle(go);
  CloseHandle(holding);
}

TEST(FreeSpaceWipeTest, CancelMidWayLeavesNoFillFile) {
  TempFolder t;
  WipeOptions o;
  o.byteLimit = 64 * MiB;
  Listing atCancel;
  o.progress = [&](const WipeProgress& p) {
    if (p.written < 3 * MiB) return true;
    atCancel = ListFolder(WipeFolder(t.Path()));
    return false;
  };
  const WipeSummary s = FillAndRemove(t.Path(), o);
  EXPECT_EQ(s.outcome, WipeOutcome::Cancelled);
  EXPECT_GE(s.bytesWritten, 3 * MiB);
  EXPECT_LT(s.bytesWritten, o.byteLimit / 2);
  EXPECT_GE(atCancel.bytes, 3 * MiB);
  EXPECT_FALSE(DirectoryExists(WipeFolder(t.Path())));
}

TEST(FreeSpaceWipeTest, ALeftOverFolderLosesOnlyItsFillFiles) {
  const struct {
    std::vector<std::string> files;
    std::vector<std::string> folders;
    bool removed;
    std::vector<std::string> left;
  } rows[] = {
      {{"QvFill00000001.zero", "QvFill00000002.zero"}, {}, true, {}},
      {{"QvFill00000001.zero", "notes.txt"}, {}, false, {"notes.txt"}},
      {{"QvFill00000001.zero"}, {"QvFill00000003.zero"}, false, {"QvFill00000003.zero"}},
  };
  for (const auto& r : rows) {
    TempFolder t;
    const std::string folder = WipeFolder(t.Path());
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const auto& f : r.files) MakeAgedFile(folder + "\\" + f, "x");
    for (const auto& d : r.folders) CreateDirectoryA((folder + "\\" + d).c_str(), nullptr);
    EXPECT_EQ(RemoveWipeFolder(t.Path()), r.removed) << r.files.back();
    EXPECT_EQ(DirectoryExists(folder), !r.removed);
    Listing l = ListFolder(folder);
    EXPECT_EQ(l.files + static_cast<int>(r.folders.size()), static_cast<int>(r.left.size()));
    for (const auto& f : r.left)
      EXPECT_NE(GetFileAttributesA((folder + "\\" + f).c_str()), INVALID_FILE_ATTRIBUTES) << f;
  }
}

TEST(FreeSpaceWipeTest, AWipeFolderThatIsALinkIsNeitherEmptiedNorFilled) {
  TempFolder t, elsewhere;
  MakeAgedFile(elsewhere.File("QvFill00000001.zero"), "not the wipe's");
  ASSERT_TRUE(MakeUnixLink(elsewhere.Path(), WipeFolder(t.Path())));
  EXPECT_FALSE(RemoveWipeFolder(t.Path()));
  WipeOptions o;
  o.byteLimit = 2 * MiB;
  const WipeSummary s = FillAndRemove(t.Path(), o);
  EXPECT_EQ(s.outcome, WipeOutcome::Failed);
  EXPECT_EQ(s.bytesWritten, 0u);
  const Listing l = ListFolder(elsewhere.Path());
  EXPECT_EQ(l.files, 1);
  EXPECT_EQ(ReadFileText(elsewhere.File("QvFill00000001.zero")), "not the wipe's");
  RemoveLinkItself(WipeFolder(t.Path()), true);
}

TEST(FreeSpaceWipeTest, WipesASmallVolumeAndGivesEveryByteBack) {
  ScratchVolume v(8);
  if (!v.Ready()) GTEST_SKIP() << "mounting a tmpfs needs root";
  const std::string root = v.Root();
  EXPECT_EQ(WipeRefusalOf(root), "");
  WriteFileText(root + "kept.txt", "a file of the user's");
  const uint64_t before = FreeBytes(root);
  uint64_t freeWhenFull = before;
  WipeOptions o;
  o.progress = [&](const WipeProgress& p) {
    freeWhenFull = FreeBytes(root);
    return true;
  };
  const WipeSummary s = WipeFreeSpace(root, o);
  EXPECT_EQ(s.outcome, WipeOutcome::Completed) << s.detail;
  EXPECT_EQ(s.drive, root);
  EXPECT_GT(s.bytesWritten, before - 64 * 1024);
  EXPECT_LE(s.bytesWritten, before);
  EXPECT_LT(freeWhenFull, 4096u);
  EXPECT_EQ(FreeBytes(root), before);
  EXPECT_FALSE(DirectoryExists(WipeFolder(root)));
  EXPECT_EQ(ReadFileText(root + "kept.txt"), "a file of the user's");
}

// ext4 with 1 KiB blocks: a plainly deleted file of marker lines is overwritten to its last
// block, the ones that come free only once the fill's data reaches the disk included.
TEST(FreeSpaceWipeTest, NoLineOfADeletedFileIsLeftOnAnExt4DriveOf1KiBBlocks) {
  ScratchVolume v(64, 1024);
  if (!v.Ready()) GTEST_SKIP() << "an ext4 volume on a loop device needs root";
  const std::string marker = v.Root() + "marker.txt", text = MarkerLines(195060);
  HANDLE h = CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
  FlushFileBuffers(h);  // on the disk before it is deleted, as a file long kept is
  CloseHandle(h);
  ASSERT_TRUE(DeleteFileA(marker.c_str()));
  ASSERT_EQ(CountOf(v.ReadImage(), "QVMARKER"), 195060u);
  const WipeSummary s = WipeFreeSpace(v.Root());
  EXPECT_EQ(s.outcome, WipeOutcome::Completed) << s.detail;
  v.Unmount();
  EXPECT_EQ(CountOf(v.ReadImage(), "QVMARKER"), 0u);
}

// The run's function wipes the drive of the Temp folder and reports drive, bytes, time and
// result; a Preview writes nothing.
TEST(FreeSpaceWipeTest, TheRunsFunctionWipesTheTempFoldersDrive) {
  ScratchVolume v(8);
  if (!v.Ready()) GTEST_SKIP() << "mounting a tmpfs needs root";
  const std::string root = v.Root();
  const struct {
    bool preview, cancel;
    const char* result;
    int level;
  } rows[] = {
      {false, false, "        Result - Completed", 0},
      {false, true, "        Result - Cancelled by operator", 0},
      {true, false, "        Result - to be wiped by a Purge", 0},
  };
  for (const auto& r : rows) {
    ScopedTmp tmp(root);
    TestRun run;
    run.state.preview = r.preview;
    run.state.cancel = r.cancel;
    const uint64_t before = FreeBytes(root);
    WipeTempDriveFreeSpace(run.ctx);
    const auto& lines = run.view.lines;
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "         Drive - " + root);
    EXPECT_NE(std::find(lines.begin(), lines.end(), r.result), lines.end()) << r.result;
    EXPECT_EQ(lines.back(), "  Purge \"Wipe Free Space\" Function Completed.");
    EXPECT_EQ(run.state.highestLevel, r.level);
    EXPECT_EQ(FreeBytes(root), before);
    EXPECT_FALSE(DirectoryExists(WipeFolder(root)));
    if (!r.preview && !r.cancel) {
      EXPECT_GT(run.view.pumps, 0);
    }
    if (r.cancel) {
      EXPECT_NE(std::find(lines.begin(), lines.end(), "*** Cancelled by operator."), lines.end());
    }
  }
}

TEST(FreeSpaceWipeTest, ATempFolderWithoutADriveLetterIsReportedNotWiped) {
  ScopedTmp tmp("\\\\server\\share\\temp\\");
  TestRun run;
  WipeTempDriveFreeSpace(run.ctx);
  EXPECT_EQ(run.view.lines.at(3), "        Result - Refused - the Temp folder has no drive letter");
  EXPECT_EQ(run.view.lines.at(4),
            " -Error- Free space not wiped - the Temp folder has no drive letter");
  EXPECT_EQ(run.state.highestLevel, 7);
  EXPECT_TRUE(run.state.attention);
}
