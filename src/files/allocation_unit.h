#pragma once
#include <cstdint>
#include <string>

// The smallest block a shred writes, in bytes.
constexpr uint32_t kDefaultShredBlock = 512;

// Allocation unit of a volume as the shred uses it. FAT32 cluster figures are not trusted: the
// unit comes from the volume size (in 512-byte units) by the FAT32 formatting table.
uint32_t Fat32AllocationUnit(uint64_t totalUnits512);
uint32_t VolumeAllocationUnit(const std::string& fileSystem, uint64_t totalUnits512,
                              uint32_t clusterBytes);

// Block length of a shred on a volume with that unit: the unit, but never below 512 bytes.
uint32_t ShredBlockLength(uint32_t unit);
// Bytes a pass overwrites for a file of `size` bytes: whole units, and never less than the size
// brought up to whole 512-byte blocks (all a unit of 0, unknown, gives); nothing for a file that
// could not be found (size -1).
int64_t OverwriteLength(int64_t size, uint32_t unit);
