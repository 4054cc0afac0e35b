#include "ie/index_removal.h"

#include <windows.h>
#include <shellapi.h>

#include <stdexcept>

#include "core/folders.h"
#include "core/message_box.h"
#include "core/os_flags.h"
#include "core/run_mode.h"
#include "ie/boot_list.h"
#include "ie/ie_discovery.h"
#include "platform/files.h"
#include "system/user_admin.h"

namespace {
IndexRemovalError g_lastError;
std::function<bool()> g_adminTest;

std::string SystemMessage(DWORD code) {
  char* text = nullptr;
  DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string s = n && text ? std::string(text, n) : std::string();
  if (text) LocalFree(text);
  while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s;
}

BootFolders FoldersOfTheRun() {
  const IeFolderSet& f = IeFolders();
  return {f.cacheFolder,
          f.cookiesFolder,
          f.historyFolder,
          f.protectedCacheFolder,
          f.protectedCookiesFolder,
          f.protectedHistoryFolder,
          f.userDataFolder,
          f.protectedUserDataFolder,
          f.domStoreFolder,
          f.protectedDomStoreFolder};
}

bool IsNtFamily() {
  OSVERSIONINFOA v{sizeof v};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&v)) return true;
#pragma GCC diagnostic pop
  return v.dwPlatformId == VER_PLATFORM_WIN32_NT;
}
}  // namespace

std::string IndexRemovalVerb(bool isAdmin, bool vista, bool nt) {
  return !isAdmin && (vista || nt) ? "runas" : "open";
}

const IndexRemovalError& LastIndexRemovalError() { return g_lastError; }
void SetIndexRemovalAdminTest(std::function<bool()> test) { g_adminTest = std::move(test); }

void ScheduleIndexRemoval() {
  try {
    const std::string list = Folders().dataFolder + "\\VaskBoot.dat";
    if (!WriteWholeFile(list, BootListText(DisplayName(), FoldersOfTheRun())))
      throw std::runtime_error("the folder list cannot be written");
    const std::string program = Folders().programFolder;
    const std::string file = "\"" + program + "\\VaskIndx.exe\"";
    const std::string folder = "\"" + program + "\"";
    const std::string parameter = "\"" + list + "\"";
    const bool admin = g_adminTest ? g_adminTest() : IsUserAdmin();
    const std::string verb = IndexRemovalVerb(admin, CurrentOsFlags().vista, IsNtFamily());
    SHELLEXECUTEINFOA info{sizeof info};
    // A failed start is kept, not shown: the system would otherwise put up a box of its own.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = verb.c_str();
    info.lpFile = file.c_str();
    info.lpParameters = parameter.c_str();
    info.lpDirectory = folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    g_lastError = {};
    if (!ShellExecuteExA(&info)) {
      const DWORD code = GetLastError();
      g_lastError = {code, SystemMessage(code)};
      return;
    }
    if (info.hProcess) {
      WaitForSingleObject(info.hProcess, INFINITE);
      CloseHandle(info.hProcess);
    }
  } catch (...) {
    ShowMessageBox("The Purge at Reboot function failed.\r\n\r\nPlease notify the vendor. ",
                   DisplayName() + " -  Message", MessageKind::Error, MessageButtons::Ok);
  }
}
