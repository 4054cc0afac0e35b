#include "platform/sqlite_wine_io.h"

#include <windows.h>

#include <cstring>

#include "sqlite3.h"

// Under Wine a ReadFile or WriteFile given its offset in an OVERLAPPED structure, as SQLite's
// Windows layer always does, costs a trip to the Wine server: about 45 microseconds a call
// here, against 2 for moving the file pointer and reading. A purge of a large profile makes
// a hundred thousand such calls. So under Wine, and only there, the databases are opened
// through a thin layer over SQLite's own: every call goes to SQLite's file as before, except
// that page reads and writes move the file pointer of SQLite's own handle and read or write
// there. Locking, syncing, truncation, shared memory and the journal logic stay SQLite's.
// A read or write that fails this way is handed to SQLite's own, which retries and reports
// the error as it always does. On Windows nothing here is installed.
namespace {
constexpr const char* kShimName = "quorvane-wine";

// One layer for each SQLite in the process: Firefox's module and the one compiled in.
constexpr int kMaxLayers = 2;
sqlite3_vfs g_layers[kMaxLayers] = {};
int g_layerCount = 0;
sqlite3_vfs* Real(sqlite3_vfs* layer) { return static_cast<sqlite3_vfs*>(layer->pAppData); }

// Our file: SQLite's file of the real layer follows it in the same allocation, aligned for
// the 64-bit members it holds.
struct alignas(8) ShimFile {
  sqlite3_file base;             // its methods: ours
  const sqlite3_io_methods* real;
  HANDLE handle;                 // SQLite's own handle, or null when it would not say
  sqlite3_file* Real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
};
ShimFile* Shim(sqlite3_file* f) { return reinterpret_cast<ShimFile*>(f); }

bool Seek(HANDLE h, sqlite3_int64 offset) {
  LARGE_INTEGER to;
  to.QuadPart = offset;
  return SetFilePointerEx(h, to, nullptr, FILE_BEGIN) != 0;
}

int ShimRead(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
  ShimFile* s = Shim(f);
  DWORD got = 0;
  if (!s->handle || !Seek(s->handle, offset) ||
      !ReadFile(s->handle, buffer, static_cast<DWORD>(amount), &got, nullptr))
    return s->real->xRead(s->Real(), buffer, amount, offset);
  if (got < static_cast<DWORD>(amount)) {
    // What SQLite's own read does at the end of the file: the rest reads as zeros.
    std::memset(static_cast<char*>(buffer) + got, 0, amount - got);
    return SQLITE_IOERR_SHORT_READ;
  }
  return SQLITE_OK;
}

int ShimWrite(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset) {
  ShimFile* s = Shim(f);
  DWORD put = 0;
  if (s->handle && Seek(s->handle, offset) &&
      WriteFile(s->handle, buffer, static_cast<DWORD>(amount), &put, nullptr) &&
      put == static_cast<DWORD>(amount))
    return SQLITE_OK;
  return s->real->xWrite(s->Real(), buffer, amount, offset);
}

int ShimClose(sqlite3_file* f) { return Shim(f)->real->xClose(Shim(f)->Real()); }
int ShimTruncate(sqlite3_file* f, sqlite3_int64 size) {
  return Shim(f)->real->xTruncate(Shim(f)->Real(), size);
}
int ShimSync(sqlite3_file* f, int flags) { return Shim(f)->real->xSync(Shim(f)->Real(), flags); }
int ShimFileSize(sqlite3_file* f, sqlite3_int64* size) {
  return Shim(f)->real->xFileSize(Shim(f)->Real(), size);
}
int ShimLock(sqlite3_file* f, int level) { return Shim(f)->real->xLock(Shim(f)->Real(), level); }
int ShimUnlock(sqlite3_file* f, int level) {
  return Shim(f)->real->xUnlock(Shim(f)->Real(), level);
}
int ShimCheckReservedLock(sqlite3_file* f, int* out) {
  return Shim(f)->real->xCheckReservedLock(Shim(f)->Real(), out);
}
int ShimFileControl(sqlite3_file* f, int op, void* arg) {
  return Shim(f)->real->xFileControl(Shim(f)->Real(), op, arg);
}
int ShimSectorSize(sqlite3_file* f) { return Shim(f)->real->xSectorSize(Shim(f)->Real()); }
int ShimDeviceCharacteristics(sqlite3_file* f) {
  return Shim(f)->real->xDeviceCharacteristics(Shim(f)->Real());
}
int ShimShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** out) {
  return Shim(f)->real->xShmMap(Shim(f)->Real(), region, size, extend, out);
}
int ShimShmLock(sqlite3_file* f, int offset, int n, int flags) {
  return Shim(f)->real->xShmLock(Shim(f)->Real(), offset, n, flags);
}
void ShimShmBarrier(sqlite3_file* f) { Shim(f)->real->xShmBarrier(Shim(f)->Real()); }
int ShimShmUnmap(sqlite3_file* f, int deleteFlag) {
  return Shim(f)->real->xShmUnmap(Shim(f)->Real(), deleteFlag);
}
int ShimFetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
  return Shim(f)->real->xFetch(Shim(f)->Real(), offset, amount, out);
}
int ShimUnfetch(sqlite3_file* f, sqlite3_int64 offset, void* p) {
  return Shim(f)->real->xUnfetch(Shim(f)->Real(), offset, p);
}

