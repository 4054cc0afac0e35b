#include "cookies/keep_list.h"

#include <algorithm>
#include <climits>
#include <queue>
#include <unordered_map>
#include <utility>

#include "core/text_util.h"

namespace {
enum class Form { Other, AStar, PStar, RStar, PExact, RExact };

Form FormOf(std::string_view e) {
  if (StartsWith(e, "a=*")) return Form::AStar;
  if (StartsWith(e, "p=*")) return Form::PStar;
  if (StartsWith(e, "p=")) return Form::PExact;
  if (StartsWith(e, "r=*")) return Form::RStar;
  if (StartsWith(e, "r=")) return Form::RExact;
  return Form::Other;
}

// Every "part of host" pattern searched in one pass over the host text (Aho-Corasick), so
// that a list of thousands of entries costs one scan per address, not one search per entry.
// Each state knows the lowest entry index among the patterns that end there, once over all
// three forms and once over "a=*" alone (the only form that modes other than 1 accept).
class PatternScanner {
 public:
  void Add(std::string_view pattern, int index, bool always) {
    int node = 0;
    for (unsigned char c : pattern) {
      int next = Child(node, c);
      if (next < 0) {
        next = static_cast<int>(nodes_.size());
        nodes_[node].children.push_back({c, next});
        nodes_.emplace_back();
      }
      node = next;
    }
    Node& n = nodes_[node];
    n.firstAny = std::min(n.firstAny, index);
    if (always) n.firstAlways = std::min(n.firstAlways, index);
  }

  void Build() {
    std::queue<int> order;
    for (auto [c, child] : nodes_[0].children) {
      nodes_[child].fail = 0;
      order.push(child);
    }
    while (!order.empty()) {
      int node = order.front();
      order.pop();
      for (auto [c, child] : nodes_[node].children) {
        int f = nodes_[node].fail;
        while (f > 0 && Child(f, c) < 0) f = nodes_[f].fail;
        int target = Child(f, c);
        nodes_[child].fail = target >= 0 && target != child ? target : 0;
        // A pattern that ends at the failure state also ends here.
        const Node& fail = nodes_[nodes_[child].fail];
        nodes_[child].firstAny = std::min(nodes_[child].firstAny, fail.firstAny);
        nodes_[child].firstAlways = std::min(nodes_[child].firstAlways, fail.firstAlways);
        order.push(child);
      }
    }
  }

  // Lowest entry index whose pattern occurs in the text; INT_MAX for none.
  int First(std::string_view text, bool alwaysOnly) const {
    if (nodes_.size() == 1) return INT_MAX;
    int best = INT_MAX, node = 0;
    for (unsigned char c : text) {
      int next;
      while ((next = Child(node, c)) < 0 && node > 0) node = nodes_[node].fail;
      node = next < 0 ? 0 : next;
      best = std::min(best, alwaysOnly ? nodes_[node].firstAlways : nodes_[node].firstAny);
    }
    return best;
  }

 private:
  struct Node {
    std::vector<std::pair<unsigned char, int>> children;
    int fail = 0;
    int firstAny = INT_MAX;
    int firstAlways = INT_MAX;
  };
  int Child(int node, unsigned char c) const {
    for (auto [k, child] : nodes_[node].children)
      if (k == c) return child;
    return -1;
  }
  std::vector<Node> nodes_{1};
};

void AddFirst(std::unordered_map<std::string, int>& map, std::string key, int index) {
  map.emplace(std::move(key), index);  // keeps the earlier, lower index
}

int FindIn(const std::unordered_map<std::string, int>& map, const std::string& key) {
  auto it = map.find(key);
  return it == map.end() ? INT_MAX : it->second;
}
}  // namespace

