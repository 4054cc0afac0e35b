#include "platform/window_procedure.h"

#include <exception>

namespace {
WindowFailureHook g_failureHook = nullptr;

// Called from inside a catch block: rethrows to learn what was thrown. The hook may destroy
// windows, the failing one among them.
void ReportFailure(const void* address) {
  if (!g_failureHook) return;
  try {
    throw;
  } catch (const std::exception& e) {
    g_failureHook(e.what(), address);
  } catch (...) {
    g_failureHook("Unknown failure", address);
  }
}
}  // namespace

void SetWindowFailureHook(WindowFailureHook hook) { g_failureHook = hook; }

Window::~Window() {
  // A window that outlives its object answers as if it had none.
  if (!window_ || !IsWindow(window_)) return;
  if (base_) SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(base_));
  SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
}

HWND Window::Create(DWORD exStyle, const char* className, const char* title, DWORD style, int x,
                    int y, int width, int height, HWND parent, HMENU menu) {
  return CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, menu,
                         GetModuleHandleA(nullptr), this);
}

bool Window::Subclass(HWND control) {
  window_ = control;
  SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  base_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
  return base_ != nullptr;
}

LRESULT Window::Default(UINT msg, WPARAM wp, LPARAM lp) {
  return base_ ? CallWindowProcA(base_, window_, msg, wp, lp)
               : DefWindowProcA(window_, msg, wp, lp);
}

// Messages before WM_NCCREATE (WM_GETMINMAXINFO) find no object and get the default answer.
LRESULT CALLBACK Window::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    if (auto* made = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams)) {
      made->window_ = hwnd;
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(made));
    }
  }
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  LRESULT result = 0;
  try {
    result = self->OnMessage(msg, wp, lp);
  } catch (...) {
    ReportFailure(reinterpret_cast<const void*>(&Proc));
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->window_ = nullptr;
  }
  return result;
}

Dialog::~Dialog() {
  if (window_ && IsWindow(window_)) SetWindowLongPtrA(window_, DWLP_USER, 0);
}

HWND Dialog::CreateModeless(int templateId, HWND owner) {
  return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner, Proc,
                            reinterpret_cast<LPARAM>(this));
}

// The window takes the object only once it stands: one destroyed while being made leaves the
// object to be freed here.
HWND Dialog::CreateOwnedByWindow(std::unique_ptr<Dialog> dialog, int templateId, HWND owner) {
  HWND made = dialog->CreateModeless(templateId, owner);
  if (made) dialog.release()->ownedByWindow_ = true;
  return made;
}

// Messages before WM_INITDIALOG (WM_SETFONT) find no object and are left to the dialog manager.
INT_PTR CALLBACK Dialog::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG && lp) {
    reinterpret_cast<Dialog*>(lp)->window_ = hwnd;
    SetWindowLongPtrA(hwnd, DWLP_USER, lp);
  }
  auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (!self) return FALSE;
  INT_PTR result = FALSE;
  try {
    result = self->OnMessage(msg, wp, lp);
  } catch (...) {
    if (self->ReportsFailures()) ReportFailure(reinterpret_cast<const void*>(&Proc));
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    self->window_ = nullptr;
    if (self->ownedByWindow_) delete self;
  }
  return result;
}

INT_PTR Dialog::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: return OnInit();
    case WM_COMMAND: return OnCommand(LOWORD(wp), HIWORD(wp));
    case WM_NOTIFY: return OnNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_TIMER: return OnTimer(wp);
    case WM_SIZE: return OnSize();
    case WM_CLOSE: return OnClose();
  }
  return FALSE;
}

bool Dialog::Reply(LRESULT result) {
  SetWindowLongPtrA(window_, DWLP_MSGRESULT, result);
  return true;
}
