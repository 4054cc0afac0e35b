#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "core/message_box.h"
#include "core/report_context.h"

// A fresh folder under the Windows temp folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};
void RemoveTree(const std::string& path);
// The files below a folder, sub-folders included.
int FilesBelow(const std::string& folder);

// Points the program's folders at a temp data folder with its own Quorvane.ini.
class ScopedDataFolder {
 public:
  ScopedDataFolder();
  ~ScopedDataFolder();
  const std::string& Path() const { return folder_.Path(); }
  std::string SettingsPath() const { return folder_.File("Quorvane.ini"); }
  std::string SettingsText() const;

 private:
  TempFolder folder_;
};

// Sets the program's arguments for the life of the object.
class ScopedArguments {
 public:
  explicit ScopedArguments(std::vector<std::string> args);
  ~ScopedArguments();
};

// Records every message box and answers it; the default answerer fails unexpected boxes.
class MessageBoxRecorder {
 public:
  explicit MessageBoxRecorder(MessageAnswer answer = MessageAnswer::Ok);
  ~MessageBoxRecorder();
  std::vector<MessageBoxRequest> boxes;
};

std::string ReadFileText(const std::string& path);
// A file with the given bytes, its last write `ageHours` in the past.
void MakeAgedFile(const std::string& path, const std::string& bytes, double ageHours = 48);
// Creates a file by its wide name (any character); true when it was made.
bool MakeWideFile(const std::wstring& path, const std::string& bytes, double ageHours = 48);
// A real shell link to `target`, as Windows writes into the Recent folder.
void MakeShellLink(const std::string& path, const std::string& target);
void WriteFileText(const std::string& path, const std::string& text);
std::string ListViewItemText(HWND list, int index);
int ListViewCount(HWND list);
// Lets window messages run for the given time.
void PumpFor(int milliseconds);
// The folder of the test executable, where the program's build output also lies.
std::string BinFolder();
// An environment variable of the process; empty when unset.
std::string EnvironmentValue(const char* name);
// The default Firefox profile as discovery and a refresh would set it for a profile folder of
// today's layout, and Firefox not running.
void PointFirefoxProfileAt(const std::string& folder);
// Binds the SQLite a test in a process of its own was started for: a module's path, or
// "builtin" for the program's own. True when bound.
bool BindSqliteNamed(const std::string& module);
std::string ClipboardText();

// A top-level window of a given class and title, as a browser would show; destroyed with the
// object.
class FakeTopWindow {
 public:
  FakeTopWindow(const std::string& className, const std::string& title, bool visible);
  ~FakeTopWindow();
  HWND Handle() const { return window_; }
  HWND AddChild(const std::string& title);

 private:
  HWND window_ = nullptr;
};

// Puts a file's contents (or its absence) back when the test ends.
class ScopedFileRestore {
 public:
  explicit ScopedFileRestore(std::string path);
  ~ScopedFileRestore();

 private:
  std::string path_, contents_;
  bool existed_;
};

// A report view that keeps the lines, as the results list would.
struct VectorView : ReportView {
  std::vector<std::string> lines, statuses;
  int finished = 0, pumps = 0;
  void ClearLines() override { lines.clear(); }
  void AddLine(const std::string& l) override { lines.push_back(l); }
  void ReplaceLine(size_t i, const std::string& l) override { lines.at(i) = l; }
  size_t LineCount() const override { return lines.size(); }
  void ShowStatus(const std::string& s) override { statuses.push_back(s); }
  void PumpMessages() override { ++pumps; }
  void FunctionFinished() override { ++finished; }
};

// A run's state and report for calling one purge function directly.
struct TestRun {
  RunState state;
  VectorView view;
  ReportContext ctx{state, view};
};
