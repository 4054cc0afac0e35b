// Shredding real files under Wine: the bytes each pass leaves on disk, truncation, the move to
// a temporary name, cancel, and the volume's allocation unit.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "core/text_util.h"
#include "files/drive_geometry.h"
#include "files/secure_erase.h"
#include "files/shred_file.h"
#include "files/shred_observer.h"
#include "files/temp_folders.h"
#include "platform/files.h"
#include "support/child_process.h"
#include "support/test_support.h"

namespace {
// The file's bytes after every pass, and what lay under the temporary name before deletion.
struct PassRecorder : ShredObserver {
  std::vector<std::string> passes;
  std::vector<DWORD> passAttributes;
  std::vector<std::string> movedNames;
  std::vector<int64_t> movedSizes;
  std::vector<bool> originalGoneAtMove;
  std::string original;
  bool holdMoved = false;  // hold the file under its temporary name, as another program might
  HANDLE held = INVALID_HANDLE_VALUE;
  void PassWritten(const std::string& file, int pass) override {
    passes.push_back(ReadFileText(file));
    passAttributes.push_back(GetFileAttributesA(file.c_str()));
  }
  void Moved(const std::string& tempName) override {
    if (holdMoved)
      held = CreateFileA(tempName.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    movedNames.push_back(tempName);
    WIN32_FILE_ATTRIBUTE_DATA d{};
    movedSizes.push_back(GetFileAttributesExA(tempName.c_str(), GetFileExInfoStandard, &d)
                             ? (int64_t(d.nFileSizeHigh) << 32) | d.nFileSizeLow
                             : -1);
    originalGoneAtMove.push_back(GetFileAttributesA(original.c_str()) == INVALID_FILE_ATTRIBUTES);
  }
};

// Allocation unit of the volume holding `path`, as the system's cluster figures give it.
uint32_t ClusterBytesOf(const std::string& path) {
  const std::string root = path.substr(0, 3);
  DWORD spc = 0, bps = 0, freeClusters = 0, total = 0;
  if (!GetDiskFreeSpaceA(root.c_str(), &spc, &bps, &freeClusters, &total)) return 0;
  return spc * bps;
}

bool RepeatsEvery(const std::string& bytes, size_t period) {
  for (size_t i = period; i < bytes.size(); ++i)
    if (bytes[i] != bytes[i - period]) return false;
  return true;
}

std::string Complement(std::string bytes) {
  for (char& c : bytes) c = static_cast<char>(~static_cast<unsigned char>(c));
  return bytes;
}

// Compares file contents by length and first differing offset, without printing megabytes.
testing::AssertionResult SameBytes(const std::string& a, const std::string& b) {
  if (a.size() != b.size())
    return testing::AssertionFailure() << "sizes " << a.size() << " and " << b.size();
  auto diff = std::mismatch(a.begin(), a.end(), b.begin());
  if (diff.first != a.end())
    return testing::AssertionFailure() << "first difference at offset " << (diff.first - a.begin());
  return testing::AssertionSuccess();
}

bool Contains255(const std::string& bytes) { return bytes.find('\xFF') != std::string::npos; }

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

int CountLines(const std::vector<std::string>& lines, const std::string& text) {
  return int(std::count(lines.begin(), lines.end(), text));
}
}  // namespace

struct ShredTest : testing::Test {
  TempFolder folder;
  TestRun run;
  PassRecorder recorder;
  ScopedArguments args{{}};
  uint32_t unit = 0;

  void SetUp() override {
    unit = ClusterBytesOf(folder.Path());
    ASSERT_GE(unit, 512u) << "the temp volume's allocation unit";
    SetShredObserver(&recorder);
  }
  void TearDown() override { SetShredObserver(nullptr); }

