#include "cookies/site_rules.h"

#include "core/text_util.h"

namespace {
// An IP address pattern: each run of digits, '*' and '-' counts as one part, and the parts are
// four, separated by single dots (wildcard and range forms of IE's own decisions included).
bool IsIpPattern(std::string_view host) {
  std::string shape;
  bool inRun = false;
  for (char c : host) {
    const bool part = (c >= '0' && c <= '9') || c == '*' || c == '-';
    if (part) {
      if (!inRun) shape += '#';
    } else {
      shape += c;
    }
    inRun = part;
  }
  return shape == "#.#.#.#";
}

bool IsHostCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}
}  // namespace

SiteDomain ExtractSiteDomain(std::string_view address) {
  SiteDomain r;
  std::string u(address);
  if (size_t at = u.find('@'); at != std::string::npos) u.erase(0, at + 1);
  u = LowerCase(u);
  bool schemeDropped = false;
  for (const char* scheme : {"http://", "https://", "ftp://", "file:///"})
    if (StartsWith(u, scheme)) {
      u.erase(0, std::string_view(scheme).size());
      schemeDropped = true;
      break;
    }
  if (!schemeDropped)
    if (size_t s = u.find("://"); s != std::string::npos) u.erase(0, s + 3);
  size_t cut = u.find('?');
  if (cut == std::string::npos) cut = u.find('#');
  if (cut != std::string::npos) u.erase(cut);
  if (size_t slash = u.find('/'); slash != std::string::npos) u.erase(slash);
  r.host = u;
  if (u.empty()) return r;
  if (IsIpPattern(u)) {
    r.found = true;
    r.domain = u;
    return r;
  }
  const size_t from = StartsWith(u, "*.") ? 2 : 0;
  for (size_t i = from; i < u.size(); ++i)
    if (!IsHostCharacter(u[i])) return r;

  // Labels from the right: T(op), S(econd), M(iddle), and the rest R with its dots.
  std::vector<std::string> parts;
  std::string rest = u;
  for (int k = 0; k < 3; ++k) {
    size_t dot = rest.rfind('.');
    if (dot == std::string::npos) {
      parts.push_back(rest);
      rest.clear();
      break;
    }
    parts.push_back(rest.substr(dot + 1));
    rest.erase(dot);
    if (k == 2) break;
  }
  const std::string t = parts.size() > 0 ? parts[0] : "";
  const bool hasS = parts.size() > 1, hasM = parts.size() > 2, hasR = !rest.empty();
  const std::string s = hasS ? parts[1] : "", m = hasM ? parts[2] : "";
  if (t.empty()) return r;
  if (t.size() > 2 || (t.size() == 2 && s.size() > 2)) {
    r.domain = hasS ? s + "." + t : t;
    if (hasM) r.subDomain = hasR ? rest + "." + m : m;
  } else {
    // Country domains with a short second label (co.uk, ac.jp) reach one label further.
    if (!hasM)
      r.domain = hasS ? s + "." + t : t;
    else
      r.domain = m + "." + s + "." + t;
    if (hasR) r.subDomain = rest;
  }
  if (r.subDomain.empty() && StartsWith(r.domain, "*.")) {
    r.domain.erase(0, 2);
    r.subDomain = "*";
  }
  r.found = true;
  return r;
}

std::string FirefoxHostKey(std::string_view host) {
  std::string key = LowerCase(host);
  if (!key.empty() && key[0] == '.') key.erase(0, 1);
  return key;
}

std::string FirefoxPermissionText(std::string_view value) {
  if (value == "1") return "Allow";
  if (value == "2") return "Block";
  if (value == "8") return "Session";
  return "";
}

std::string FirefoxPermissionValue(char action) {
  switch (action) {
    case 'A': return "1";
    case 'B': return "2";
    case 'S': return "8";
  }
  return "";
}

std::string OriginHostKey(std::string_view origin) {
  std::string o = LowerCase(origin);
  size_t start;
  if (StartsWith(o, "http://"))
    start = 7;
  else if (StartsWith(o, "https://"))
    start = 8;
  else
    return "";
  std::string host = o.substr(start);
  // Origin attributes (containers, private browsing) follow a caret; a port follows a colon.
  if (size_t caret = host.find('^'); caret != std::string::npos) host.erase(caret);
  if (size_t slash = host.find('/'); slash != std::string::npos) host.erase(slash);
  if (!host.empty() && host[0] == '[') {  // an IPv6 address keeps its colons
    if (size_t close = host.find(']'); close != std::string::npos) host.erase(close + 1);
  } else if (size_t colon = host.find(':'); colon != std::string::npos) {
    host.erase(colon);
  }
  return FirefoxHostKey(host);
}

void HostpermFile::Parse(const std::string& text) {
  header_.clear();
  records_.clear();
  changed = false;
  std::vector<std::string> lines = SplitLines(text);
  // Stray carriage returns at a line's end are line-end debris, not content: kept, they would
  // change the file at every write-back.
  for (auto& l : lines)
    while (!l.empty() && l.back() == '\r') l.pop_back();
  size_t i = 0;
  while (i + 1 < lines.size() && (lines[i].empty() || lines[i][0] == '#'))
    header_.push_back(lines[i++]);
  for (; i < lines.size(); ++i) {
    const std::string line = LowerCase(lines[i]);
    HostpermRecord rec;
    size_t start = 0;
    // The fourth field keeps any further TABs: nothing of a line is lost when it is written.
    while (rec.count < 3) {
      size_t tab = line.find('\t', start);
      if (tab == std::string::npos) break;
      rec.fields[rec.count++] = line.substr(start, tab - start);
      start = tab + 1;
    }
    rec.fields[rec.count++] = line.substr(start);
    records_.push_back(std::move(rec));
  }
}

std::string HostpermFile::Serialize() const {
  std::string out;
  if (header_.empty()) out = "# Permission File\n";
  for (const auto& h : header_) out += h + "\n";
  for (const auto& rec : records_) {
    for (int f = 0; f < rec.count; ++f) {
      if (f) out += '\t';
      out += rec.fields[f];
    }
    out += '\n';
  }
  return out;
}

int HostpermFile::Find(const std::string& key) const {
  for (size_t i = 0; i < records_.size(); ++i) {
    const HostpermRecord& r = records_[i];
    if (r.count >= 4 && r.fields[0] == "host" && r.fields[1] == "cookie" && r.fields[3] == key)
      return static_cast<int>(i);
  }
  return -1;
}

std::string HostpermFile::Get(std::string_view host) const {
  const int i = Find(FirefoxHostKey(host));
  if (i < 0) return "";
  const std::string text = FirefoxPermissionText(records_[i].fields[2]);
  return text.empty() ? "unknown" : text;
}

bool HostpermFile::Set(std::string_view host, char action) {
  const std::string key = FirefoxHostKey(host);
  const int i = Find(key);
  if (action == 'R') {
    if (i < 0) return true;  // nothing to remove, nothing to write
    // Every cookie record of the host goes: a second one would otherwise take effect.
    for (int at = i; at >= 0; at = Find(key)) records_.erase(records_.begin() + at);
    changed = true;
    return true;
  }
  const std::string value = FirefoxPermissionValue(action);
  if (value.empty()) return false;
  if (i >= 0) {
    records_[i].fields[2] = value;
  } else {
    HostpermRecord rec;
    rec.count = 4;
    rec.fields[0] = "host";
    rec.fields[1] = "cookie";
    rec.fields[2] = value;
    rec.fields[3] = key;
    records_.push_back(std::move(rec));
  }
  changed = true;
  return true;
}
