#include "system/system_tracks.h"

#include <windows.h>
#include <unknwn.h>

#include <iterator>

#include "core/report_rules.h"
#include "platform/links.h"
#include "system/windows_track_rules.h"

namespace {
void Say(ReportContext& ctx, const TrackLine& line, bool always = true) {
  if (line.text.empty()) return;
  if (always)
    ctx.AddReportLine(line.text);
  else
    ctx.AddDetailLine(line.text);
  ctx.RaiseLevel(line.level);
  if (line.level > 0) ctx.SetAttention();
}

// A system module loaded for one purge and let go after it.
class Module {
 public:
  explicit Module(const char* name) : h_(LoadLibraryA(name)) {}
  ~Module() {
    if (h_) FreeLibrary(h_);
  }
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;
  template <typename Fn>
  Fn Get(const char* name) const {
    return h_ ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(h_, name))) : nullptr;
  }

 private:
  HMODULE h_;
};

std::string Narrow(const std::wstring& wide) {
  const int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string text(n - 1, '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text.data(), n, nullptr, nullptr);
  return text;
}

// wevtapi.dll (Windows Vista and later), looked up by name: XP has none.
using EvtHandle = HANDLE;
using OpenChannelEnumFn = EvtHandle(WINAPI*)(EvtHandle, DWORD);
using NextChannelPathFn = BOOL(WINAPI*)(EvtHandle, DWORD, LPWSTR, PDWORD);
using ClearLogFn = BOOL(WINAPI*)(EvtHandle, LPCWSTR, LPCWSTR, DWORD);
using CloseFn = BOOL(WINAPI*)(EvtHandle);

std::vector<std::wstring> ChannelNames(NextChannelPathFn next, EvtHandle list) {
  std::vector<std::wstring> names;
  std::wstring buf(512, L'\0');
  for (;;) {
    DWORD used = 0;
    if (next(list, DWORD(buf.size()), buf.data(), &used)) {
      names.emplace_back(buf.c_str());
    } else if (GetLastError() == ERROR_INSUFFICIENT_BUFFER && used > buf.size()) {
      buf.assign(used, L'\0');
    } else {
      return names;  // ERROR_NO_MORE_ITEMS, or a listing that broke off
    }
  }
}

// Windows.ApplicationModel.DataTransfer.Clipboard's second statics interface (Windows 10 1809):
// the clipboard history's calls. Declared here as its vtable is laid out, IInspectable's three
// calls after IUnknown's; MinGW's headers lack it.
using WinRtBool = unsigned char;  // the Windows Runtime's boolean: one byte
struct IClipboardStatics2 : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetIids(ULONG*, IID**) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRuntimeClassName(void**) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTrustLevel(int*) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetHistoryItemsAsync(void**) = 0;
  virtual HRESULT STDMETHODCALLTYPE ClearHistory(WinRtBool* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE DeleteItemFromHistory(void*, WinRtBool*) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetHistoryItemAsContent(void*, int*) = 0;
  virtual HRESULT STDMETHODCALLTYPE IsHistoryEnabled(WinRtBool* result) = 0;
};
constexpr IID kIidClipboardStatics2 = {
    0xd2ac1b6a, 0xd29f, 0x554b, {0xb3, 0x03, 0xf0, 0x45, 0x23, 0x45, 0xfe, 0x02}};
constexpr wchar_t kClipboardClass[] = L"Windows.ApplicationModel.DataTransfer.Clipboard";

// The Windows Runtime entry points of combase.dll (Windows 8 and later), looked up by name.
using RoInitializeFn = HRESULT(WINAPI*)(int);
using RoUninitializeFn = void(WINAPI*)();
using RoGetActivationFactoryFn = HRESULT(WINAPI*)(void*, REFIID, void**);
using CreateStringFn = HRESULT(WINAPI*)(LPCWSTR, UINT32, void**);
using DeleteStringFn = HRESULT(WINAPI*)(void*);

// The history's calls, or null where the system has none (before Windows 10 1809, and under
// Wine, which registers no such class).
IClipboardStatics2* ClipboardHistoryCalls(const Module& combase) {
  const auto factoryOf = combase.Get<RoGetActivationFactoryFn>("RoGetActivationFactory");
  const auto create = combase.Get<CreateStringFn>("WindowsCreateString");
  const auto remove = combase.Get<DeleteStringFn>("WindowsDeleteString");
  if (!factoryOf || !create || !remove) return nullptr;
  void* name = nullptr;
  if (FAILED(create(kClipboardClass, UINT32(std::size(kClipboardClass) - 1), &name)))
    return nullptr;
  void* calls = nullptr;
  if (FAILED(factoryOf(name, kIidClipboardStatics2, &calls))) calls = nullptr;
  remove(name);
  return static_cast<IClipboardStatics2*>(calls);
}
}  // namespace

