#include "core/message_box.h"

#include <windows.h>

#include "core/run_mode.h"

namespace {
MessageBoxAnswerer g_answerer;
}

void SetMessageBoxAnswerer(MessageBoxAnswerer answerer) { g_answerer = std::move(answerer); }

std::string Caption(const std::string& word) { return DisplayName() + "  -  " + word; }

MessageAnswer ShowMessageBox(const std::string& text, const std::string& caption, MessageKind kind,
                             MessageButtons buttons) {
  if (g_answerer) return g_answerer({text, caption, kind, buttons});
  UINT flags = MB_TASKMODAL | MB_SETFOREGROUND;
  flags |= buttons == MessageButtons::YesNo         ? MB_YESNO
           : buttons == MessageButtons::RetryCancel ? MB_RETRYCANCEL
                                                    : MB_OK;
  flags |= kind == MessageKind::Error         ? MB_ICONERROR
           : kind == MessageKind::Information ? MB_ICONINFORMATION
           : kind == MessageKind::Warning     ? MB_ICONWARNING
                                              : MB_ICONQUESTION;
  int r = MessageBoxA(nullptr, text.c_str(), caption.c_str(), flags);
  return r == IDYES      ? MessageAnswer::Yes
         : r == IDNO     ? MessageAnswer::No
         : r == IDRETRY  ? MessageAnswer::Retry
         : r == IDCANCEL ? MessageAnswer::Cancel
                         : MessageAnswer::Ok;
}
