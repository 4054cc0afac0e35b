// The wipe's decisions on plain values: which drives it fills, which names are its own, and how
// its progress reads.
#include "wipe/wipe_rules.h"

#include <gtest/gtest.h>
#include <windows.h>

TEST(WipeRulesTest, OnlyALocalFixedDriveWithAMebibyteFreeIsWiped) {
  constexpr uint64_t MiB = 1ull << 20, plenty = 100 * MiB;
  const struct {
    unsigned driveType;
    uint64_t freeBytes;
    const char* refusal;
  } rows[] = {
      {DRIVE_FIXED, plenty, ""},
      {DRIVE_FIXED, MiB, ""},
      {DRIVE_FIXED, MiB - 1, "less than 1 MiB is free"},
      {DRIVE_FIXED, 0, "less than 1 MiB is free"},
      {DRIVE_REMOTE, plenty, "a network drive is not wiped"},
      {DRIVE_CDROM, plenty, "a CD drive is not wiped"},
      {DRIVE_REMOVABLE, plenty, "a removable drive is not wiped"},
      {DRIVE_RAMDISK, plenty, "a RAM disk is not wiped"},
      {DRIVE_NO_ROOT_DIR, plenty, "the drive does not exist"},
      {DRIVE_UNKNOWN, plenty, "the drive is not a local fixed drive"},
  };
  for (const auto& r : rows)
    EXPECT_EQ(WipeRefusal(DriveKindOf(r.driveType), r.freeBytes), r.refusal)
        << r.driveType << " " << r.freeBytes;
}

TEST(WipeRulesTest, OnlyNamesTheWipeMakesAreItsOwn) {
  EXPECT_EQ(FillFileName(1), "QvFill00000001.zero");
  EXPECT_EQ(FillFileName(12345678), "QvFill12345678.zero");
  const struct {
    const char* name;
    bool own;
  } rows[] = {
      {"QvFill00000001.zero", true},
      {"QVFILL00004096.ZERO", true},
      {"QvFill0000001.zero", false},
      {"QvFill000000001.zero", false},
      {"QvFill0000000x.zero", false},
      {"QvFill00000001.zero.txt", false},
      {"QvFill00000001.tmp", false},
      {"notes.txt", false},
      {"", false},
  };
  for (const auto& r : rows) EXPECT_EQ(IsFillFileName(r.name), r.own) << r.name;
}

TEST(WipeRulesTest, ProgressTexts) {
  EXPECT_FALSE(SecondsLeft(0, 100, 5).has_value());
  EXPECT_FALSE(SecondsLeft(10, 100, 0).has_value());
  EXPECT_DOUBLE_EQ(*SecondsLeft(25, 100, 5), 15);
  EXPECT_DOUBLE_EQ(*SecondsLeft(120, 100, 5), 0);
  // A whole wipe: the small files left count too, in either phase, each as long as one took.
  const struct {
    WipeProgress p;
    double left;
  } wipes[] = {
      {{25, 100, 5, false, 1, 0.001}, 15 + 4.095},
      {{100, 100, 20, false, 1, 0.001}, 4.095},
      {{100, 100, 20, true, 4000, 0.002}, 0.192},
      {{90, 100, 20, true, kMaxSmallFiles, 0.002}, 0},
  };
  for (const auto& w : wipes) EXPECT_NEAR(*SecondsLeft(w.p), w.left, 1e-9) << w.p.smallFiles;
  EXPECT_FALSE(SecondsLeft(WipeProgress{}).has_value());
  const struct {
    uint64_t n;
    const char* text;
  } numbers[] = {{0, "0"}, {999, "999"}, {1000, "1,000"}, {536870912, "536,870,912"}};
  for (const auto& r : numbers) EXPECT_EQ(GroupedNumber(r.n), r.text);
  const struct {
    double s;
    const char* text;
  } clocks[] = {
      {0, "0:00:00"}, {59.6, "0:01:00"}, {125, "0:02:05"}, {3725, "1:02:05"}, {-3, "0:00:00"}};
  for (const auto& r : clocks) EXPECT_EQ(ClockText(r.s), r.text);
}
