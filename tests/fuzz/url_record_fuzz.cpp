// The URL server's shared record and request from arbitrary bytes. Byte 0 holds switches
// (request length 0-3, whether the layout markers are written first, whether the mapping is
// short of a record, which answer the cache gives), bytes 1-3 the request, the rest the record,
// padded with NULs or cut to its size. A request is served against a recording fake cache;
// refused requests must not reach it, and what an accepted one wrote must read back as the
// cache answered it, cut to the fields. The input is also read as the server's command line,
// and the record's local file name as a path the purge may touch only inside its kind's folder.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "ie/cache_rules.h"
#include "ie/shared_url_record.h"
#include "ie/url_server_protocol.h"

using namespace url_record;

namespace {
void CheckAt(bool ok, int line) {
  if (ok) return;
  fprintf(stderr, "url_record_fuzz: check at line %d failed\n", line);
  abort();
}
#define Check(ok) CheckAt((ok), __LINE__)

class RecordingCache : public UrlCacheBackend {
 public:
  explicit RecordingCache(unsigned variant) : variant_(variant) {}
  EnumOutcome First(const std::string& prefix) override {
    calls.push_back("F:" + prefix);
    return Answer(prefix);
  }
  EnumOutcome Next() override {
    calls.push_back("N");
    return Answer("http://next.example/");
  }
  bool Close() override {
    calls.push_back("C");
    return (variant_ & 1) != 0;
  }
  bool DeleteEntry(const std::string& url, uint32_t& error) override {
    calls.push_back("D:" + url);
    error = 2;
    return (variant_ & 1) != 0;
  }
  HistoryOutcome ClearHistoryContainers() override {
    calls.push_back("H");
    history = {variant_ * 1000u + 7u, (variant_ & 2) != 0, variant_, "history " + std::string(variant_ * 300, 'h')};
    return history;
  }

  // The answer of the last First/Next: found, at the end, or failed, with texts that fit
  // their fields or overrun them.
  EnumOutcome Answer(const std::string& seed) {
    EnumOutcome o;
    o.found = (variant_ & 3) == 0 || (variant_ & 3) == 3;
    o.noMore = (variant_ & 3) == 1;
    o.failed = (variant_ & 3) == 2;
    o.error = o.noMore ? 259 : o.failed ? 5 : 0;
    o.message = o.failed ? std::string(variant_ * 200, 'm') : std::string();
    const size_t repeat = (variant_ & 4) ? 9000 / (seed.size() + 1) + 1 : 1;
    for (size_t i = 0; i < repeat; ++i) o.entry.url += seed + "/";
    o.entry.localFile = "C:\\Cache\\" + std::string((variant_ & 4) ? 8200 : 12, 'f');
    o.entry.entryType = 0x100001;
    o.entry.hitRate = variant_;
    o.entry.sizeLow = 4096;
    o.entry.accessHigh = 0x01d00000;
    last = o;
    return o;
  }

  std::vector<std::string> calls;
  EnumOutcome last;
  HistoryOutcome history;

