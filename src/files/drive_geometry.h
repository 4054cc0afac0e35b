#pragma once
#include <cstdint>
#include <string>

// What a shred needs to know about a volume.
struct DriveGeometry {
  uint64_t totalUnits = 0;  // total size in 512-byte units
  uint64_t freeUnits = 0;   // free size in 512-byte units
  uint32_t allocationUnit = 0;
  std::string fileSystem;
};

// Sizes, allocation unit and file-system name of the drive with that letter; false when the
// sizes could not be read (both are then 0x3FFFFF).
bool GetDriveGeometry(char letter, DriveGeometry& out);

// True when the drive of the file's folder (the current directory for a bare name) has a known
// allocation unit, which CachedAllocationUnit() then gives. One drive is cached per process.
bool GetAllocationUnit(const std::string& path);
uint32_t CachedAllocationUnit();