// One table per version of the methods SQLite's file offers: SQLite decides by the version
// whether the shared-memory and memory-mapping calls exist.
constexpr sqlite3_io_methods MethodsOfVersion(int version) {
  return {version,        ShimClose,        ShimRead,         ShimWrite,
          ShimTruncate,   ShimSync,         ShimFileSize,     ShimLock,
          ShimUnlock,     ShimCheckReservedLock, ShimFileControl, ShimSectorSize,
          ShimDeviceCharacteristics, ShimShmMap, ShimShmLock, ShimShmBarrier,
          ShimShmUnmap,   ShimFetch,        ShimUnfetch};
}
const sqlite3_io_methods kMethods[] = {MethodsOfVersion(1), MethodsOfVersion(2),
                                       MethodsOfVersion(3)};

int ShimOpen(sqlite3_vfs* layer, sqlite3_filename name, sqlite3_file* f, int flags,
             int* outFlags) {
  ShimFile* s = Shim(f);
  s->base.pMethods = nullptr;
  int rc = Real(layer)->xOpen(Real(layer), name, s->Real(), flags, outFlags);
  const sqlite3_io_methods* real = s->Real()->pMethods;
  if (!real) return rc;  // nothing to close: SQLite's own open left no file
  s->real = real;
  s->handle = nullptr;
  if (real->xFileControl(s->Real(), SQLITE_FCNTL_WIN32_GET_HANDLE, &s->handle) != SQLITE_OK ||
      s->handle == INVALID_HANDLE_VALUE)
    s->handle = nullptr;
  const int version = real->iVersion < 1 ? 1 : (real->iVersion > 3 ? 3 : real->iVersion);
  s->base.pMethods = &kMethods[version - 1];
  return rc;
}

int ShimDelete(sqlite3_vfs* v, const char* name, int syncDir) {
  return Real(v)->xDelete(Real(v), name, syncDir);
}
int ShimAccess(sqlite3_vfs* v, const char* name, int flags, int* out) {
  return Real(v)->xAccess(Real(v), name, flags, out);
}
int ShimFullPathname(sqlite3_vfs* v, const char* name, int size, char* out) {
  return Real(v)->xFullPathname(Real(v), name, size, out);
}
void* ShimDlOpen(sqlite3_vfs* v, const char* name) { return Real(v)->xDlOpen(Real(v), name); }
void ShimDlError(sqlite3_vfs* v, int size, char* out) { Real(v)->xDlError(Real(v), size, out); }
void (*ShimDlSym(sqlite3_vfs* v, void* handle, const char* symbol))(void) {
  return Real(v)->xDlSym(Real(v), handle, symbol);
}
void ShimDlClose(sqlite3_vfs* v, void* handle) { Real(v)->xDlClose(Real(v), handle); }
int ShimRandomness(sqlite3_vfs* v, int size, char* out) {
  return Real(v)->xRandomness(Real(v), size, out);
}
int ShimSleep(sqlite3_vfs* v, int microseconds) { return Real(v)->xSleep(Real(v), microseconds); }
int ShimCurrentTime(sqlite3_vfs* v, double* out) { return Real(v)->xCurrentTime(Real(v), out); }
int ShimGetLastError(sqlite3_vfs* v, int size, char* out) {
  return Real(v)->xGetLastError ? Real(v)->xGetLastError(Real(v), size, out) : 0;
}
int ShimCurrentTimeInt64(sqlite3_vfs* v, sqlite3_int64* out) {
  return Real(v)->xCurrentTimeInt64(Real(v), out);
}

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}
}  // namespace

bool InstallWineFileIo(const SqliteExportLookup& lookup) {
  if (!UnderWine()) return false;
  using FindFn = sqlite3_vfs*(__cdecl*)(const char*);
  using RegisterFn = int(__cdecl*)(sqlite3_vfs*, int);
  auto find = reinterpret_cast<FindFn>(lookup("sqlite3_vfs_find"));
  auto reg = reinterpret_cast<RegisterFn>(lookup("sqlite3_vfs_register"));
  if (!find || !reg) return false;
  sqlite3_vfs* real = find(nullptr);
  if (!real) return false;
  if (std::strcmp(real->zName, kShimName) == 0) return true;  // this SQLite has it already
  if (real->iVersion < 2 || g_layerCount == kMaxLayers) return false;
  sqlite3_vfs& layer = g_layers[g_layerCount];
  layer.iVersion = 2;
  layer.szOsFile = static_cast<int>(sizeof(ShimFile)) + real->szOsFile;
  layer.mxPathname = real->mxPathname;
  layer.zName = kShimName;
  layer.pAppData = real;
  layer.xOpen = ShimOpen;
  layer.xDelete = ShimDelete;
  layer.xAccess = ShimAccess;
  layer.xFullPathname = ShimFullPathname;
  layer.xDlOpen = real->xDlOpen ? ShimDlOpen : nullptr;
  layer.xDlError = real->xDlError ? ShimDlError : nullptr;
  layer.xDlSym = real->xDlSym ? ShimDlSym : nullptr;
  layer.xDlClose = real->xDlClose ? ShimDlClose : nullptr;
  layer.xRandomness = ShimRandomness;
  layer.xSleep = ShimSleep;
  layer.xCurrentTime = ShimCurrentTime;
  layer.xGetLastError = ShimGetLastError;
  layer.xCurrentTimeInt64 = real->xCurrentTimeInt64 ? ShimCurrentTimeInt64 : nullptr;
  if (reg(&layer, 1) != SQLITE_OK) return false;
  ++g_layerCount;
  return true;
}

const char* WineFileIoName() { return kShimName; }
