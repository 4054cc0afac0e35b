#pragma once
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

// The procedures of the program's own windows and dialogs: the object behind a window is found
// in one place, and no exception unwinds through Windows. What a handler throws is caught at
// the procedure, handed to the failure hook and answered as unhandled.
using WindowFailureHook = void (*)(const std::string& message, const void* address);
void SetWindowFailureHook(WindowFailureHook hook);  // null: failures are only stopped

// A window of a class whose procedure is Window::Proc (made with Create), or a control whose
// messages are taken over (Subclass); the control's own procedure gets what OnMessage passes on.
class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();
  HWND Handle() const { return window_; }
  HWND Create(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y,
              int width, int height, HWND parent, HMENU menu);
  bool Subclass(HWND control);
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);

 protected:
  virtual LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) { return Default(msg, wp, lp); }
  LRESULT Default(UINT msg, WPARAM wp, LPARAM lp);
  HWND window_ = nullptr;

 private:
  WNDPROC base_ = nullptr;
};

// A dialog from a template of the program. The object lives at least as long as its window:
// a modal one on the caller's stack (ShowModalDialog), a modeless one kept by its owner, or
// handed to its window (CreateOwnedByWindow). OnMessage forwards the common messages to the
// handlers below; each says whether it handled its message, as a dialog procedure does.
class Dialog {
 public:
  Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;
  virtual ~Dialog();
  HWND Handle() const { return window_; }
  HWND CreateModeless(int templateId, HWND owner);
  static HWND CreateOwnedByWindow(std::unique_ptr<Dialog> dialog, int templateId, HWND owner);
  // With `this` as the creation parameter.
  static INT_PTR CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);

 protected:
  virtual INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  virtual bool OnInit() { return false; }  // true: the first control takes the focus
  virtual bool OnCommand(int /*id*/, int /*code*/) { return false; }
  virtual bool OnNotify(NMHDR* /*header*/) { return false; }
  virtual bool OnTimer(UINT_PTR /*id*/) { return false; }
  virtual bool OnSize() { return false; }
  virtual bool OnClose() { return false; }
  // Windows that choose to let a failed command leave them as they are, without a word.
  virtual bool ReportsFailures() const { return true; }
  // Handles a message whose answer is not the procedure's own (WM_NOTIFY, WM_SETCURSOR).
  bool Reply(LRESULT result);
  HWND Item(int id) const { return GetDlgItem(window_, id); }
  HWND window_ = nullptr;

 private:
  bool ownedByWindow_ = false;
};
