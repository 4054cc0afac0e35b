#include "files/allocation_unit.h"

#include <algorithm>

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
  auto whole = [size](int64_t block) { return (size + block - 1) / block * block; };
  // Every byte of the file and the rest of its last sector, whatever the unit says: a unit
  // that could not be learned (0) or a smaller one from a stale cache never shortens it.
  return std::max(whole(kDefaultShredBlock), unit > 0 ? whole(unit) : 0);
}
