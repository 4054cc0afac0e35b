#include "platform/common_controls.h"

namespace {
// The named entry of a system library, loaded on first use and kept for the process's life.
template <typename Fn>
Fn Entry(const char* library, const char* name) {
  HMODULE module = GetModuleHandleA(library);
  if (!module) module = LoadLibraryA(library);
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}
}  // namespace

void EnsureCommonControls() {
  static const bool done = [] {
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    static const INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES |
                                                          ICC_BAR_CLASSES | ICC_UPDOWN_CLASS |
                                                          ICC_PROGRESS_CLASS | ICC_WIN95_CLASSES};
    auto init = Entry<InitFn>("comctl32.dll", "InitCommonControlsEx");
    return init && init(&icc);
  }();
  (void)done;
}

HIMAGELIST CreateImageList(int cx, int cy, UINT flags, int initial, int grow) {
  using Fn = HIMAGELIST(WINAPI*)(int, int, UINT, int, int);
  static const auto fn = Entry<Fn>("comctl32.dll", "ImageList_Create");
  return fn ? fn(cx, cy, flags, initial, grow) : nullptr;
}

int AddMaskedImage(HIMAGELIST list, HBITMAP bitmap, COLORREF mask) {
  using Fn = int(WINAPI*)(HIMAGELIST, HBITMAP, COLORREF);
  static const auto fn = Entry<Fn>("comctl32.dll", "ImageList_AddMasked");
  return fn ? fn(list, bitmap, mask) : -1;
}

void DestroyImageList(HIMAGELIST list) {
  using Fn = BOOL(WINAPI*)(HIMAGELIST);
  static const auto fn = Entry<Fn>("comctl32.dll", "ImageList_Destroy");
  if (fn) fn(list);
}

bool ChooseFontBox(CHOOSEFONTA& choice) {
  using Fn = BOOL(WINAPI*)(CHOOSEFONTA*);
  static const auto fn = Entry<Fn>("comdlg32.dll", "ChooseFontA");
  return fn && fn(&choice);
}
