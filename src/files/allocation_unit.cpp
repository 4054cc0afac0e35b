#include "files/allocation_unit.h"

uint32_t Fat32AllocationUnit(uint64_t totalUnits512) {
  const uint64_t kb = totalUnits512 / 2;
  if (kb < 8388608) return 4096;    // below 8 GB
  if (kb < 16777216) return 8192;   // below 16 GB
  if (kb < 33554432) return 16384;  // below 32 GB
  return 32768;
}

uint32_t VolumeAllocationUnit(const std::string& fileSystem, uint64_t totalUnits512,
                              uint32_t clusterBytes) {
  if (fileSystem.compare(0, 5, "FAT32") == 0) return Fat32AllocationUnit(totalUnits512);
  return clusterBytes;
}

uint32_t ShredBlockLength(uint32_t unit) {
  return unit > kDefaultShredBlock ? unit : kDefaultShredBlock;
}

int64_t OverwriteLength(int64_t size, uint32_t unit) {
  if (size <= 0) return 0;
  if (unit == 0) return size;
  return (size + unit - 1) / unit * unit;
}
