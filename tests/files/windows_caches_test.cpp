// Thumbnail caches and error reports on real files of the prefix: what goes, what stays beside.
#include "files/windows_caches.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "core/text_util.h"
#include "files/temp_protect_list.h"
#include "platform/files.h"
#include "support/test_support.h"

namespace {
struct Planted {
  std::string path;
  bool goes;
};

// Each file made afresh under its root (sub-folders too).
void Plant(const std::vector<Planted>& files) {
  for (const Planted& f : files) {
    ForceDirectories(ExtractFilePath(f.path));
    MakeAgedFile(f.path, "track");
  }
}

std::vector<std::string> ResultLines(const std::vector<std::string>& lines, const char* result) {
  std::vector<std::string> found;
  for (const auto& l : lines)
    if (l.rfind(result, 0) == 0) found.push_back(l);
  std::sort(found.begin(), found.end());
  return found;
}

std::vector<std::string> Expected(const std::vector<Planted>& files, const char* result) {
  std::vector<std::string> lines;
  for (const Planted& f : files)
    if (f.goes) lines.push_back(result + UpperCase(f.path));
  std::sort(lines.begin(), lines.end());
  return lines;
}
}  // namespace

// Only the caches go; a protected one and one Explorer holds open stay, the latter "Locked",
// never "deleted"; Preview changes nothing.
TEST(ThumbnailCacheTest, TakesTheCachesOnlyAndLeavesOneInUse) {
  TempFolder local;
  const std::string explorer = local.File("Microsoft\\Windows\\Explorer");
  const std::vector<Planted> files = {
      {explorer + "\\thumbcache_96.db", true},   {explorer + "\\iconcache_32.db", true},
      {local.File("IconCache.db"), true},        {explorer + "\\thumbcache_256.db", false},
      {explorer + "\\thumbcache_idx.db", false}, {explorer + "\\ExplorerStartupLog.etl", false},
      {explorer + "\\thumbcache.txt", false},    {local.File("Other.db"), false}};
  Plant(files);
  TempProtectEntries().SetLines({"p=thumbcache_256.db"});
  HANDLE inUse = CreateFileA(files[4].path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(inUse, INVALID_HANDLE_VALUE);
  std::vector<Planted> previewed = files;
  previewed[4].goes = true;  // a Preview cannot know it is held

  for (bool preview : {true, false}) {
    TestRun run;
    run.state.preview = preview;
    PurgeThumbnailCacheIn(run.ctx, local.Path());
    const char* result = preview ? "     to delete - " : "       deleted - ";
    EXPECT_EQ(ResultLines(run.view.lines, result), Expected(preview ? previewed : files, result));
    EXPECT_EQ(ResultLines(run.view.lines, "     Protected - "),
              std::vector<std::string>{"     Protected - " + UpperCase(files[3].path)});
    for (const Planted& f : files) EXPECT_EQ(FileExists(f.path), preview || !f.goes) << f.path;
    if (!preview) {
      EXPECT_EQ(ResultLines(run.view.lines, "        Locked - "),
                std::vector<std::string>{"        Locked - " + UpperCase(files[4].path)});
      EXPECT_TRUE(run.state.lockedFile);
    }
  }
  CloseHandle(inUse);
}

// The user's and the machine's report folders and crash dumps go, the folders themselves and
// what lies beside them stay; the system's dumps only with administrator rights.
TEST(ErrorReportsTest, TakesReportsAndDumpsAndTheSystemsDumpsOnlyWhenElevated) {
  for (bool elevated : {false, true}) {
    TempFolder local, machine, windows;
    const std::string wer = "\\Microsoft\\Windows\\WER\\";
    const std::vector<Planted> files = {
        {local.Path() + wer + "ReportArchive\\AppCrash_a\\Report.wer", true},
        {local.Path() + wer + "ReportQueue\\q.wer", true},
        {local.Path() + wer + "Temp\\t.tmp", true},
        {local.Path() + wer + "keep.txt", false},
        {local.File("CrashDumps\\app.exe.12.dmp"), true},
        {machine.Path() + wer + "ReportQueue\\m.wer", true},
        {windows.File("MEMORY.DMP"), elevated},
        {windows.File("Minidump\\120926-01.dmp"), elevated},
        {windows.File("Minidump\\notes.txt"), false},
        {windows.File("other.log"), false}};
    const ErrorReportRoots roots{local.Path(), machine.Path(), windows.Path()};
    Plant(files);
    for (bool preview : {true, false}) {
      TestRun run;
      run.state.preview = preview;
      run.state.elevated = elevated;
      PurgeErrorReportsIn(run.ctx, roots);
      const char* result = preview ? "     to delete - " : "       deleted - ";
      std::vector<std::string> expected = Expected(files, result);
      expected.push_back(result + UpperCase(local.Path() + wer + "ReportArchive\\AppCrash_a"));
      std::sort(expected.begin(), expected.end());
      EXPECT_EQ(ResultLines(run.view.lines, result), expected);
      for (const Planted& f : files) EXPECT_EQ(FileExists(f.path), preview || !f.goes) << f.path;
      EXPECT_EQ(std::count(run.view.lines.begin(), run.view.lines.end(),
                           "    MEMORY.DMP and Minidump not processed - they need administrator "
                           "rights."),
                elevated ? 0 : 1);
      EXPECT_EQ(run.state.highestLevel, 0);
    }
    for (const char* sub : {"ReportArchive", "ReportQueue", "Temp"})
      EXPECT_TRUE(DirectoryExists(local.Path() + wer + sub)) << sub;
  }
}