// Built from the sorted entries at the first lookup after a change. The scan order of the
// list (first match wins) becomes "lowest index among the matching entries".
struct KeepList::Index {
  std::unordered_map<std::string, int> firefox;  // remainder after "p="/"r=", or whole entry
  std::unordered_map<std::string, int> ieProtect, ieRandomize;  // "p=" / "r=" addresses
  // Modes 2 and 3 compare every "p=" entry whole, "p=*" ones too (as literal text).
  std::unordered_map<std::string, int> ieProtectLiteral;
  PatternScanner parts;
  std::vector<Form> forms;
};

KeepList::KeepList() = default;
KeepList::KeepList(std::string p) : path(std::move(p)) {}
KeepList::~KeepList() = default;
void KeepList::Changed() { index_.reset(); }

bool KeepEntryLess(const std::string& a, const std::string& b) { return a < b; }

bool KeepList::Add(std::string_view entry) {
  std::string e = LowerCase(entry);
  auto at = std::lower_bound(entries_.begin(), entries_.end(), e, KeepEntryLess);
  if (at != entries_.end() && *at == e) return false;
  entries_.insert(at, std::move(e));
  Changed();
  return true;
}

void KeepList::RemoveAt(int index) {
  if (index < 0 || index >= Count()) return;
  entries_.erase(entries_.begin() + index);
  Changed();
}

void KeepList::ReplaceEntries(std::vector<std::string> lines) {
  entries_.clear();
  for (const auto& l : lines) Add(l);
  modified = true;
  Changed();
}

bool KeepList::TakeFileLines(std::vector<std::string> lines) {
  bool changed = NormalizeKeepList(lines);
  entries_ = std::move(lines);
  Changed();
  return changed;
}

void KeepList::Clear() {
  entries_.clear();
  Changed();
}

const KeepList::Index& KeepList::Indexed() const {
  if (index_) return *index_;
  auto ix = std::make_unique<Index>();
  ix->forms.reserve(entries_.size());
  for (int i = 0; i < Count(); ++i) {
    const std::string& e = entries_[i];
    Form f = FormOf(e);
    ix->forms.push_back(f);
    const bool pr = f == Form::PExact || f == Form::RExact || f == Form::PStar || f == Form::RStar;
    AddFirst(ix->firefox, pr ? e.substr(2) : e, i);
    if (f == Form::PExact || f == Form::PStar) AddFirst(ix->ieProtectLiteral, e.substr(2), i);
    switch (f) {
      case Form::PExact: AddFirst(ix->ieProtect, e.substr(2), i); break;
      case Form::RExact: AddFirst(ix->ieRandomize, e.substr(2), i); break;
      case Form::AStar:
      case Form::PStar:
      case Form::RStar:
        // An empty pattern matches nothing.
        if (e.size() > 3) ix->parts.Add(std::string_view(e).substr(3), i, f == Form::AStar);
        break;
      case Form::Other: break;
    }
  }
  ix->parts.Build();
  index_ = std::move(ix);
  return *index_;
}

// Firefox compares the whole host: "p=" and "r=" are dropped, any other entry is compared as
// it stands, so a "p=*x" entry only matches a host that is literally "*x".
KeepMatch KeepList::FindFirefoxEntry(std::string_view host) const {
  KeepMatch m;
  const int i = FindIn(Indexed().firefox, LowerCase(host));
  if (i == INT_MAX) return m;
  m.found = true;
  m.index = i;
  m.code = StartsWith(entries_[i], "r=") ? 'R' : 'P';
  return m;
}

// A site's logins usually live in its domain cookies: the entry for the site keeps them too.
KeepMatch KeepList::LookupFirefoxHost(std::string_view host) const {
  const KeepMatch own = FindFirefoxEntry(host);
  if (own.found) return own;
  const std::string_view site = HostCoveringDomainCookie(host);
  return site.empty() ? own : FindFirefoxEntry(site);
}

std::string_view HostCoveringDomainCookie(std::string_view host) {
  if (host.size() < 2 || host[0] != '.' || host[1] == '.') return {};
  return host.substr(1);
}

