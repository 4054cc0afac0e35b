#include "app/wipe_window.h"

#include <commctrl.h>

#include <string>

#include "core/modal.h"
#include "platform/window.h"
#include "platform/window_procedure.h"
#include "resource.h"
#include "wipe/free_space_wipe.h"

namespace {
constexpr int kProgressSteps = 1000;

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

class WipeWindow : public Dialog {
  bool OnInit() override {
    FillDriveList(Item(IDC_WIPE_DRIVE));
    SendDlgItemMessageA(window_, IDC_WIPE_PROGRESS, PBM_SETRANGE32, 0, kProgressSteps);
    return true;
  }
  bool OnCommand(int id, int) override;
  bool OnClose() override;
  void Start();

  bool running_ = false;
  bool cancel_ = false;
  bool closeAfter_ = false;
};

void WipeWindow::Start() {
  if (running_) return;
  const std::string root = ChosenRoot(window_);
  if (root.empty()) return;
  if (const std::string why = WipeRefusalOf(root); !why.empty()) {
    SetText(window_, IDC_WIPE_STATUS, "Refused - " + why);
    return;
  }
  running_ = true;
  cancel_ = false;
  EnableWindow(Item(IDC_WIPE_START), FALSE);
  EnableWindow(Item(IDC_WIPE_DRIVE), FALSE);
  SetText(window_, IDC_WIPE_STATUS, "Wiping the free space of " + root + " ...");
  WipeOptions options;
  options.progress = [&](const WipeProgress& p) {
    ShowProgress(window_, p);
    PumpWaitingMessages();
    return !cancel_;
  };
  const WipeSummary s = WipeFreeSpace(root, options);
  running_ = false;
  if (!window_) return;  // closed with its owner meanwhile
  SetText(window_, IDC_WIPE_WRITTEN, "Bytes written: " + GroupedNumber(s.bytesWritten));
  SetText(window_, IDC_WIPE_TIME_LEFT, "Time: " + ClockText(s.seconds));
  SetText(window_, IDC_WIPE_STATUS, WipeResultText(s));
  if (s.outcome == WipeOutcome::Completed)
    SendDlgItemMessageA(window_, IDC_WIPE_PROGRESS, PBM_SETPOS, kProgressSteps, 0);
  EnableWindow(Item(IDC_WIPE_START), TRUE);
  EnableWindow(Item(IDC_WIPE_DRIVE), TRUE);
  if (closeAfter_) EndModalDialog(window_, IDCANCEL);
}

bool WipeWindow::OnCommand(int id, int) {
  switch (id) {
    case IDC_WIPE_START: Start(); return true;
    case IDCANCEL:
      // Cancel stops a wipe that runs (its files are removed before it returns); the window
      // stays to show how far it came. Idle, it closes the window.
      if (running_) {
        cancel_ = true;
      } else {
        EndModalDialog(window_, IDCANCEL);
      }
      return true;
  }
  return false;
}

bool WipeWindow::OnClose() {
  if (running_) {
    cancel_ = closeAfter_ = true;
  } else {
    EndModalDialog(window_, IDCANCEL);
  }
  return true;
}
}  // namespace

void ShowWipeWindow(HWND owner) {
  WipeWindow w;
  ShowModalDialog(IDD_WIPE, owner, w);
}
