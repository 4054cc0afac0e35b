#include "ie/url_cache.h"

#include <wininet.h>

#include "ie/cache_rules.h"
#include "platform/url_cache_containers.h"

namespace {
constexpr DWORD kEntryBufferSize = 4096;
constexpr DWORD kContainerBufferSize = 1024;
constexpr DWORD kAllEntryTypes = 0xFFFFFFFF;

INTERNET_CACHE_ENTRY_INFOA* AsEntry(std::vector<char>& b) {
  return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(b.data());
}

std::string OrEmpty(const char* s) { return s ? s : ""; }

HANDLE FindFirstPlain(const std::string& pattern, std::vector<char>& buffer, DWORD& error) {
  DWORD size = static_cast<DWORD>(buffer.size());
  HANDLE h = FindFirstUrlCacheEntryA(pattern.c_str(), AsEntry(buffer), &size);
  error = h ? 0 : GetLastError();
  if (!h && error == ERROR_INSUFFICIENT_BUFFER) {
    buffer.assign(size, 0);
    h = FindFirstUrlCacheEntryA(pattern.c_str(), AsEntry(buffer), &size);
    error = h ? 0 : GetLastError();
  }
  return h;
}

// Whether this process's Ex enumeration is a stub, decided once by one probe. Wine's
// FindFirstUrlCacheEntryExA is one (it answers error 2, its Next no error at all); there the
// plain calls, which Wine implements, stand in for the prefixes they are documented for. On
// Windows the Ex calls are always used.
bool ExCallsAreStubs() {
  static EnumerationChoice choice;
  return choice.ExIsStub([] {
    std::vector<char> buffer(kEntryBufferSize);
    DWORD size = static_cast<DWORD>(buffer.size());
    SetLastError(0);
    HANDLE h = FindFirstUrlCacheEntryExA(nullptr, 0, kAllEntryTypes, 0, AsEntry(buffer), &size,
                                         nullptr, nullptr, nullptr);
    const DWORD error = h ? 0 : GetLastError();
    if (h) FindCloseUrlCache(h);
    // The URL server links no platform layer: Wine is known by its own export.
    const bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version");
    return ExProbe{h != nullptr || error == ERROR_INSUFFICIENT_BUFFER, error, wine};
  });
}

// One enumeration: the Ex calls, or the plain ones where the Ex calls are stubs. A prefix the
// plain calls are not documented for is not enumerated at all: their pattern could select
// another container, whose entries the pass would then delete under the wrong option.
HANDLE FindFirst(const std::string& prefix, std::vector<char>& buffer, bool& plain, DWORD& error) {
  plain = ExCallsAreStubs();
  if (plain) {
    if (!PlainEnumerationServes(prefix)) {
      error = ERROR_CALL_NOT_IMPLEMENTED;
      return nullptr;
    }
    return FindFirstPlain(PlainContainerPrefix(prefix), buffer, error);
  }
  DWORD size = static_cast<DWORD>(buffer.size());
  HANDLE h = FindFirstUrlCacheEntryExA(prefix.c_str(), 0, kAllEntryTypes, 0, AsEntry(buffer), &size,
                                       nullptr, nullptr, nullptr);
  error = h ? 0 : GetLastError();
  if (!h && error == ERROR_INSUFFICIENT_BUFFER) {
    buffer.assign(size, 0);
    h = FindFirstUrlCacheEntryExA(prefix.c_str(), 0, kAllEntryTypes, 0, AsEntry(buffer), &size,
                                  nullptr, nullptr, nullptr);
    error = h ? 0 : GetLastError();
  }
  return h;
}

bool FindNext(HANDLE h, std::vector<char>& buffer, bool plain, DWORD& error) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    DWORD size = static_cast<DWORD>(buffer.size());
    SetLastError(0);
    BOOL ok = plain
                  ? FindNextUrlCacheEntryA(h, AsEntry(buffer), &size)
                  : FindNextUrlCacheEntryExA(h, AsEntry(buffer), &size, nullptr, nullptr, nullptr);
    error = ok ? 0 : GetLastError();
    if (ok || error != ERROR_INSUFFICIENT_BUFFER) return ok;
    buffer.assign(size, 0);
  }
  return false;
}
}  // namespace

std::string PlainContainerPrefix(const std::string& prefix) {
  return prefix == "*.*" ? std::string() : prefix;
}

