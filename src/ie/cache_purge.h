#pragma once
#include "core/report_context.h"
#include "ie/cache_enumerator.h"

// The Internet Explorer cache index purge: cookies, cached pages, visited addresses, user data
// and DOM storage, each a normal-mode pass in this process and, on Vista and later, a
// protected-mode pass through the URL server.

// What one option carries across its passes.
struct IeOptionRun {
  long entries = 0;     // entries counted by both passes together
  long randomized = 0;  // cookies kept with a scrambled value
  // The no-protection question of an empty keep list: asked at most once per "I.E. Cookies".
  enum class Answer { NotAsked, Continue, Bypass, Bypassed } answer = Answer::NotAsked;
};

// The full path of an index entry's local file when it lies inside the folder of its kind
// (codes 1-5, 101-105); empty when it does not. Whatever deletes or rewrites a file the shared
// record names asks it first.
std::string CheckedLocalFile(const std::string& localFile, int code);

// One pass over one kind (codes 1-5, 101-105).
void PurgeCacheKind(ReportContext& ctx, const CacheAccess& access, int code, IeOptionRun& run);

// The option bodies over a given index access, and over the program's URL server link.
void PurgeIeCookies(ReportContext& ctx, const CacheAccess& access);
void PurgeIeCache(ReportContext& ctx, const CacheAccess& access);
void PurgeIeVisited(ReportContext& ctx, const CacheAccess& access);
void PurgeIeUserData(ReportContext& ctx, const CacheAccess& access);
void PurgeIeDomStore(ReportContext& ctx, const CacheAccess& access);
void PurgeIeCookies(ReportContext& ctx);
void PurgeIeCache(ReportContext& ctx);
void PurgeIeVisited(ReportContext& ctx);
void PurgeIeUserData(ReportContext& ctx);
void PurgeIeDomStore(ReportContext& ctx);

// The header of a Detail report's entry lines.
inline constexpr const char* kEntryHeaderLine =
    "       Result  Type dd-hh:mm (age)   Cache Entry";
