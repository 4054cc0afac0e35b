#include "app/help_file.h"

namespace {
constexpr UINT kDisplayTopic = 0x0000;  // HH_DISPLAY_TOPIC
constexpr UINT kCloseAll = 0x0012;      // HH_CLOSE_ALL
using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

HtmlHelpFn HtmlHelp(bool load) {
  static HtmlHelpFn fn = nullptr;
  if (!fn && load)
    if (HMODULE hh = LoadLibraryA("hhctrl.ocx"))
      fn = reinterpret_cast<HtmlHelpFn>(GetProcAddress(hh, "HtmlHelpA"));
  return fn;
}
}  // namespace

HWND OpenHelpTopic(HWND owner, const std::string& helpFile, const std::string& topic) {
  HtmlHelpFn help = HtmlHelp(true);
  if (!help) return nullptr;
  return help(owner, (helpFile + "::/" + topic).c_str(), kDisplayTopic, 0);
}

void CloseHelp() {
  if (HtmlHelpFn help = HtmlHelp(false)) help(nullptr, nullptr, kCloseAll, 0);
}
