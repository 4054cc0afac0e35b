// Windows tracks for the demo environment, made the way Windows itself leaves them:
//   demo_tracks recent N          N documents and their shortcuts in the Recent folder
//   demo_tracks bin N             N files deleted to the Recycle Bin
//   demo_tracks clipboard TEXT S  TEXT on the clipboard, held until someone empties it or S
//                                 seconds pass (Wine drops clipboard data when its owner ends)
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
std::string Folder(int csidl) {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, 0, path);
  return path;
}

bool WriteText(const std::string& path, const std::string& text) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  fwrite(text.data(), 1, text.size(), f);
  fclose(f);
  return true;
}

int MakeRecent(int n) {
  const std::string docs = Folder(CSIDL_PERSONAL), recent = Folder(CSIDL_RECENT);
  CoInitialize(nullptr);
  int made = 0;
  for (int i = 1; i <= n; ++i) {
    const std::string doc = docs + "\\report-" + std::to_string(i) + ".txt";
    WriteText(doc, "A document opened recently.\r\n");
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
      break;
    link->SetPath(doc.c_str());
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      wchar_t wide[MAX_PATH];
      const std::string lnk = recent + "\\report-" + std::to_string(i) + ".txt.lnk";
      MultiByteToWideChar(CP_ACP, 0, lnk.c_str(), -1, wide, MAX_PATH);
      if (SUCCEEDED(file->Save(wide, TRUE))) ++made;
      file->Release();
    }
    link->Release();
  }
  CoUninitialize();
  printf("%d recent links in %s\n", made, recent.c_str());
  return made == n ? 0 : 1;
}

int MakeBin(int n) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  int binned = 0;
  for (int i = 1; i <= n; ++i) {
    std::string path = std::string(temp) + "old-download-" + std::to_string(i) + ".txt";
    WriteText(path, "Deleted to the Recycle Bin.\r\n");
    path.push_back('\0');  // the list ends with a second zero
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = path.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    if (SHFileOperationA(&op) == 0) ++binned;
  }
  printf("%d files in the Recycle Bin\n", binned);
  return binned == n ? 0 : 1;
}

LRESULT CALLBACK HolderProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROYCLIPBOARD) PostQuitMessage(0);  // someone emptied it: done
  return DefWindowProcA(w, msg, wp, lp);
}

int HoldClipboard(const std::string& text, int seconds) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = HolderProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "QvDemoClipboard";
  RegisterClassA(&wc);
  HWND owner = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             wc.hInstance, nullptr);
  if (!owner || !OpenClipboard(owner)) return 1;
  EmptyClipboard();
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  memcpy(GlobalLock(mem), text.c_str(), text.size() + 1);
  GlobalUnlock(mem);
  SetClipboardData(CF_TEXT, mem);
  CloseClipboard();
  printf("clipboard holds \"%s\"\n", text.c_str());
  fflush(stdout);
  SetTimer(owner, 1, seconds * 1000u, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER) break;
    DispatchMessageA(&msg);
  }
  DestroyWindow(owner);
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && !strcmp(argv[1], "recent")) return MakeRecent(atoi(argv[2]));
  if (argc >= 3 && !strcmp(argv[1], "bin")) return MakeBin(atoi(argv[2]));
  if (argc >= 4 && !strcmp(argv[1], "clipboard")) return HoldClipboard(argv[2], atoi(argv[3]));
  fprintf(stderr, "usage: demo_tracks recent N | bin N | clipboard TEXT SECONDS\n");
  return 2;
}
