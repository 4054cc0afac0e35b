#include "platform/file_compression.h"

#include <windows.h>
#include <winioctl.h>

unsigned long ClearCompression(void* handle) {
  USHORT format = COMPRESSION_FORMAT_NONE;
  DWORD returned = 0;
  return DeviceIoControl(handle, FSCTL_SET_COMPRESSION, &format, sizeof format, nullptr, 0,
                         &returned, nullptr)
             ? 0
             : GetLastError();
}

unsigned long ClearCompressionOf(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return GetLastError();
  const unsigned long error = ClearCompression(h);
  CloseHandle(h);
  return error;
}

unsigned long AttributesOfHandle(void* handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  return GetFileInformationByHandle(handle, &info) ? info.dwFileAttributes : 0;
}
