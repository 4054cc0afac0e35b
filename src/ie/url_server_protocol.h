#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ie/shared_url_record.h"

// The exchange between the program and its URL server: one command letter per pipe
// transaction, all data in the shared record.
namespace url_server {
inline constexpr const char* kPipeName = "\\\\.\\pipe\\VaskPipe_VaskQuor";
inline constexpr const char* kMapName = "VEKvaskSharedMemory_VaskQuor";
inline constexpr size_t kReplySize = 16;

inline constexpr char kPing = 'A';
inline constexpr char kFirst = 'F';
inline constexpr char kNext = 'N';
inline constexpr char kClose = 'C';
inline constexpr char kDelete = 'D';
inline constexpr char kHistory = 'H';
inline constexpr char kStop = 'S';
inline constexpr uint8_t kPingAnswer = 'Y';
}  // namespace url_server

// The cache operations a server performs in its own process (WinINet there, a fake in tests).
class UrlCacheBackend {
 public:
  virtual ~UrlCacheBackend() = default;
  virtual EnumOutcome First(const std::string& prefix) = 0;
  virtual EnumOutcome Next() = 0;
  virtual bool Close() = 0;
  // true when the index entry was deleted; otherwise error holds the Windows error.
  virtual bool DeleteEntry(const std::string& url, uint32_t& error) = 0;
  virtual HistoryOutcome ClearHistoryContainers() = 0;
};

struct ServeResult {
  std::array<char, url_server::kReplySize> reply{};
  bool stop = false;  // the server ends after sending the reply
};

// Performs one request read from the pipe (`message`, `length` bytes) against the record.
// A request that is not exactly one known letter, a record whose markers are damaged, or an
// input text without its NUL inside its field is answered with an error reply (and, when the
// record is usable, a failure in it); the backend is then not called.
ServeResult ServeRequest(UrlRecordView rec, const void* message, size_t length,
                         UrlCacheBackend& backend);

// The name suffix from the server's command line: the value of its " TS=" argument. Only
// letters, digits, '_' and '-' up to 32 characters are accepted (the names are built from it);
// nullopt otherwise, and an empty suffix when the argument is absent.
std::optional<std::string> ServerNameSuffix(std::string_view commandLine);
