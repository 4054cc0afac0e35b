#include <gtest/gtest.h>

#include "files/allocation_unit.h"

namespace {
constexpr uint64_t kUnitsPerGB = 2ull * 1024 * 1024;  // 512-byte units in one GB
}

TEST(Fat32AllocationUnitTable, UnitGrowsWithTheVolumeSize) {
  EXPECT_EQ(Fat32AllocationUnit(0), 4096u);
  EXPECT_EQ(Fat32AllocationUnit(8 * kUnitsPerGB - 2), 4096u);
  EXPECT_EQ(Fat32AllocationUnit(8 * kUnitsPerGB), 8192u);
  EXPECT_EQ(Fat32AllocationUnit(16 * kUnitsPerGB - 2), 8192u);
  EXPECT_EQ(Fat32AllocationUnit(16 * kUnitsPerGB), 16384u);
  EXPECT_EQ(Fat32AllocationUnit(20 * kUnitsPerGB), 16384u);
  EXPECT_EQ(Fat32AllocationUnit(32 * kUnitsPerGB - 2), 16384u);
  EXPECT_EQ(Fat32AllocationUnit(32 * kUnitsPerGB), 32768u);
  EXPECT_EQ(Fat32AllocationUnit(2000 * kUnitsPerGB), 32768u);
}

TEST(Fat32AllocationUnitTable, OnlyFat32VolumesIgnoreTheirClusterSize) {
  EXPECT_EQ(VolumeAllocationUnit("FAT32", 20 * kUnitsPerGB, 4096), 16384u);
  EXPECT_EQ(VolumeAllocationUnit("FAT32X", 1 * kUnitsPerGB, 512), 4096u);
  EXPECT_EQ(VolumeAllocationUnit("NTFS", 20 * kUnitsPerGB, 4096), 4096u);
  EXPECT_EQ(VolumeAllocationUnit("FAT", 20 * kUnitsPerGB, 32768), 32768u);
  EXPECT_EQ(VolumeAllocationUnit("", 20 * kUnitsPerGB, 2048), 2048u);
}

TEST(ShredLengths, BlockIsTheUnitButNeverBelow512Bytes) {
  EXPECT_EQ(ShredBlockLength(0), 512u);
  EXPECT_EQ(ShredBlockLength(256), 512u);
  EXPECT_EQ(ShredBlockLength(512), 512u);
  EXPECT_EQ(ShredBlockLength(4096), 4096u);
  EXPECT_EQ(ShredBlockLength(65536), 65536u);
}

TEST(ShredLengths, OverwriteCoversWholeUnits) {
  EXPECT_EQ(OverwriteLength(1, 4096), 4096);
  EXPECT_EQ(OverwriteLength(4096, 4096), 4096);
  EXPECT_EQ(OverwriteLength(4097, 4096), 8192);
  EXPECT_EQ(OverwriteLength(0, 4096), 0);
  EXPECT_EQ(OverwriteLength(-1, 4096), 0) << "a file the search could not find";
  EXPECT_EQ(OverwriteLength(1000, 0), 1024) << "unknown unit: whole 512-byte blocks";
  EXPECT_EQ(OverwriteLength(1000, 256), 1024) << "a smaller unit never shortens the overwrite";
  EXPECT_EQ(OverwriteLength(int64_t(5) << 32, 4096), int64_t(5) << 32) << "beyond 4 GB";
}
