// The window and dialog procedures of the program: a real window of each kind, a message sent
// to it, what came back and what the failure hook heard read back.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/window_procedure.h"
#include "resource.h"

namespace {
std::vector<std::string> g_heard;
void Hear(const std::string& message, const void*) { g_heard.push_back(message); }

using Handler = std::function<void()>;

class TestDialog : public Dialog {
 public:
  TestDialog(Handler onCommand, bool reports, bool* gone)
      : onCommand_(std::move(onCommand)), reports_(reports), gone_(gone) {}
  ~TestDialog() override {
    if (gone_) *gone_ = true;
  }

 private:
  bool OnCommand(int, int) override {
    onCommand_();
    return Reply(1);
  }
  bool ReportsFailures() const override { return reports_; }
  Handler onCommand_;
  bool reports_;
  bool* gone_;
};

class TestWindow : public Window {
 public:
  explicit TestWindow(Handler onCommand) : onCommand_(std::move(onCommand)) {}

 private:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg != WM_COMMAND) return Default(msg, wp, lp);
    onCommand_();
    return 1;
  }
  Handler onCommand_;
};

const char* kClassName = "QuorvaneProcedureTest";
bool RegisterTestClass() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = Window::Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kClassName;
  return RegisterClassA(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

enum class Kind { Dialog, OwnedDialog, ClassWindow, SubclassedControl };
}  // namespace

TEST(WindowProcedure, FailuresStopAtTheProcedureAndReachOneHook) {
  ASSERT_TRUE(RegisterTestClass());
  SetWindowFailureHook(&Hear);
  const Handler fine = [] {};
  const Handler disk = [] { throw std::runtime_error("the disk is full"); };
  const Handler odd = [] { throw 7; };
  struct Row {
    const char* name;
    Kind kind;
    Handler onCommand;
    bool reports;
    LRESULT answer;  // what SendMessage returns
    std::vector<std::string> heard;
  } rows[] = {
      {"dialog, handled", Kind::Dialog, fine, true, 1, {}},
      {"dialog, exception", Kind::Dialog, disk, true, 0, {"the disk is full"}},
      {"dialog, anything thrown", Kind::Dialog, odd, true, 0, {"Unknown failure"}},
      {"dialog that keeps quiet", Kind::Dialog, disk, false, 0, {}},
      {"dialog owned by its window", Kind::OwnedDialog, disk, true, 0, {"the disk is full"}},
      {"window of a class, handled", Kind::ClassWindow, fine, true, 1, {}},
      {"window of a class", Kind::ClassWindow, disk, true, 0, {"the disk is full"}},
      {"subclassed control", Kind::SubclassedControl, odd, true, 0, {"Unknown failure"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    g_heard.clear();
    bool gone = false;
    std::unique_ptr<TestDialog> dialog;
    std::unique_ptr<TestWindow> window;
    HWND made = nullptr;
    switch (row.kind) {
      case Kind::Dialog:
        dialog = std::make_unique<TestDialog>(row.onCommand, row.reports, &gone);
        made = dialog->CreateModeless(IDD_COOKIE_CONFIRM, nullptr);
        EXPECT_EQ(dialog->Handle(), made);
        break;
      case Kind::OwnedDialog:
        made = Dialog::CreateOwnedByWindow(
            std::make_unique<TestDialog>(row.onCommand, row.reports, &gone), IDD_COOKIE_CONFIRM,
            nullptr);
        break;
      case Kind::ClassWindow:
        window = std::make_unique<TestWindow>(row.onCommand);
        made = window->Create(0, kClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
        EXPECT_EQ(window->Handle(), made);
        break;
      case Kind::SubclassedControl:
        window = std::make_unique<TestWindow>(row.onCommand);
        made = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
        EXPECT_TRUE(window->Subclass(made));
        break;
    }
    ASSERT_TRUE(made);
    EXPECT_EQ(SendMessageA(made, WM_COMMAND, IDYES, 0), row.answer);
    EXPECT_EQ(g_heard, row.heard);
    EXPECT_TRUE(IsWindow(made));  // a failure leaves the window as it was
    DestroyWindow(made);
    EXPECT_EQ(dialog ? dialog->Handle() : nullptr, nullptr);
    EXPECT_EQ(window ? window->Handle() : nullptr, nullptr);
    EXPECT_EQ(gone, row.kind == Kind::OwnedDialog);  // the window took its object with it
  }
  SetWindowFailureHook(nullptr);
}