 private:
  unsigned variant_;
};

std::string Cut(const std::string& s, TextField f) { return s.substr(0, f.size - 1); }

bool Terminated(const std::vector<uint8_t>& rec, TextField f) {
  return std::memchr(rec.data() + f.offset, 0, f.size) != nullptr;
}

// A mapping smaller than the record: nothing is read or written, every request is refused.
void CheckShortMapping(const uint8_t* data, size_t size, size_t shortBy) {
  std::vector<uint8_t> bytes(data, data + (size < kSize - shortBy ? size : kSize - shortBy));
  bytes.resize(kSize - shortBy);
  const std::vector<uint8_t> before = bytes;
  UrlRecordView view(bytes.data(), bytes.size());
  Check(!view.Valid());
  RecordingCache cache(0);
  for (char letter : std::string("AFNCDHSx")) {
    ServeResult r = ServeRequest(view, &letter, 1, cache);
    Check(std::string(r.reply.data()) == "ERR-NoRecord" && !r.stop);
  }
  Check(cache.calls.empty());
  Check(!ReadEnumOutcome(view) && !view.Text(kMessage) && !view.Text(kLocalFile));
  Check(view.U32(kError) == 0 && view.Byte(kCommand) == 0 && !view.MarkersIntact());
  view.SetText(kUrl, "http://x/");
  view.SetU32(kSizeLow, 1);
  view.WriteMarkers();
  view.Clear();
  WriteFailure(view, kInvalidDataCode, "bad");
  Check(bytes == before);
  Check(!UrlRecordView().Valid() && !ReadEnumOutcome(UrlRecordView()));
}

void CheckSuffix(std::string_view line) {
  const auto suffix = ServerNameSuffix(line);
  if (!suffix) return;
  Check(suffix->size() <= 32);
  for (char c : *suffix)
    Check((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
          c == '-');
  if (!suffix->empty()) {
    const std::string arg = "=" + *suffix;
    Check(line.find(arg) != std::string_view::npos);
  }
  // The accepted suffix, given again as the only argument, comes back unchanged.
  Check(ServerNameSuffix("harrowin.exe TS=" + *suffix) == *suffix);
}
// A local file name accepted for a folder lies strictly below it: the folder and a separator
// first (any case), then components that are neither empty, "." nor "..", and no stream name.
void CheckLocalFile(std::string_view path) {
  static const std::string_view kFolder = "C:\\Users\\u\\INetCookies";
  if (!LocalFileInFolder(path, kFolder)) return;
  Check(path.size() > kFolder.size() + 1 && path[kFolder.size()] == '\\');
  for (size_t i = 0; i < kFolder.size(); ++i)
    Check((path[i] | 0x20) == (kFolder[i] | 0x20));
  const std::string rest(path.substr(kFolder.size() + 1));
  Check(rest.find(':') == std::string::npos);
  const std::string wrapped = "\\" + rest + "\\";
  for (const char* bad : {"\\\\", "\\.\\", "\\..\\", "/./", "/../", "\\./", "/.\\", "\\../", "/..\\"})
    Check(wrapped.find(bad) == std::string::npos);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckSuffix(std::string_view(reinterpret_cast<const char*>(data), size));
  CheckLocalFile(std::string_view(reinterpret_cast<const char*>(data), size));
  if (size < 4) return 0;
  const unsigned flags = data[0];
  const size_t length = flags & 3;
  const bool markers = (flags & 4) != 0;
  if (flags & 8) CheckShortMapping(data + 4, size - 4, 1 + data[1] % 64 * 251);
  const unsigned variant = flags >> 4;
  const char* message = reinterpret_cast<const char*>(data + 1);

  std::vector<uint8_t> bytes(data + 4, data + 4 + (size - 4 < kSize ? size - 4 : kSize));
  bytes.resize(kSize);
  UrlRecordView rec(bytes.data(), bytes.size());
  Check(rec.Valid());
  if (markers) rec.WriteMarkers();

  // Read straight from the bytes: texts come back only when terminated inside their fields.
  const auto raw = ReadEnumOutcome(rec);
  const bool terminated =
      Terminated(bytes, kMessage) && Terminated(bytes, kUrl) && Terminated(bytes, kLocalFile);
  Check(raw.has_value() == terminated);
  if (raw) {
    Check(raw->message == reinterpret_cast<const char*>(bytes.data() + kMessage.offset));
    Check(raw->found || raw->entry.url.empty());
    if (raw->found) Check(raw->entry.localFile == reinterpret_cast<const char*>(bytes.data() + kLocalFile.offset));
  }

  const bool intact = rec.MarkersIntact();
  const auto prefix = rec.Text(kPrefix);
  const auto url = rec.Text(kUrl);
  RecordingCache cache(variant);
  const ServeResult r = ServeRequest(rec, length ? message : nullptr, length, cache);
  const std::string reply(r.reply.data(), strnlen(r.reply.data(), r.reply.size()));
  const char letter = length == 1 ? message[0] : '\0';
  const bool known = std::string_view("AFNCDHS").find(letter) != std::string_view::npos && letter;
  bool refused = length != 1 || !intact || !known;
  if (!refused && letter == 'F' && !prefix) refused = true;
  if (!refused && letter == 'D' && !url) refused = true;
  Check(r.stop == (!refused && letter == 'S'));
  if (refused) {
    Check(reply == "ERR-Request" && cache.calls.empty());
    Check(rec.Byte(kException) == 1 && rec.U32(kError) == kInvalidDataCode && rec.Byte(kResult) == 0);
    const auto why = rec.Text(kMessage);
    Check(why && why->rfind("URL server: ", 0) == 0);
    return 0;
  }
  Check(reply == std::string(1, letter) + "-OK");
  // The writes of every operation stay inside their fields: the markers survive.
  Check(rec.MarkersIntact());
  switch (letter) {
    case 'A': Check(rec.Byte(kCommand) == 'Y' && cache.calls.empty()); break;
    case 'S': Check(cache.calls.empty()); break;
    case 'C':
      Check(cache.calls == std::vector<std::string>{"C"});
      Check(rec.Byte(kResult) == (variant & 1) && rec.Text(kUrl) == "" && rec.U32(kError) == 0);
      break;
    case 'D':
      Check(cache.calls == std::vector<std::string>{"D:" + *url});
      Check(rec.Byte(kResult) == (variant & 1) && rec.U32(kError) == ((variant & 1) ? 0u : 2u));
      break;
    case 'H':
      Check(cache.calls == std::vector<std::string>{"H"});
      Check(rec.U32(kDeletedCount) == cache.history.count &&
            rec.Byte(kException) == cache.history.failed && rec.Text(kMessage) == Cut(cache.history.message, kMessage));
      break;
    case 'F':
    case 'N': {
      Check(cache.calls == std::vector<std::string>{letter == 'F' ? "F:" + *prefix : "N"});
      const auto back = ReadEnumOutcome(rec);
      const EnumOutcome& sent = cache.last;
      // Next leaves the entry texts of the end of an enumeration as they were.
      if (letter == 'N' && sent.noMore && !(url && rec.Text(kLocalFile))) break;
      Check(back.has_value());
      Check(back->found == sent.found && back->noMore == sent.noMore &&
            back->failed == sent.failed && back->error == sent.error &&
            back->message == Cut(sent.message, kMessage));
      if (sent.found) {
        Check(back->entry.url == Cut(sent.entry.url, kUrl) &&
              back->entry.localFile == Cut(sent.entry.localFile, kLocalFile) &&
              back->entry.entryType == sent.entry.entryType &&
              back->entry.hitRate == sent.entry.hitRate &&
              back->entry.sizeLow == sent.entry.sizeLow &&
              back->entry.accessHigh == sent.entry.accessHigh);
      } else if (!sent.noMore || letter == 'F') {
        Check(rec.Text(kUrl) == "" && rec.Text(kLocalFile) == "");
      }
      break;
    }
  }
  return 0;
}
