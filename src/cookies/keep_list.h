#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The cookie keep list of one browser: the cookies a purge must leave ("p=") or keep with a
// scrambled value ("r="). Pure logic; the file side is in keep_list_files.h.
//
// Entry forms, chosen by the first characters of a line (the rest is the pattern):
//   "p=" address    keep the cookie with exactly this address
//   "r=" address    keep it, scrambling its value
//   "p=*" part      keep every cookie whose host part contains the text (IE only)
//   "r=*" part      randomize every cookie whose host part contains the text (IE only)
//   "a=*" part      keep every IE entry of any kind whose host part contains the text

// What a lookup answers: the matching entry's index in the sorted list and its code,
// 'P' (keep), 'R' (randomize) or ' ' (no match).
struct KeepMatch {
  bool found = false;
  int index = -1;
  char code = ' ';
};

// Match modes of LookupIeAddress: the kind of cache-index entry being purged.
enum IeMatchMode : int {
  kIeCookieMode = 1,   // cookies, user data, DOM store: every form
  kIeCacheMode = 2,    // cache entries: "a=*" and "p="
  kIeVisitedMode = 3,  // visited URLs: "a=*" and "p="
};

class KeepList {
 public:
  KeepList();
  explicit KeepList(std::string path);
  ~KeepList();
  KeepList(const KeepList&) = delete;
  KeepList& operator=(const KeepList&) = delete;

  std::string path;
  bool loaded = true;     // false when the file could not be read: it is never written back
  bool modified = false;  // the in-memory list differs from the file

  const std::vector<std::string>& Entries() const { return entries_; }
  int Count() const { return static_cast<int>(entries_.size()); }
  // Adds the lower-cased entry in its sorted place; false (and no change) when present.
  bool Add(std::string_view entry);
  void RemoveAt(int index);
  // Replaces every entry (the editor's result), lower-cased and sorted; marks the list modified.
  void ReplaceEntries(std::vector<std::string> lines);
  // Takes the lines of a file as they are read: normalised and sorted; true when normalising
  // changed them (the file then wants rewriting). Duplicates read from a file are kept.
  bool TakeFileLines(std::vector<std::string> lines);
  void Clear();

  // What a Firefox or Chromium cookie purge does with a host: the entry written for it, or for
  // a host with a leading dot (a domain cookie, ".example.com") the entry of the same host
  // without the dot. An entry written with the dot covers only that form.
  KeepMatch LookupFirefoxHost(std::string_view host) const;
  // The entry written for exactly this host, as the cookie window edits it.
  KeepMatch FindFirefoxEntry(std::string_view host) const;
  KeepMatch LookupIeAddress(std::string_view address, int mode) const;

 private:
  struct Index;
  const Index& Indexed() const;
  void Changed();
  std::vector<std::string> entries_;
  mutable std::unique_ptr<Index> index_;
};

// The host whose entry also covers a domain cookie's host: ".example.com" gives "example.com";
// "" for a host without a leading dot, or with two.
std::string_view HostCoveringDomainCookie(std::string_view host);

// Lower-cases every line, turns a bare address of an old file into "p=" + address, drops the
// "protect file..." header lines of old files, and sorts. True when a line was rewritten or
// dropped (lower-casing alone does not count).
bool NormalizeKeepList(std::vector<std::string>& lines);

// The host part of an IE address: what follows the first '@' (the whole text when there is
// none), cut before the first '?' or, failing that, before the first '#'. The path stays.
std::string ExtractCookieHost(std::string_view address);

// The randomize rule: each letter and digit moves at random within its own class, keeping
// case, length and every other character. random(n) answers 0..n-1.
std::string ScrambleCookieValue(std::string_view value, const std::function<int(int)>& random);

// Sorted order of keep-list entries (plain byte order of the lower-cased lines).
bool KeepEntryLess(const std::string& a, const std::string& b);

// The keep-list editor's typed entry. What "Add" does with it: the entry must begin with
// "p=" or "r="; a verbatim duplicate is not added; another entry for the same address
// (compared from the third character, at most 255 characters) is replaced.
enum class ProtEntryAdd { Added, AlreadyPresent, BadPrefix };
ProtEntryAdd AddProtEntry(std::vector<std::string>& entries, const std::string& typed);
// "Delete": the lower-cased text must equal an entry; false when none does.
bool DeleteProtEntry(std::vector<std::string>& entries, const std::string& typed);
