#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The shared memory record through which the program and its URL server (Harrowin) exchange
// one cache operation at a time. Both processes map the same bytes; every access goes through
// UrlRecordView, which never reads or writes outside the mapping and refuses texts whose field
// holds no terminating NUL (the other side may be damaged or hostile).
namespace url_record {
inline constexpr size_t kSize = 17864;

struct TextField {
  size_t offset, size;  // size includes the terminating NUL
};

inline constexpr size_t kCommand = 0;        // request letter; the server writes Y for a ping
inline constexpr size_t kResult = 20;        // 0 false, 1 true
inline constexpr size_t kDeletedCount = 24;  // URLs deleted by the last history clear
inline constexpr size_t kNoMore = 28;        // the enumeration reached its end (error 259)
inline constexpr size_t kException = 29;     // the operation failed (code at kError)
inline constexpr size_t kError = 32;         // Windows error code of the last operation
inline constexpr TextField kMessage{36, 1025};
inline constexpr size_t kEntryType = 1064;
inline constexpr size_t kHitRate = 1068;
inline constexpr size_t kSizeLow = 1072;
inline constexpr size_t kSizeHigh = 1076;
inline constexpr size_t kAccessLow = 1080;
inline constexpr size_t kAccessHigh = 1084;
inline constexpr size_t kProcessId = 1088;
inline constexpr TextField kCaption{1092, 257};
inline constexpr TextField kBuild{1349, 33};
inline constexpr TextField kPrefix{1388, 65};
inline constexpr TextField kUrl{1461, 8193};
inline constexpr TextField kLocalFile{9662, 8193};

struct Marker {
  size_t offset;
  std::string_view text;
};
inline constexpr Marker kMarkers[] = {
    {1384, "Cont"}, {1453, "URL-Name"}, {9654, "FileName"}, {17855, "EndMap  "}};

// Error code that marks an operation which failed unexpectedly (an exception).
inline constexpr uint32_t kExceptionCode = 99999;
// Windows' ERROR_INVALID_DATA, written when the record or a request cannot be trusted.
inline constexpr uint32_t kInvalidDataCode = 13;
}  // namespace url_record

// One cache entry as WinINet describes it.
struct UrlEntryInfo {
  std::string url, localFile;
  uint32_t entryType = 0, hitRate = 0, sizeLow = 0, sizeHigh = 0, accessLow = 0, accessHigh = 0;
};

// The outcome of a first- or next-entry request.
struct EnumOutcome {
  bool found = false;
  bool noMore = false;
  bool failed = false;  // the exception flag: any error other than the end of the enumeration
  uint32_t error = 0;
  std::string message;
  UrlEntryInfo entry;  // valid when found
};

struct HistoryOutcome {
  uint32_t count = 0;
  bool failed = false;
  uint32_t error = 0;
  std::string message;
};

class UrlRecordView {
 public:
  UrlRecordView() = default;
  UrlRecordView(void* base, size_t size) : base_(static_cast<uint8_t*>(base)), size_(size) {}
  // False when there is no mapping or it is smaller than the record.
  bool Valid() const { return base_ && size_ >= url_record::kSize; }

  void Clear();         // zero the whole record
  void WriteMarkers();  // the four layout markers
  bool MarkersIntact() const;

  uint8_t Byte(size_t offset) const;
  void SetByte(size_t offset, uint8_t value);
  uint32_t U32(size_t offset) const;
  void SetU32(size_t offset, uint32_t value);
  // The field's text up to its NUL; nullopt when the field has no NUL (or no record).
  std::optional<std::string> Text(url_record::TextField field) const;
  // Writes the text cut to the field, NUL-terminated, and zeroes the rest of the field.
  void SetText(url_record::TextField field, std::string_view text);
  void ClearRange(size_t offset, size_t size);

 private:
  bool Fits(size_t offset, size_t size) const {
    return Valid() && offset <= url_record::kSize && size <= url_record::kSize - offset;
  }
  uint8_t* base_ = nullptr;
  size_t size_ = 0;
};

// The fields each operation writes, the same whichever side performed it.
void WriteEnumOutcome(UrlRecordView rec, const EnumOutcome& outcome);
// nullopt when a text field of the record is not terminated: the caller reports a bad record.
std::optional<EnumOutcome> ReadEnumOutcome(UrlRecordView rec);
void WriteCloseOutcome(UrlRecordView rec, bool result);
void WriteDeleteOutcome(UrlRecordView rec, bool result, uint32_t error);
void WriteHistoryOutcome(UrlRecordView rec, const HistoryOutcome& outcome);
// Marks the record's last operation as failed with the given code and text.
void WriteFailure(UrlRecordView rec, uint32_t code, std::string_view message);
