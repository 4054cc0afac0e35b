#pragma once
// Shared by the file fault and link safety tests: real files and Unix links under Wine, the
// prefix's real WinINet cache, and the two ways a run deletes (plainly or by shredding).
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "core/os_flags.h"
#include "core/report_context.h"
#include "ie/url_server_link.h"
#include "support/test_support.h"
#include "support/url_cache_fill.h"

namespace file_faults {

using Lines = std::vector<std::string>;

// Plain deletion and the Quick and Thorough shreds of the Secure erase settings.
struct EraseMode {
  const char* name;
  bool secure;
  const char* thoroughness;
};
inline constexpr EraseMode kPlain{"plain", false, "0"};
inline constexpr EraseMode kQuick{"quick shred", true, "0"};
inline constexpr EraseMode kThorough{"thorough shred", true, "1"};
inline constexpr EraseMode kEraseModes[] = {kPlain, kQuick, kThorough};
void UseEraseMode(RunState& state, const EraseMode& mode);

bool WideExists(const std::wstring& path);
std::wstring Widen(const std::string& ansi);

// The Unix name Wine gives a DOS path, and a symbolic link made by the system's "ln"
// (under Wine a Unix link inside the prefix acts as a Windows symbolic link).
std::string UnixNameOf(const std::string& dosPath);
bool MakeUnixLink(const std::string& target, const std::string& link);
// The same for a link whose name the ANSI code page cannot hold, made in `folder`.
bool MakeWideUnixLink(const std::string& target, const std::string& folder,
                      const std::wstring& name);
bool WidePresent(const std::wstring& path);  // the entry itself, as Present
// Removes a link made by the test whatever the purge did, before any clean-up walks into it.
struct LinkGuard {
  LinkGuard(std::string linkPath, bool isFolder) : path(std::move(linkPath)), folder(isFolder) {}
  LinkGuard(const LinkGuard&) = delete;
  LinkGuard& operator=(const LinkGuard&) = delete;
  ~LinkGuard();
  std::string path;
  bool folder;
};
bool Present(const std::string& path);  // anything by that name, link or not

// A folder outside every purged area with files and a sub-folder that must survive whole, and
// a single file beside it that a file link points at.
class Victim {
 public:
  Victim();
  ~Victim();
  const std::string& Folder() const { return folder_; }
  const std::string& File() const { return file_; }
  // Every file with its bytes; empty when all are as they were made, else what differs.
  std::string Damage() const;

 private:
  std::string folder_, file_;
  std::vector<std::pair<std::string, std::string>> contents_;
};

// A report view that lets the test act while a purge runs: `onEvent` is called on every line
// and every message check.
struct HookedView : VectorView {
  std::function<void()> onEvent;
  void AddLine(const std::string& l) override {
    VectorView::AddLine(l);
    if (onEvent) onEvent();
  }
  void PumpMessages() override {
    VectorView::PumpMessages();
    if (onEvent) onEvent();
  }
};

// Holds the first of the candidates that still exists open without sharing, from the first
// event on: the file becomes locked after the purge began and before it reached it.
class LockOnFirstEvent {
 public:
  explicit LockOnFirstEvent(std::vector<std::string> candidates)
      : candidates_(std::move(candidates)) {}
  ~LockOnFirstEvent() { Release(); }
  void operator()();
  void Release();
  const std::string& Locked() const { return locked_; }

 private:
  std::vector<std::string> candidates_;
  std::string locked_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// The prefix's IE folders discovered as on XP (no protected-mode passes) with the URL cache
// emptied; the flags and folders are put back afterwards.
struct IeScope {
  IeScope();
  ~IeScope();
  OsFlags saved;
};

// A normal-mode URL server link of the test's own.
struct TestCacheLink : UrlServerLink {
  TestCacheLink();
};

std::string UniqueId();

bool HasLine(const Lines& lines, const std::string& line);
std::string Dump(const Lines& lines);

}  // namespace file_faults
