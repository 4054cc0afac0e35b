#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// A program started by a test, whose message boxes the test reads and answers: no test waits
// on a dialog, and a program that hangs is ended at the deadline.
struct SeenBox {
  std::string caption, text;
};

class ChildProcess {
 public:
  ChildProcess(const std::string& exe, const std::string& arguments);
  ~ChildProcess();
  bool Started() const { return info_.hProcess != nullptr; }
  DWORD Id() const { return info_.dwProcessId; }
  // Waits for the end, pressing OK on every box; false when the deadline passed first.
  bool WaitForExit(int milliseconds);
  // Waits until the process shows a visible top-level window of the class; answers boxes meanwhile.
  HWND WaitForWindow(const std::string& className, int milliseconds);
  DWORD ExitCode() const;
  bool Running() const;
  std::vector<SeenBox> boxes;

 private:
  void AnswerBoxes();
  PROCESS_INFORMATION info_{};
};

HWND FindProcessWindow(DWORD processId, const std::string& className, bool visibleOnly);
std::string QuorvanePath();
