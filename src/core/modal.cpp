#include "core/modal.h"
#include "platform/common_controls.h"

namespace {
ModalDriver g_driver;
FontDialogAnswerer g_fontAnswerer;
constexpr const char* kDrivenProp = "Quorvane.Driven";
constexpr const char* kResultProp = "Quorvane.Result";
}  // namespace

void SetModalDriver(ModalDriver driver) { g_driver = std::move(driver); }
void SetFontDialogAnswerer(FontDialogAnswerer answerer) { g_fontAnswerer = std::move(answerer); }

INT_PTR ShowModalDialog(int templateId, HWND owner, Dialog& object) {
  HINSTANCE inst = GetModuleHandleA(nullptr);
  const DLGPROC proc = Dialog::Proc;
  const auto param = reinterpret_cast<LPARAM>(&object);
  EnsureCommonControls();  // templates hold list views, tabs, spin buttons
  if (!g_driver) return DialogBoxParamA(inst, MAKEINTRESOURCEA(templateId), owner, proc, param);
  HWND dialog = CreateDialogParamA(inst, MAKEINTRESOURCEA(templateId), owner, proc, param);
  if (!dialog) return -1;
  SetPropA(dialog, kDrivenProp, reinterpret_cast<HANDLE>(1));
  ShowWindow(dialog, SW_SHOWNA);
  g_driver(dialog);
  INT_PTR result =
      IsWindow(dialog) ? reinterpret_cast<INT_PTR>(GetPropA(dialog, kResultProp)) : IDCANCEL;
  if (IsWindow(dialog)) {
    RemovePropA(dialog, kDrivenProp);
    RemovePropA(dialog, kResultProp);
    DestroyWindow(dialog);
  }
  return result;
}

void EndModalDialog(HWND dialog, INT_PTR result) {
  if (GetPropA(dialog, kDrivenProp)) {
    SetPropA(dialog, kResultProp, reinterpret_cast<HANDLE>(result));
    ShowWindow(dialog, SW_HIDE);
  } else {
    EndDialog(dialog, result);
  }
}

bool ChooseFontDialog(CHOOSEFONTA& choice) {
  if (g_fontAnswerer) return g_fontAnswerer(choice);
  return ChooseFontBox(choice);
}
