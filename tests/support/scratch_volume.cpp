#include "support/scratch_volume.h"

#include <windows.h>

#include <algorithm>

#include "core/text_util.h"
#include "platform/links.h"

namespace {
bool MountFinished(const std::string& path, unsigned long long mib) {
  return TotalBytes(path) <= mib << 20;
}
}  // namespace

bool StartUnixProgram(const std::string& program, const std::string& line) {
  std::string text = line;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  return CreateProcessA(program.c_str(), text.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &si, &pi) != FALSE;
}

std::string UnixNameOf(const std::string& path) {
  using Fn = char*(CDECL*)(LPCWSTR);
  auto fn = reinterpret_cast<Fn>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
  std::wstring wide(path.begin(), path.end());
  char* u = fn ? fn(wide.c_str()) : nullptr;
  std::string s = u ? u : "";
  if (u) HeapFree(GetProcessHeap(), 0, u);
  return s;
}

bool MakeUnixLink(const std::string& target, const std::string& link) {
  if (!StartUnixProgram("Z:\\bin\\ln",
                        "ln -s \"" + UnixNameOf(target) + "\" \"" + UnixNameOf(link) + "\""))
    return false;
  for (int i = 0; i < 500; ++i, Sleep(10))
    if (GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  return false;
}

bool MakeTestLink(const std::string& target, const std::string& link, bool folder) {
  if (RunningUnderWine()) return MakeUnixLink(target, link);
  constexpr DWORD kAllowUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
  return CreateSymbolicLinkA(link.c_str(), target.c_str(),
                             (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | kAllowUnprivileged);
}

TestDrive::TestDrive(const std::string& folder) {
  char prefix[MAX_PATH] = {};
  if (folder.empty() || !GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix)) return;
  const DWORD used = GetLogicalDrives();
  for (char c = 'Y'; c >= 'M' && letter_.empty(); --c)
    if (!(used & (1u << (c - 'A')))) letter_ = std::string(1, c);
  if (letter_.empty()) return;
  link_ = "Z:" + std::string(prefix) + "/dosdevices/" + LowerCase(letter_) + ":";
  std::replace(link_.begin(), link_.end(), '/', '\\');
  if (!MakeUnixLink(folder, link_)) letter_.clear();
}

TestDrive::~TestDrive() {
  if (!link_.empty() && GetFileAttributesA(link_.c_str()) != INVALID_FILE_ATTRIBUTES)
    RemoveLinkItself(link_, true);
}

ScratchVolume::ScratchVolume(int mib, int ext4BlockBytes) {
  unixPath_ = UnixNameOf(mountPoint_.Path());
  if (unixPath_.empty()) return;
  const std::string size = std::to_string(mib) + "m";
  if (ext4BlockBytes) {
    image_ = imageFolder_.File("volume.img");
    const std::string img = "'" + UnixNameOf(imageFolder_.Path()) + "/volume.img'";
    if (!StartUnixProgram("Z:\\bin\\sh", "sh -c \"/usr/bin/truncate -s " + size + " " + img +
                                             " && /sbin/mkfs.ext4 -q -F -b " +
                                             std::to_string(ext4BlockBytes) + " " + img +
                                             " && /bin/mount -o loop " + img + " '" + unixPath_ +
                                             "'\""))
      return;
  } else if (!StartUnixProgram("Z:\\bin\\mount",
                               "mount -t tmpfs -o size=" + size + " tmpfs \"" + unixPath_ + "\"")) {
    return;
  }
  for (int i = 0; i < 1000 && !mounted_; ++i, Sleep(10))
    mounted_ = MountFinished(mountPoint_.Path(), static_cast<unsigned long long>(mib));
  if (mounted_) drive_.emplace(mountPoint_.Path());
}

ScratchVolume::~ScratchVolume() { Unmount(); }

std::string ScratchVolume::ReadImage() const {
  return image_.empty() ? std::string() : ReadFileText(image_);
}

void ScratchVolume::Unmount() {
  drive_.reset();
  if (!mounted_) return;
  mounted_ = false;
  // Lazily: a handle Wine still holds on the volume (a window that asked its free space, a
  // file closing) would make a plain umount fail and leave the mount behind for good, and a
  // later test's folder of the same name would land on it.
  StartUnixProgram("Z:\\bin\\umount", "umount -l \"" + unixPath_ + "\"");
  for (int i = 0; i < 300 && MountFinished(mountPoint_.Path(), 1024); ++i) Sleep(10);
}

unsigned long long FreeBytes(const std::string& path) {
  ULARGE_INTEGER available{}, total{}, free{};
  return GetDiskFreeSpaceExA(path.c_str(), &available, &total, &free) ? available.QuadPart : 0;
}

unsigned long long TotalBytes(const std::string& path) {
  ULARGE_INTEGER available{}, total{}, free{};
  return GetDiskFreeSpaceExA(path.c_str(), &available, &total, &free) ? total.QuadPart : ~0ull;
}
