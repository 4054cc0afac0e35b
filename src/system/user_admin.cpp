#include "system/user_admin.h"

#include <vector>

#include "core/windows_version.h"

namespace {
struct AdministratorsSid {
  PSID sid = nullptr;
  AdministratorsSid() {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0,
                                  0, 0, 0, 0, 0, &sid))
      sid = nullptr;
  }
  ~AdministratorsSid() {
    if (sid) FreeSid(sid);
  }
};

// The thread's token when it impersonates, else the process's.
HANDLE OpenCallerToken() {
  HANDLE token = nullptr;
  if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) return token;
  if (GetLastError() != ERROR_NO_TOKEN) return nullptr;
  return OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) ? token : nullptr;
}

bool CallerHasAdministrators(bool enabledOnly) {
  HANDLE token = OpenCallerToken();
  if (!token) return false;
  bool found = TokenHasAdministrators(token, enabledOnly);
  CloseHandle(token);
  return found;
}
}  // namespace

bool TokenHasAdministrators(HANDLE token, bool enabledOnly) {
  AdministratorsSid admins;
  if (!admins.sid) return false;
  std::vector<BYTE> buffer(1024);
  DWORD needed = 0;
  if (!GetTokenInformation(token, TokenGroups, buffer.data(), buffer.size(), &needed)) {
    // The first systems read into 1024 bytes; a token with more groups gets the room it needs.
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
    buffer.resize(needed);
    if (!GetTokenInformation(token, TokenGroups, buffer.data(), buffer.size(), &needed))
      return false;
  }
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
  for (DWORD i = 0; i < groups->GroupCount; ++i) {
    const SID_AND_ATTRIBUTES& g = groups->Groups[i];
    if (!EqualSid(g.Sid, admins.sid)) continue;
    if (!enabledOnly) return true;
    if ((g.Attributes & SE_GROUP_ENABLED) && !(g.Attributes & SE_GROUP_USE_FOR_DENY_ONLY))
      return true;
  }
  return false;
}

bool IsUserAdmin() {
  // A companion may ask before start-up has read the version.
  const WindowsVersion v =
      CurrentWindowsVersion().major > 0 ? CurrentWindowsVersion() : ReadWindowsVersion();
  if (!v.isNt) return true;
  if (v.major < 5) return CallerHasAdministrators(false);
  using CheckMembership = BOOL(WINAPI*)(HANDLE, PSID, PBOOL);
  auto check = reinterpret_cast<CheckMembership>(
      GetProcAddress(GetModuleHandleA("advapi32.dll"), "CheckTokenMembership"));
  if (!check) return CallerHasAdministrators(true);
  AdministratorsSid admins;
  constexpr BOOL kUnanswered = 2;
  BOOL member = kUnanswered;
  if (!admins.sid || !check(nullptr, admins.sid, &member)) return false;
  // Wine 8's CheckTokenMembership reports success without answering: the token's group list
  // then says the same as Windows would.
  if (member == kUnanswered) return CallerHasAdministrators(true);
  return member != FALSE;
}
