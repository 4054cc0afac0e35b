#include "app/wipe_window.h"

#include <commctrl.h>

#include <string>

#include "core/modal.h"
#include "platform/window.h"
#include "resource.h"
#include "wipe/free_space_wipe.h"

namespace {
constexpr int kProgressSteps = 1000;

struct WipeWindow {
  bool running = false;
  bool cancel = false;
  bool closeAfter = false;
};

const char* DriveKindText(DriveKind kind) {
  switch (kind) {
    case DriveKind::Fixed: return "local fixed";
    case DriveKind::Remote: return "network";
    case DriveKind::CdRom: return "CD";
    case DriveKind::Removable: return "removable";
    case DriveKind::RamDisk: return "RAM disk";
    default: return "unknown";
  }
}

// Every drive is listed with what it is, so that a refusal can say why; the Temp folder's drive
// is chosen at first.
void FillDriveList(HWND combo) {
  const std::string temp = TempFolderDrive();
  for (char c = 'A'; c <= 'Z'; ++c) {
    // By type, not GetLogicalDrives (see RemoveLeftoverWipeFolders).
    const std::string root = DriveRoot(c);
    const UINT type = GetDriveTypeA(root.c_str());
    if (type == DRIVE_NO_ROOT_DIR) continue;
    const std::string text = root + "  (" + DriveKindText(DriveKindOf(type)) + ")";
    const LRESULT i = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(combo, CB_SETITEMDATA, i, c);
    if (root == temp) SendMessageA(combo, CB_SETCURSEL, i, 0);
  }
  if (SendMessageA(combo, CB_GETCURSEL, 0, 0) == CB_ERR) SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

std::string ChosenRoot(HWND dialog) {
  HWND combo = GetDlgItem(dialog, IDC_WIPE_DRIVE);
  const LRESULT i = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  if (i == CB_ERR) return {};
  return DriveRoot(static_cast<char>(SendMessageA(combo, CB_GETITEMDATA, i, 0)));
}

void SetText(HWND dialog, int id, const std::string& text) {
  SetWindowTextString(GetDlgItem(dialog, id), text);
}

void ShowProgress(HWND dialog, const WipeProgress& p) {
  const uint64_t target = p.target ? p.target : 1;
  const uint64_t done = p.written >= target ? target : p.written;
  SendDlgItemMessageA(dialog, IDC_WIPE_PROGRESS, PBM_SETPOS,
                      static_cast<WPARAM>(done * kProgressSteps / target), 0);
  SetText(dialog, IDC_WIPE_WRITTEN, "Bytes written: " + GroupedNumber(p.written));
  const auto left = SecondsLeft(p);
  SetText(dialog, IDC_WIPE_TIME_LEFT, "Time left: " + (left ? ClockText(*left) : std::string()));
}

void Start(HWND dialog, WipeWindow& w) {
  if (w.running) return;
  const std::string root = ChosenRoot(dialog);
  if (root.empty()) return;
  if (const std::string why = WipeRefusalOf(root); !why.empty()) {
    SetText(dialog, IDC_WIPE_STATUS, "Refused - " + why);
    return;
  }
  w.running = true;
  w.cancel = false;
  EnableWindow(GetDlgItem(dialog, IDC_WIPE_START), FALSE);
  EnableWindow(GetDlgItem(dialog, IDC_WIPE_DRIVE), FALSE);
  SetText(dialog, IDC_WIPE_STATUS, "Wiping the free space of " + root + " ...");
  WipeOptions options;
  options.progress = [&](const WipeProgress& p) {
    ShowProgress(dialog, p);
    PumpWaitingMessages();
    return !w.cancel;
  };
  const WipeSummary s = WipeFreeSpace(root, options);
  w.running = false;
  if (!IsWindow(dialog)) return;
  SetText(dialog, IDC_WIPE_WRITTEN, "Bytes written: " + GroupedNumber(s.bytesWritten));
  SetText(dialog, IDC_WIPE_TIME_LEFT, "Time: " + ClockText(s.seconds));
  SetText(dialog, IDC_WIPE_STATUS, WipeResultText(s));
  if (s.outcome == WipeOutcome::Completed)
    SendDlgItemMessageA(dialog, IDC_WIPE_PROGRESS, PBM_SETPOS, kProgressSteps, 0);
  EnableWindow(GetDlgItem(dialog, IDC_WIPE_START), TRUE);
  EnableWindow(GetDlgItem(dialog, IDC_WIPE_DRIVE), TRUE);
  if (w.closeAfter) EndModalDialog(dialog, IDCANCEL);
}

INT_PTR CALLBACK WipeProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lp);
    FillDriveList(GetDlgItem(dialog, IDC_WIPE_DRIVE));
    SendDlgItemMessageA(dialog, IDC_WIPE_PROGRESS, PBM_SETRANGE32, 0, kProgressSteps);
    return TRUE;
  }
  auto* w = reinterpret_cast<WipeWindow*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (!w) return FALSE;
  switch (msg) {
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDC_WIPE_START: Start(dialog, *w); return TRUE;
        case IDCANCEL:
          // Cancel stops a wipe that runs (its files are removed before it returns); the
          // window stays to show how far it came. Idle, it closes the window.
          if (w->running) {
            w->cancel = true;
          } else {
            EndModalDialog(dialog, IDCANCEL);
          }
          return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      if (w->running) {
        w->cancel = w->closeAfter = true;
      } else {
        EndModalDialog(dialog, IDCANCEL);
      }
      return TRUE;
  }
  return FALSE;
}
}  // namespace

void ShowWipeWindow(HWND owner) {
  WipeWindow w;
  ShowModalDialog(IDD_WIPE, owner, WipeProc, reinterpret_cast<LPARAM>(&w));
}