// Mode 1 (cookies, user data, DOM store) accepts every form; modes 2 and 3 (cache, visited)
// accept "a=*" and "p="; any other mode only "a=*". When nothing matches the index is that
// of the last entry examined, as a scan of the whole list would leave it.
KeepMatch KeepList::LookupIeAddress(std::string_view address, int mode) const {
  KeepMatch m;
  m.index = Count() - 1;
  if (entries_.empty()) return m;
  const Index& ix = Indexed();
  const std::string ul = LowerCase(address);
  const std::string host = ExtractCookieHost(ul);
  int best = ix.parts.First(host, mode != kIeCookieMode);
  if (mode == kIeCookieMode) {
    best = std::min(best, FindIn(ix.ieProtect, ul));
    best = std::min(best, FindIn(ix.ieRandomize, ul));
  } else if (mode == kIeCacheMode || mode == kIeVisitedMode) {
    best = std::min(best, FindIn(ix.ieProtectLiteral, ul));
  }
  if (best == INT_MAX) return m;
  m.found = true;
  m.index = best;
  const Form f = ix.forms[best];
  m.code = f == Form::RStar || f == Form::RExact ? 'R' : 'P';
  return m;
}

bool NormalizeKeepList(std::vector<std::string>& lines) {
  bool changed = false;
  for (size_t i = lines.size(); i-- > 0;) {
    std::string& line = lines[i];
    line = LowerCase(line);
    if (line.size() <= 1 || line[1] == '=') continue;
    if (StartsWith(line, "protect file"))
      lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
    else
      line = "p=" + line;
    changed = true;
  }
  std::stable_sort(lines.begin(), lines.end(), KeepEntryLess);
  return changed;
}

std::string ExtractCookieHost(std::string_view address) {
  size_t at = address.find('@');
  if (at != std::string_view::npos) address.remove_prefix(at + 1);
  size_t cut = address.find('?');
  if (cut == std::string_view::npos) cut = address.find('#');
  return std::string(address.substr(0, cut));
}

std::string ScrambleCookieValue(std::string_view value, const std::function<int(int)>& random) {
  std::string out(value);
  for (char& ch : out) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if ((c >= 'a' && c <= 'm') || (c >= 'A' && c <= 'M'))
      ch = static_cast<char>(c + random(13));
    else if ((c >= 'n' && c <= 'z') || (c >= 'N' && c <= 'Z'))
      ch = static_cast<char>(c - random(13));
    else if (c >= '0' && c <= '4')
      ch = static_cast<char>(c + random(5));
    else if (c >= '5' && c <= '9')
      ch = static_cast<char>(c - random(5));
  }
  return out;
}

namespace {
// The address part of an editor entry: from the third character, at most 255 characters.
std::string EntryAddress(const std::string& entry) { return entry.substr(2, 255); }
}  // namespace

ProtEntryAdd AddProtEntry(std::vector<std::string>& entries, const std::string& typed) {
  const std::string e = LowerCase(typed);
  if (!StartsWith(e, "p=") && !StartsWith(e, "r=")) return ProtEntryAdd::BadPrefix;
  if (std::find(entries.begin(), entries.end(), e) != entries.end())
    return ProtEntryAdd::AlreadyPresent;
  const std::string address = EntryAddress(e);
  std::erase_if(entries, [&](const std::string& x) {
    return x.size() >= 2 && EntryAddress(LowerCase(x)) == address;
  });
  entries.insert(std::lower_bound(entries.begin(), entries.end(), e, KeepEntryLess), e);
  return ProtEntryAdd::Added;
}

bool DeleteProtEntry(std::vector<std::string>& entries, const std::string& typed) {
  const std::string e = LowerCase(typed);
  auto at = std::find(entries.begin(), entries.end(), e);
  if (at == entries.end()) return false;
  entries.erase(at);
  return true;
}
