#include "ie/shared_url_record.h"

#include <cstring>

using namespace url_record;

void UrlRecordView::Clear() {
  if (Valid()) std::memset(base_, 0, kSize);
}

void UrlRecordView::WriteMarkers() {
  for (const Marker& m : kMarkers)
    if (Fits(m.offset, m.text.size())) std::memcpy(base_ + m.offset, m.text.data(), m.text.size());
}

bool UrlRecordView::MarkersIntact() const {
  for (const Marker& m : kMarkers)
    if (!Fits(m.offset, m.text.size()) ||
        std::memcmp(base_ + m.offset, m.text.data(), m.text.size()) != 0)
      return false;
  return true;
}

uint8_t UrlRecordView::Byte(size_t offset) const { return Fits(offset, 1) ? base_[offset] : 0; }

void UrlRecordView::SetByte(size_t offset, uint8_t value) {
  if (Fits(offset, 1)) base_[offset] = value;
}

// Little-endian byte by byte: the record's layout, whatever the host.
uint32_t UrlRecordView::U32(size_t offset) const {
  if (!Fits(offset, 4)) return 0;
  const uint8_t* p = base_ + offset;
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void UrlRecordView::SetU32(size_t offset, uint32_t value) {
  if (!Fits(offset, 4)) return;
  uint8_t* p = base_ + offset;
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

std::optional<std::string> UrlRecordView::Text(TextField field) const {
  if (!Fits(field.offset, field.size)) return std::nullopt;
  const char* p = reinterpret_cast<const char*>(base_ + field.offset);
  const void* nul = std::memchr(p, 0, field.size);
  if (!nul) return std::nullopt;
  return std::string(p, static_cast<const char*>(nul));
}

void UrlRecordView::SetText(TextField field, std::string_view text) {
  if (!Fits(field.offset, field.size) || field.size == 0) return;
  size_t n = text.size() < field.size - 1 ? text.size() : field.size - 1;
  std::memcpy(base_ + field.offset, text.data(), n);
  std::memset(base_ + field.offset + n, 0, field.size - n);
}

void UrlRecordView::ClearRange(size_t offset, size_t size) {
  if (Fits(offset, size)) std::memset(base_ + offset, 0, size);
}

namespace {
void WriteEntryNumbers(UrlRecordView rec, const UrlEntryInfo& e) {
  rec.SetU32(kEntryType, e.entryType);
  rec.SetU32(kHitRate, e.hitRate);
  rec.SetU32(kSizeLow, e.sizeLow);
  rec.SetU32(kSizeHigh, e.sizeHigh);
  rec.SetU32(kAccessLow, e.accessLow);
  rec.SetU32(kAccessHigh, e.accessHigh);
}
}  // namespace

void WriteEnumOutcome(UrlRecordView rec, const EnumOutcome& o) {
  rec.SetByte(kResult, o.found ? 1 : 0);
  rec.SetByte(kNoMore, o.noMore ? 1 : 0);
  rec.SetByte(kException, o.failed ? 1 : 0);
  rec.SetU32(kError, o.error);
  rec.SetText(kMessage, o.message);
  if (o.noMore) return;
  rec.SetText(kUrl, o.found ? o.entry.url : "");
  rec.SetText(kLocalFile, o.found ? o.entry.localFile : "");
  WriteEntryNumbers(rec, o.found ? o.entry : UrlEntryInfo{});
}

std::optional<EnumOutcome> ReadEnumOutcome(UrlRecordView rec) {
  EnumOutcome o;
  auto message = rec.Text(kMessage);
  auto url = rec.Text(kUrl);
  auto file = rec.Text(kLocalFile);
  if (!message || !url || !file) return std::nullopt;
  o.found = rec.Byte(kResult) != 0;
  o.noMore = rec.Byte(kNoMore) != 0;
  o.failed = rec.Byte(kException) != 0;
  o.error = rec.U32(kError);
  o.message = *message;
  if (o.found) {
    o.entry.url = *url;
    o.entry.localFile = *file;
    o.entry.entryType = rec.U32(kEntryType);
    o.entry.hitRate = rec.U32(kHitRate);
    o.entry.sizeLow = rec.U32(kSizeLow);
    o.entry.sizeHigh = rec.U32(kSizeHigh);
    o.entry.accessLow = rec.U32(kAccessLow);
    o.entry.accessHigh = rec.U32(kAccessHigh);
  }
  return o;
}

void WriteCloseOutcome(UrlRecordView rec, bool result) {
  rec.SetByte(kResult, result ? 1 : 0);
  rec.ClearRange(kDeletedCount, kMessage.offset - kDeletedCount);  // 24 to 35
  rec.SetText(kMessage, "");
  rec.SetText(kUrl, "");
  rec.SetText(kLocalFile, "");
  WriteEntryNumbers(rec, {});
}

void WriteDeleteOutcome(UrlRecordView rec, bool result, uint32_t error) {
  rec.SetByte(kResult, result ? 1 : 0);
  rec.SetByte(kNoMore, 0);
  rec.SetByte(kException, 0);
  rec.SetU32(kError, error);
  rec.SetText(kMessage, "");
  WriteEntryNumbers(rec, {});
}

void WriteHistoryOutcome(UrlRecordView rec, const HistoryOutcome& o) {
  rec.SetU32(kDeletedCount, o.count);
  rec.SetByte(kException, o.failed ? 1 : 0);
  rec.SetU32(kError, o.error);
  rec.SetText(kMessage, o.message);
}

void WriteFailure(UrlRecordView rec, uint32_t code, std::string_view message) {
  rec.SetByte(kResult, 0);
  rec.SetByte(kNoMore, 0);
  rec.SetByte(kException, 1);
  rec.SetU32(kError, code);
  rec.SetText(kMessage, message);
}
