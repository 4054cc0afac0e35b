#include "files/drive_geometry.h"

#include <windows.h>

#include <cctype>

#include "files/allocation_unit.h"
#include "platform/files.h"

namespace {
using GetDiskFreeSpaceExFn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER,
                                           PULARGE_INTEGER);

// Windows 95 before OSR2 has no extended query; it is looked up once, by name.
GetDiskFreeSpaceExFn ExtendedFreeSpaceQuery() {
  static const GetDiskFreeSpaceExFn fn = reinterpret_cast<GetDiskFreeSpaceExFn>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetDiskFreeSpaceExA"));
  return fn;
}

struct AllocationUnitCache {
  std::string letter;
  uint32_t unit = 0;
};
AllocationUnitCache& Cache() {
  static AllocationUnitCache cache;
  return cache;
}
}  // namespace

bool GetDriveGeometry(char letter, DriveGeometry& out) {
  const std::string root =
      std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))) + ":\\";
  constexpr uint64_t kUnknownSize = 0x3FFFFF;
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  const bool clusters = GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector,
                                          &freeClusters, &totalClusters) != FALSE;
  bool ok;
  if (GetDiskFreeSpaceExFn ex = ExtendedFreeSpaceQuery()) {
    ULARGE_INTEGER available{}, total{}, totalFree{};
    ok = ex(root.c_str(), &available, &total, &totalFree) != FALSE;
    out.totalUnits = total.QuadPart / 512;
    out.freeUnits = totalFree.QuadPart / 512;
  } else {
    ok = clusters;
    const uint64_t cluster = uint64_t(sectorsPerCluster) * bytesPerSector;
    out.totalUnits = cluster * totalClusters / 512;
    out.freeUnits = cluster * freeClusters / 512;
  }
  if (!ok) out.totalUnits = out.freeUnits = kUnknownSize;

  out.allocationUnit = sectorsPerCluster * bytesPerSector;
  char name[MAX_PATH + 1] = {};
  if (GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, name,
                            sizeof name)) {
    out.fileSystem = name;
    out.allocationUnit = VolumeAllocationUnit(out.fileSystem, out.totalUnits, out.allocationUnit);
  } else {
    out.fileSystem.clear();
    out.allocationUnit = 4096;
  }
  return ok;
}

bool GetAllocationUnit(const std::string& path) {
  std::string folder = ExtractFilePath(path);
  if (folder.empty()) folder = CurrentDirectory();
  if (folder.size() < 2 || folder[1] != ':') return false;
  AllocationUnitCache& cache = Cache();
  const std::string letter(1, static_cast<char>(std::toupper(static_cast<unsigned char>(folder[0]))));
  if (letter == cache.letter && cache.unit > 0) return true;
  // A failed query empties the whole entry: a unit kept for a letter whose query failed would
  // be taken for the drive's next time.
  cache = {};
  DriveGeometry g;
  if (!GetDriveGeometry(letter[0], g) || g.allocationUnit < 1) return false;
  cache.letter = letter;
  cache.unit = g.allocationUnit;
  return true;
}

uint32_t CachedAllocationUnit() { return Cache().unit; }