std::string WinInetErrorText(DWORD code) {
  char* text = nullptr;
  DWORD flags =
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  HMODULE wininet = GetModuleHandleA("wininet.dll");
  if (wininet) flags |= FORMAT_MESSAGE_FROM_HMODULE;
  DWORD n = FormatMessageA(flags, wininet, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string s;
  if (n && text) {
    s.assign(text, n);
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ')) s.pop_back();
  }
  if (text) LocalFree(text);
  if (s.empty()) s = "Error-" + std::to_string(code) + " - (Unknown Error in Wininet Function).";
  return s;
}

WinInetCache::~WinInetCache() { Close(); }

EnumOutcome WinInetCache::Outcome(bool ok, DWORD error) {
  EnumOutcome o;
  if (ok) {
    const INTERNET_CACHE_ENTRY_INFOA* e = AsEntry(buffer_);
    o.found = true;
    o.entry.url = OrEmpty(e->lpszSourceUrlName);
    o.entry.localFile = OrEmpty(e->lpszLocalFileName);
    o.entry.entryType = e->CacheEntryType;
    o.entry.hitRate = e->dwHitRate;
    o.entry.sizeLow = e->dwSizeLow;
    o.entry.sizeHigh = e->dwSizeHigh;
    o.entry.accessLow = e->LastAccessTime.dwLowDateTime;
    o.entry.accessHigh = e->LastAccessTime.dwHighDateTime;
  } else if (error == ERROR_NO_MORE_ITEMS) {
    o.noMore = true;
    o.error = error;
  } else {
    o.failed = true;
    o.error = error;
    o.message = WinInetErrorText(error);
  }
  return o;
}

EnumOutcome WinInetCache::First(const std::string& prefix) {
  try {
    Close();
    buffer_.assign(kEntryBufferSize, 0);
    DWORD error = 0;
    find_ = FindFirst(prefix, buffer_, plainCalls_, error);
    return Outcome(find_ != nullptr, error);
  } catch (...) {
    return {false, false, true, url_record::kExceptionCode, "Exception in FindFirstUrlCacheEntry"};
  }
}

EnumOutcome WinInetCache::Next() {
  try {
    if (!find_) return Outcome(false, ERROR_NO_MORE_ITEMS);
    DWORD error = 0;
    bool ok = FindNext(find_, buffer_, plainCalls_, error);
    return Outcome(ok, error);
  } catch (...) {
    return {false, false, true, url_record::kExceptionCode, "Exception in FindNextUrlCacheEntry"};
  }
}

bool WinInetCache::Close() {
  bool ok = true;
  if (find_) ok = FindCloseUrlCache(find_) != FALSE;
  find_ = nullptr;
  buffer_.clear();
  buffer_.shrink_to_fit();
  return ok;
}

bool WinInetCache::DeleteEntry(const std::string& url, uint32_t& error) {
  BOOL ok = DeleteUrlCacheEntryA(url.c_str());
  error = ok ? 0 : GetLastError();
  return ok != FALSE;
}

long ClearDatedHistoryContainers(HistoryContainerSource& source) {
  long count = 0;
  std::string prefix;
  for (bool more = source.FirstContainer(prefix); more && !prefix.empty();
       more = source.NextContainer(prefix))
    if (IsDatedHistoryPrefix(prefix)) count += source.DeleteEntriesOf(prefix);
  source.CloseContainers();
  return count;
}

bool WinInetContainers::Take(bool ok, std::string& prefix) {
  prefix = ok ? OrEmpty(reinterpret_cast<QvCacheContainerInfoA*>(buffer_.data())->lpszCachePrefix)
              : std::string();
  return ok;
}

// Wine's container enumeration is a stub that finds none: there the list is empty.
bool WinInetContainers::FirstContainer(std::string& prefix) {
  CloseContainers();
  buffer_.assign(kContainerBufferSize, 0);
  auto info = [this] { return reinterpret_cast<QvCacheContainerInfoA*>(buffer_.data()); };
  DWORD size = kContainerBufferSize, modified = 0;
  find_ = FindFirstUrlCacheContainerA(&modified, info(), &size, 0);
  if (!find_ && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    buffer_.assign(size, 0);
    find_ = FindFirstUrlCacheContainerA(&modified, info(), &size, 0);
  }
  return Take(find_ != nullptr, prefix);
}

bool WinInetContainers::NextContainer(std::string& prefix) {
  if (!find_) return Take(false, prefix);
  auto info = [this] { return reinterpret_cast<QvCacheContainerInfoA*>(buffer_.data()); };
  DWORD size = static_cast<DWORD>(buffer_.size());
  if (FindNextUrlCacheContainerA(find_, info(), &size)) return Take(true, prefix);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return Take(false, prefix);
  buffer_.assign(size, 0);
  size = static_cast<DWORD>(buffer_.size());
  return Take(FindNextUrlCacheContainerA(find_, info(), &size) != FALSE, prefix);
}

void WinInetContainers::CloseContainers() {
  if (find_) FindCloseUrlCache(find_);
  find_ = nullptr;
}

long WinInetContainers::DeleteEntriesOf(const std::string& prefix) {
  long count = 0;
  std::vector<char> entries(kEntryBufferSize);
  bool plain = false;
  DWORD error = 0;
  if (HANDLE h = FindFirst(prefix, entries, plain, error)) {
    do {
      if (const char* url = AsEntry(entries)->lpszSourceUrlName)
        if (DeleteUrlCacheEntryA(url)) ++count;
    } while (FindNext(h, entries, plain, error));
    FindCloseUrlCache(h);
  }
  return count;
}

// Deletes every entry of the dated history containers (the daily and weekly history).
HistoryOutcome WinInetCache::ClearHistoryContainers() {
  HistoryOutcome out;
  try {
    WinInetContainers containers;
    out.count = ClearDatedHistoryContainers(containers);
  } catch (...) {
    out.failed = true;
    out.error = url_record::kExceptionCode;
    out.message = "Exception in ClearHistoryContainers";
  }
  return out;
}
