#pragma once
#include <windows.h>
#include <commdlg.h>

#include <functional>

#include "platform/window_procedure.h"

// Modal windows of the program go through here, so that tests can work them instead of a user.
// With a driver installed the dialog is created modeless, handed to the driver, then destroyed.
using ModalDriver = std::function<void(HWND dialog)>;
void SetModalDriver(ModalDriver driver);
INT_PTR ShowModalDialog(int templateId, HWND owner, Dialog& dialog);
// Ends a dialog shown by ShowModalDialog, driven or not.
void EndModalDialog(HWND dialog, INT_PTR result);

// The system font dialog; a test answerer fills the structure and says whether it was accepted.
using FontDialogAnswerer = std::function<bool(CHOOSEFONTA&)>;
void SetFontDialogAnswerer(FontDialogAnswerer answerer);
bool ChooseFontDialog(CHOOSEFONTA& choice);