  std::string MakeFile(const std::string& name, size_t size, char fill = 'x') {
    const std::string path = folder.File(name);
    WriteFileText(path, std::string(size, fill));
    recorder.original = path;
    return path;
  }
  size_t Whole(size_t size) const { return (size + unit - 1) / unit * unit; }
};

TEST_F(ShredTest, ThoroughPassesWriteR1ThenItsComplementThenR2) {
  // Longer than one write, and not a whole number of units.
  const size_t size = kShredWriteBytes + 100;
  const std::string path = MakeFile("history.dat", size);
  const DeleteOutcome outcome = ShredFile(run.ctx, path, '1', 3);
  ASSERT_TRUE(outcome);
  EXPECT_EQ(outcome.error, 0u);

  ASSERT_EQ(recorder.passes.size(), 3u);
  for (const std::string& pass : recorder.passes) {
    EXPECT_EQ(pass.size(), Whole(size)) << "every pass covers the file's whole units";
    EXPECT_TRUE(RepeatsEvery(pass, unit)) << "one block pattern repeated over the file";
  }
  const std::string& r1 = recorder.passes[0];
  EXPECT_FALSE(Contains255(r1));
  EXPECT_TRUE(SameBytes(recorder.passes[1], Complement(r1)));
  EXPECT_FALSE(Contains255(recorder.passes[2]));
  EXPECT_FALSE(SameBytes(recorder.passes[2], r1));
  EXPECT_FALSE(SameBytes(recorder.passes[2], recorder.passes[1]));

  ASSERT_EQ(recorder.movedSizes, std::vector<int64_t>{0}) << "truncated before the move";
  EXPECT_TRUE(recorder.originalGoneAtMove[0]);
  EXPECT_EQ(ExtractFileName(recorder.movedNames[0]).substr(0, 9), "_Dremmit_");
  EXPECT_EQ(recorder.movedNames[0].substr(0, folder.Path().size() + 1), folder.Path() + "\\");
  EXPECT_TRUE(FilesIn(folder.Path()).empty()) << "neither the file nor its temporary name stays";
}

TEST_F(ShredTest, PassCountDecidesWhenFreshPatternsAreMade) {
  const std::string four = MakeFile("four.dat", 5000);
  ASSERT_TRUE(ShredFile(run.ctx, four, '1', 4));
  ASSERT_EQ(recorder.passes.size(), 4u);
  EXPECT_TRUE(SameBytes(recorder.passes[3], recorder.passes[0])) << "four passes: the fourth repeats R1";

  recorder.passes.clear();
  const std::string five = MakeFile("five.dat", 5000);
  ASSERT_TRUE(ShredFile(run.ctx, five, '1', 5));
  ASSERT_EQ(recorder.passes.size(), 5u);
  EXPECT_FALSE(SameBytes(recorder.passes[3], recorder.passes[0])) << "five passes: a new R1 after R2";
  EXPECT_TRUE(SameBytes(recorder.passes[4], Complement(recorder.passes[3])));
  EXPECT_FALSE(Contains255(recorder.passes[3]));

  recorder.passes.clear();
  const std::string one = MakeFile("one.dat", 5000);
  ASSERT_TRUE(ShredFile(run.ctx, one, '1', 1));
  ASSERT_EQ(recorder.passes.size(), 1u) << "one thorough pass writes R1 only";
  EXPECT_FALSE(Contains255(recorder.passes[0]));
  EXPECT_FALSE(SameBytes(recorder.passes[0], std::string(Whole(5000), '\0')));
}

TEST_F(ShredTest, QuickWritesZerosOnceAndBothAddsThemAfterTheThoroughPasses) {
  const std::string quick = MakeFile("quick.dat", 3 * 4096 + 7);
  ASSERT_TRUE(ShredFile(run.ctx, quick, '0', 9)) << "the count does not matter for Quick";
  ASSERT_EQ(recorder.passes.size(), 1u);
  EXPECT_TRUE(SameBytes(recorder.passes[0], std::string(Whole(3 * 4096 + 7), '\0')));

  recorder.passes.clear();
  const std::string none = MakeFile("none.dat", 3 * 4096 + 7);
  ASSERT_TRUE(ShredFile(run.ctx, none, '1', 0));
  ASSERT_EQ(recorder.passes.size(), 1u) << "a thorough shred of no passes writes zeros once";
  EXPECT_TRUE(SameBytes(recorder.passes[0], std::string(Whole(3 * 4096 + 7), '\0')));

  recorder.passes.clear();
  const std::string both = MakeFile("both.dat", 3 * 4096 + 7);
  ASSERT_TRUE(ShredFile(run.ctx, both, '2', 2));
  ASSERT_EQ(recorder.passes.size(), 3u);
  EXPECT_FALSE(Contains255(recorder.passes[0]));
  EXPECT_TRUE(SameBytes(recorder.passes[1], Complement(recorder.passes[0])));
  EXPECT_TRUE(SameBytes(recorder.passes[2], std::string(Whole(3 * 4096 + 7), '\0')));
  EXPECT_TRUE(FilesIn(folder.Path()).empty());
}

TEST_F(ShredTest, SmallAndEmptyFiles) {
  const std::string tiny = MakeFile("tiny.dat", 1);
  ASSERT_TRUE(ShredFile(run.ctx, tiny, '0', 0));
  ASSERT_EQ(recorder.passes.size(), 1u);
  EXPECT_EQ(recorder.passes[0].size(), size_t(unit))
      << "a 1-byte file is overwritten with one whole unit";

  recorder.passes.clear();
  recorder.movedSizes.clear();
  const std::string empty = MakeFile("empty.dat", 0);
  ASSERT_TRUE(ShredFile(run.ctx, empty, '1', 3));
  EXPECT_EQ(recorder.passes, std::vector<std::string>(3)) << "nothing is written to it";
  EXPECT_EQ(recorder.movedSizes, std::vector<int64_t>{0}) << "it is still moved";
  EXPECT_TRUE(FilesIn(folder.Path()).empty());
}

TEST_F(ShredTest, MissingFileIsReportedNotFound) {
  const DeleteOutcome outcome = ShredFile(run.ctx, folder.File("absent.dat"), '0', 0);
  EXPECT_FALSE(outcome);
  EXPECT_EQ(outcome.error, uint32_t(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(recorder.passes.empty());
}

namespace {
// A results list whose "  Cancel / Stop" is clicked while messages run for the nth time.
struct CancellingView : VectorView {
  RunState* state = nullptr;
  int cancelAt = 0;
  void PumpMessages() override {
    VectorView::PumpMessages();
    if (pumps == cancelAt) state->cancel = true;
  }
};
}  // namespace

TEST_F(ShredTest, CancelLeavesThePartlyOverwrittenFileUnderItsOwnName) {
  const size_t size = 3 * kShredWriteBytes;
  for (char method : {'0', '1', '2'}) {
    SCOPED_TRACE(std::string("method ") + method);
    RunState state;
    CancellingView view;
    view.state = &state;
    view.cancelAt = 2;  // after the first write of the first pass
    ReportContext ctx(state, view);
    const std::string path = MakeFile("places.sqlite", size, '\xFF');

    EXPECT_FALSE(ShredFile(ctx, path, method, 3));
    const std::string left = ReadFileText(path);
    ASSERT_EQ(left.size(), size) << "still there under its own name, not truncated";
    EXPECT_NE(left.front(), '\xFF') << "the start was overwritten";
    EXPECT_EQ(left.back(), '\xFF') << "the end was not reached";
    EXPECT_EQ(CountLines(view.lines, "*** Cancelled by operator."), 1);
    EXPECT_EQ(view.lines.size(), 1u);
    EXPECT_EQ(FilesIn(folder.Path()), std::vector<std::string>{"places.sqlite"});
  }
}

TEST_F(ShredTest, CancelBeforeTheFirstPassWritesNothing) {
  const std::string path = MakeFile("cookies.sqlite", 10000, '\xFF');
  run.state.cancel = true;
  EXPECT_FALSE(ShredFile(run.ctx, path, '2', 2));
  EXPECT_TRUE(SameBytes(ReadFileText(path), std::string(10000, '\xFF')));
  EXPECT_EQ(run.view.lines, std::vector<std::string>{"*** Cancelled by operator."});
}

TEST_F(ShredTest, MessagesRunWhileALargeFileIsOverwritten) {
  const std::string path = MakeFile("cache.bin", 3 * kShredWriteBytes);
  ASSERT_TRUE(ShredFile(run.ctx, path, '1', 2));
  EXPECT_GE(run.view.pumps, 2 * 3) << "before every write of every pass";
}

TEST_F(ShredTest, LockedFileIsLeftWhole) {
  const std::string path = MakeFile("formhistory.sqlite", 6000, 'k');
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  for (char method : {'0', '1', '2'}) {
    const DeleteOutcome outcome = ShredFile(run.ctx, path, method, 2);
    EXPECT_FALSE(outcome);
    EXPECT_EQ(outcome.error, uint32_t(ERROR_SHARING_VIOLATION));
  }
  CloseHandle(held);
  EXPECT_TRUE(recorder.passes.empty());
  EXPECT_TRUE(SameBytes(ReadFileText(path), std::string(6000, 'k')));
  EXPECT_EQ(FilesIn(folder.Path()), std::vector<std::string>{"formhistory.sqlite"});
}

namespace {
constexpr DWORD kInTheWay = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;

char MissingDriveLetter() {
  const DWORD drives = GetLogicalDrives();
  for (char c = 'Y'; c > 'C'; --c)
    if (!(drives & (1u << (c - 'A')))) return c;
  return 0;
}

// Files a secure erase meets besides plain ones, each with its attributes and how it is reached.
enum class Reach { Plain, HardLinked, LongPathForm, StaleDriveCache, HeldWhenMoved };
struct EraseCase {
  const char* name;
  DWORD attributes;
  Reach reach;
};
const EraseCase kEraseCases[] = {
    {"hidden", FILE_ATTRIBUTE_HIDDEN, Reach::Plain},
    {"system", FILE_ATTRIBUTE_SYSTEM, Reach::Plain},
    {"hidden and read-only", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY, Reach::Plain},
    {"hard-linked, read-only", FILE_ATTRIBUTE_READONLY, Reach::HardLinked},
    {"unit unknown: given in its \\\\?\\ form", 0, Reach::LongPathForm},
    {"unit of a failed query kept for the drive", 0, Reach::StaleDriveCache},
    {"held by another program under its temporary name", FILE_ATTRIBUTE_HIDDEN,
     Reach::HeldWhenMoved},
};
}  // namespace

// Windows refuses to truncate a hidden or system file opened with plain attributes; Wine does
// not, so the attributes the file carries while it is overwritten are what shows it here.
TEST_F(ShredTest, SecureEraseOfFilesThatAreNotPlain) {
  run.state.secureErase = true;
  run.state.shred.thoroughness = "0";
  const size_t size = 1000;  // neither whole units nor whole 512-byte blocks
  const std::string other = folder.File("other name.dat");
  for (const EraseCase& c : kEraseCases) {
    SCOPED_TRACE(c.name);
    recorder = PassRecorder{};
    const std::string path = MakeFile("index.dat", size);
    if (c.reach == Reach::HardLinked) {
      ASSERT_TRUE(CreateHardLinkA(other.c_str(), path.c_str(), nullptr));
    }
    if (c.attributes) {
      ASSERT_TRUE(SetFileAttributesA(path.c_str(), c.attributes));
    }

    // Held by another program, the file is left as it was, its attributes too.
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const DeleteOutcome heldOutcome = DeleteDataFile(run.ctx, path);
    EXPECT_FALSE(heldOutcome);
    EXPECT_EQ(heldOutcome.error, uint32_t(ERROR_SHARING_VIOLATION));
    CloseHandle(holder);
    EXPECT_EQ(GetFileAttributesA(path.c_str()) & kInTheWay, c.attributes);
    EXPECT_TRUE(SameBytes(ReadFileText(path), std::string(size, 'x')));

    if (c.reach == Reach::StaleDriveCache) {
      ASSERT_TRUE(GetAllocationUnit(path));
      ASSERT_NE(MissingDriveLetter(), 0);
      ASSERT_FALSE(GetAllocationUnit(std::string(1, MissingDriveLetter()) + ":\\x.dat"));
    }
    recorder.holdMoved = c.reach == Reach::HeldWhenMoved;
    const std::string given = c.reach == Reach::LongPathForm ? "\\\\?\\" + path : path;
    const DeleteOutcome outcome = DeleteDataFile(run.ctx, given);
    const bool deleted = outcome.deleted;
    if (recorder.held != INVALID_HANDLE_VALUE) CloseHandle(recorder.held);

    if (c.reach == Reach::HardLinked) {
      EXPECT_TRUE(deleted);
      EXPECT_TRUE(recorder.passes.empty()) << "not overwritten";
      EXPECT_TRUE(SameBytes(ReadFileText(other), std::string(size, 'x')));
      EXPECT_EQ(GetFileAttributesA(other.c_str()) & kInTheWay, DWORD(FILE_ATTRIBUTE_READONLY));
      EXPECT_EQ(DeletedResultText(outcome, 19), "  Hard link only - ");
      SetFileAttributesA(other.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(other.c_str());
    } else {
      ASSERT_EQ(recorder.passes.size(), 1u);
      const size_t covered = c.reach == Reach::LongPathForm ? 1024 : Whole(size);
      EXPECT_TRUE(SameBytes(recorder.passes[0], std::string(covered, '\0')));
      EXPECT_EQ(recorder.passAttributes[0] & kInTheWay, 0u) << "cleared before the overwrite";
      EXPECT_EQ(DeletedResultText(outcome), "       deleted - ");
    }
    if (c.reach == Reach::HeldWhenMoved) {
      EXPECT_FALSE(deleted) << "the final delete is checked";
      EXPECT_EQ(outcome.error, uint32_t(ERROR_SHARING_VIOLATION));
      ASSERT_EQ(recorder.movedNames.size(), 1u);
      const std::string left = recorder.movedNames[0];
      EXPECT_EQ(GetFileAttributesA(left.c_str()) & kInTheWay, c.attributes);
      SetFileAttributesA(left.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(left.c_str());
    } else {
      EXPECT_TRUE(deleted);
    }
    EXPECT_TRUE(FilesIn(folder.Path()).empty());
  }
}

TEST(DriveGeometryTest, TempDriveGeometryAgreesWithTheSystem) {
  TempFolder folder;
  const char letter = folder.Path()[0];
  DriveGeometry g;
  ASSERT_TRUE(GetDriveGeometry(static_cast<char>(tolower(letter)), g));
  const std::string root = folder.Path().substr(0, 3);
  ULARGE_INTEGER available{}, total{}, totalFree{};
  ASSERT_TRUE(GetDiskFreeSpaceExA(root.c_str(), &available, &total, &totalFree));
  EXPECT_EQ(g.totalUnits, total.QuadPart / 512);
  EXPECT_NEAR(double(g.freeUnits), double(totalFree.QuadPart / 512), 1e6)
      << "other programs write meanwhile";
  char fs[MAX_PATH + 1] = {};
  ASSERT_TRUE(GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, fs,
                                    sizeof fs));
  EXPECT_EQ(g.fileSystem, fs);
  if (g.fileSystem.rfind("FAT32", 0) != 0) {
    EXPECT_EQ(g.allocationUnit, ClusterBytesOf(root));
  }

  EXPECT_TRUE(GetAllocationUnit(folder.File("x.dat")));
  EXPECT_EQ(CachedAllocationUnit(), g.allocationUnit);
}

TEST(DriveGeometryTest, UnknownDriveAndPathsWithoutADrive) {
  const DWORD drives = GetLogicalDrives();
  char missing = 0;
  for (char c = 'Y'; c > 'C'; --c)
    if (!(drives & (1u << (c - 'A')))) {
      missing = c;
      break;
    }
  ASSERT_NE(missing, 0) << "a free drive letter";
  DriveGeometry g;
  EXPECT_FALSE(GetDriveGeometry(missing, g));
  EXPECT_EQ(g.totalUnits, 0x3FFFFFu);
  EXPECT_EQ(g.freeUnits, 0x3FFFFFu);

  EXPECT_FALSE(GetAllocationUnit("\\\\server\\share\\index.dat"))
      << "a network path has no drive letter: its file is overwritten in 512-byte blocks";
}

// Run only in a process of its own (by the test below): the temporary names count from 1001
// for the life of the process. The folder comes from QV_SHRED_FOLDER; the names seen under the
// temporary name go to moved.txt there.
TEST(DISABLED_ShredInFreshProcess, RecordTemporaryNames) {
  const char* folder = getenv("QV_SHRED_FOLDER");
  ASSERT_NE(folder, nullptr);
  PassRecorder recorder;
  SetShredObserver(&recorder);
  TestRun run;
  const std::string base = folder;
  EXPECT_TRUE(ShredFile(run.ctx, base + "\\first.dat", '0', 0));
  EXPECT_TRUE(ShredFile(run.ctx, base + "\\second.dat", '1', 1));
  SetShredObserver(nullptr);
  std::string report;
  for (size_t i = 0; i < recorder.movedNames.size(); ++i)
    report += ExtractFileName(recorder.movedNames[i]) + " " +
              std::to_string(recorder.movedSizes[i]) + "\n";
  WriteFileText(base + "\\moved.txt", report);
}

TEST(ShredNamesTest, TemporaryNamesCountFrom1001AndAStaleOneIsReplaced) {
  TempFolder folder;
  WriteFileText(folder.File("first.dat"), std::string(3000, 'a'));
  WriteFileText(folder.File("second.dat"), std::string(3000, 'b'));
  WriteFileText(folder.File("_Dremmit_1001.zap"), "left over from an earlier run");
  SetEnvironmentVariableA("QV_SHRED_FOLDER", folder.Path().c_str());
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  ChildProcess child(exe,
                     "--gtest_also_run_disabled_tests --gtest_filter=DISABLED_ShredInFreshProcess.*");
  SetEnvironmentVariableA("QV_SHRED_FOLDER", nullptr);
  ASSERT_TRUE(child.Started());
  ASSERT_TRUE(child.WaitForExit(60000));
  EXPECT_EQ(child.ExitCode(), 0u);
  EXPECT_EQ(ReadFileText(folder.File("moved.txt")), "_Dremmit_1001.zap 0\n_Dremmit_1002.zap 0\n");
  EXPECT_EQ(FilesIn(folder.Path()), std::vector<std::string>{"moved.txt"});
}

namespace {
uint64_t LastWriteOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA d{};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d);
  return (uint64_t(d.ftLastWriteTime.dwHighDateTime) << 32) | d.ftLastWriteTime.dwLowDateTime;
}
}  // namespace

// Run only as a child of the test below: shreds QV_SHRED_FOLDER\victim.dat thoroughly, two passes,
// and ends itself at the stage QV_SHRED_STOP names, as a kill would.
TEST(DISABLED_ShredStoppedInFreshProcess, EndsAtTheStage) {
  struct Stopper : ShredObserver {
    std::string stage = getenv("QV_SHRED_STOP");
    void At(const char* here) const {
      if (stage == here) TerminateProcess(GetCurrentProcess(), 3);
    }
    void PassWritten(const std::string&, int) override { At("overwritten once"); }
    void Truncated(const std::string&) override { At("truncated"); }
    void Moved(const std::string&) override { At("renamed"); }
  } stopper;
  SetShredObserver(&stopper);
  TestRun run;
  ShredFile(run.ctx, std::string(getenv("QV_SHRED_FOLDER")) + "\\victim.dat", '1', 2);
}

// A shred ended part way leaves the file's times as they were, so the next temp purge's age
// filter ("8 Hours") does not take it for a new file; a name the shred gave is taken whatever its
// age (an older release's leftover bears the time of its end), with a line of its own.
TEST(ShredStoppedTest, TheNextPurgeFinishesWhatTheShredLeft) {
  struct Case {
    const char* stage;  // empty: no shred, a young leftover of an older release
    const char* left;
    const char* line;
  } cases[] = {{"overwritten once", "victim.dat", "       deleted - "},
               {"truncated", "victim.dat", "       deleted - "},
               {"renamed", "_Dremmit_1001.zap", "Shred finished - "},
               {"", "_Dremmit_7.zap", "Shred finished - "}};
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.left + std::string(" after ") + c.stage);
    TempFolder folder;
    MakeAgedFile(folder.File(*c.stage ? "victim.dat" : c.left), std::string(65536, 'v'),
                 *c.stage ? 48 : 0);
    const uint64_t written = LastWriteOf(folder.File(*c.stage ? "victim.dat" : c.left));
    if (*c.stage) {
      SetEnvironmentVariableA("QV_SHRED_FOLDER", folder.Path().c_str());
      SetEnvironmentVariableA("QV_SHRED_STOP", c.stage);
      ChildProcess child(exe,
                         "--gtest_also_run_disabled_tests "
                         "--gtest_filter=DISABLED_ShredStoppedInFreshProcess.*");
      ASSERT_TRUE(child.WaitForExit(60000));
      EXPECT_EQ(child.ExitCode(), 3u) << "not stopped at the stage";
    }
    ASSERT_EQ(FilesIn(folder.Path()), std::vector<std::string>{c.left});
    EXPECT_EQ(LastWriteOf(folder.File(c.left)), written);

    TestRun next;
    TempProtectList protect;
    FolderPurgeOptions options;
    options.protect = &protect;
    options.applyAgeFilter = true;
    options.age = {true, 8};
    EXPECT_EQ(PurgeFolderTree(next.ctx, folder.Path(), options), 1);
    EXPECT_EQ(next.view.lines, std::vector<std::string>{c.line + UpperCase(folder.File(c.left))});
    EXPECT_TRUE(FilesIn(folder.Path()).empty());
  }
  SetEnvironmentVariableA("QV_SHRED_FOLDER", nullptr);
  SetEnvironmentVariableA("QV_SHRED_STOP", nullptr);
}
