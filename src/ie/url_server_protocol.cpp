#include "ie/url_server_protocol.h"

#include <cstring>

using namespace url_record;
namespace us = url_server;

namespace {
ServeResult Reply(std::string_view text, bool stop = false) {
  ServeResult r;
  std::memcpy(r.reply.data(), text.data(),
              text.size() < us::kReplySize ? text.size() : us::kReplySize);
  r.stop = stop;
  return r;
}

ServeResult Refuse(UrlRecordView rec, std::string_view why) {
  WriteFailure(rec, kInvalidDataCode, why);
  return Reply("ERR-Request");
}
}  // namespace

ServeResult ServeRequest(UrlRecordView rec, const void* message, size_t length,
                         UrlCacheBackend& backend) {
  if (!rec.Valid()) return Reply("ERR-NoRecord");
  if (!message || length != 1) return Refuse(rec, "URL server: request is not one command letter");
  if (!rec.MarkersIntact()) return Refuse(rec, "URL server: shared record markers are damaged");
  const char letter = *static_cast<const char*>(message);
  switch (letter) {
    case us::kPing: rec.SetByte(kCommand, us::kPingAnswer); return Reply("A-OK");
    case us::kFirst: {
      auto prefix = rec.Text(kPrefix);
      if (!prefix) return Refuse(rec, "URL server: search prefix is not terminated");
      rec.SetText(kUrl, "");
      rec.SetText(kLocalFile, "");
      WriteEnumOutcome(rec, backend.First(*prefix));
      return Reply("F-OK");
    }
    case us::kNext: WriteEnumOutcome(rec, backend.Next()); return Reply("N-OK");
    case us::kClose: WriteCloseOutcome(rec, backend.Close()); return Reply("C-OK");
    case us::kDelete: {
      auto url = rec.Text(kUrl);
      if (!url) return Refuse(rec, "URL server: URL is not terminated");
      uint32_t error = 0;
      bool ok = backend.DeleteEntry(*url, error);
      WriteDeleteOutcome(rec, ok, ok ? 0 : error);
      return Reply("D-OK");
    }
    case us::kHistory:
      WriteHistoryOutcome(rec, backend.ClearHistoryContainers());
      return Reply("H-OK");
    case us::kStop: return Reply("S-OK", true);
    default: return Refuse(rec, "URL server: unknown command letter");
  }
}

std::optional<std::string> ServerNameSuffix(std::string_view line) {
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && line[i] == ' ') ++i;
    size_t end = line.find(' ', i);
    if (end == std::string_view::npos) end = line.size();
    std::string_view token = line.substr(i, end - i);
    i = end;
    if (token.size() < 3 || (token[0] != 'T' && token[0] != 't') ||
        (token[1] != 'S' && token[1] != 's') || token[2] != '=')
      continue;
    std::string_view value = token.substr(3);
    if (value.size() > 32) return std::nullopt;
    for (char c : value)
      if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '_' || c == '-'))
        return std::nullopt;
    return std::string(value);
  }
  return std::string();
}