void ClearEventLogs(ReportContext& ctx) {
  const Module wevtapi("wevtapi.dll");
  const auto open = wevtapi.Get<OpenChannelEnumFn>("EvtOpenChannelEnum");
  const auto next = wevtapi.Get<NextChannelPathFn>("EvtNextChannelPath");
  const auto clear = wevtapi.Get<ClearLogFn>("EvtClearLog");
  const auto close = wevtapi.Get<CloseFn>("EvtClose");
  const bool found = open && next && clear && close;
  SetLastError(0);
  const EvtHandle list = found ? open(nullptr, 0) : nullptr;
  if (!list) {
    Say(ctx, EventListingLine(found, false, GetLastError()));
    return;
  }
  const std::vector<std::wstring> channels = ChannelNames(next, list);
  close(list);
  long long cleared = 0;
  for (const std::wstring& channel : channels) {
    if (ctx.Cancelled()) return;
    const bool preview = ctx.State().preview;
    const DWORD error = preview || clear(nullptr, channel.c_str(), nullptr, 0) ? 0 : GetLastError();
    const ChannelLine line = EventChannelLine(Narrow(channel), error, preview);
    Say(ctx, line.line, line.always);
    if (error == 0) ++cleared;
    ctx.CountItem();
    ctx.View().PumpMessages();
  }
  ctx.AddReportLine("  Purge \"Event Logs\" Function Completed.  " +
                    CountPhrase(cleared, "Log", "Logs") +
                    (ctx.State().preview ? "to clear." : "cleared."));
}

void FlushDnsCache(ReportContext& ctx) {
  using FlushFn = BOOL(WINAPI*)();
  const Module dnsapi("dnsapi.dll");
  const auto flush = dnsapi.Get<FlushFn>("DnsFlushResolverCache");
  const bool preview = ctx.State().preview;
  // Wine's call is a stub: it is not made there at all.
  const bool wine = RunningUnderWine();
  const bool flushed = flush && !wine && !preview && flush();
  Say(ctx, DnsFlushLine(flush != nullptr, wine, preview, flushed));
  ctx.CountItem();
}

void ClearClipboardHistory(ReportContext& ctx) {
  const Module combase("combase.dll");
  const auto init = combase.Get<RoInitializeFn>("RoInitialize");
  const auto uninit = combase.Get<RoUninitializeFn>("RoUninitialize");
  // A thread of the program's that already joined COM in another model keeps it; the calls
  // answer from any.
  const bool joined = init && uninit && SUCCEEDED(init(0));
  IClipboardStatics2* calls = ClipboardHistoryCalls(combase);
  WinRtBool enabled = false, cleared = false;
  bool callOk = false;
  if (calls) {
    if (FAILED(calls->IsHistoryEnabled(&enabled))) enabled = true;  // let the clearing say
    if (enabled && !ctx.State().preview) callOk = SUCCEEDED(calls->ClearHistory(&cleared));
    calls->Release();
  }
  if (joined) uninit();
  Say(ctx, ClipHistoryLine(calls != nullptr, enabled, ctx.State().preview, callOk, cleared));
  ctx.CountItem();
}
