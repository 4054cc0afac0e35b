// The shared URL record and the server's handling of requests: offsets as the program and the
// URL server both rely on them, and every malformed record or request refused without a read
// outside the record (these tests also run natively under AddressSanitizer).
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "ie/shared_url_record.h"
#include "ie/url_server_protocol.h"

namespace {
// Record-sized storage, allocated exactly so that the sanitizer sees any access past its end.
struct Record {
  std::vector<uint8_t> bytes = std::vector<uint8_t>(url_record::kSize, 0xAB);
  UrlRecordView view{bytes.data(), bytes.size()};
  std::string At(size_t offset) const { return reinterpret_cast<const char*>(&bytes[offset]); }
  uint32_t U32At(size_t o) const {
    return bytes[o] | bytes[o + 1] << 8 | bytes[o + 2] << 16 | uint32_t(bytes[o + 3]) << 24;
  }
};

// A backend that records what the server asked of it.
struct FakeCache : UrlCacheBackend {
  std::deque<EnumOutcome> outcomes;
  std::vector<std::string> calls;
  EnumOutcome First(const std::string& prefix) override {
    calls.push_back("First " + prefix);
    return Pop();
  }
  EnumOutcome Next() override {
    calls.push_back("Next");
    return Pop();
  }
  bool Close() override {
    calls.push_back("Close");
    return true;
  }
  bool DeleteEntry(const std::string& url, uint32_t& error) override {
    calls.push_back("Delete " + url);
    error = 5;
    return false;
  }
  HistoryOutcome ClearHistoryContainers() override {
    calls.push_back("History");
    return {7, false, 0, ""};
  }
  EnumOutcome Pop() {
    EnumOutcome o = outcomes.front();
    outcomes.pop_front();
    return o;
  }
};

ServeResult Send(Record& r, FakeCache& cache, char letter) {
  return ServeRequest(r.view, &letter, 1, cache);
}
std::string ReplyText(const ServeResult& s) { return std::string(s.reply.data(), 4); }
}  // namespace

TEST(SharedUrlRecordTest, FreshRecordIsZeroWithItsFourMarkersAtTheirOffsets) {
  Record r;
  r.view.Clear();
  r.view.WriteMarkers();
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&r.bytes[1384]), 4), "Cont");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&r.bytes[1453]), 8), "URL-Name");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&r.bytes[9654]), 8), "FileName");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&r.bytes[17855]), 8), "EndMap  ");
  EXPECT_EQ(r.bytes[17863], 0);
  EXPECT_TRUE(r.view.MarkersIntact());
  r.bytes[9660] = 'X';
  EXPECT_FALSE(r.view.MarkersIntact());
}

TEST(SharedUrlRecordTest, TextsAreCutToTheirFieldAndUnterminatedFieldsAreRefused) {
  Record r;
  r.view.Clear();
  r.view.SetText(url_record::kBuild, std::string(50, 'b'));  // 33 bytes: 32 characters and NUL
  EXPECT_EQ(r.view.Text(url_record::kBuild), std::string(32, 'b'));
  EXPECT_EQ(r.bytes[1349 + 32], 0);
  EXPECT_EQ(r.bytes[1382], 0);             // the next field is untouched
  std::memset(&r.bytes[1461], 'u', 8193);  // a URL field with no NUL in it
  EXPECT_FALSE(r.view.Text(url_record::kUrl).has_value());
  EXPECT_FALSE(ReadEnumOutcome(r.view).has_value());
}

TEST(SharedUrlRecordTest, ARecordSmallerThanTheLayoutIsNeverTouched) {
  std::vector<uint8_t> small(100, 0x11);
  UrlRecordView v(small.data(), small.size());
  EXPECT_FALSE(v.Valid());
  v.Clear();
  v.SetText(url_record::kUrl, "http://x/");
  v.SetU32(url_record::kError, 5);
  EXPECT_EQ(small, std::vector<uint8_t>(100, 0x11));
  EXPECT_FALSE(v.Text(url_record::kMessage).has_value());
  EXPECT_FALSE(v.MarkersIntact());
  FakeCache cache;
  char letter = 'F';
  EXPECT_EQ(std::string(ServeRequest(v, &letter, 1, cache).reply.data(), 12), "ERR-NoRecord");
  EXPECT_TRUE(cache.calls.empty());
}

TEST(UrlServerProtocolTest, EnumerationWritesTheEntryAtTheLayoutsOffsets) {
  Record r;
  r.view.Clear();
  r.view.WriteMarkers();
  r.view.SetText(url_record::kPrefix, "Visited:");
  FakeCache cache;
  EnumOutcome found;
  found.found = true;
  found.entry = {"Visited: user@http://a.example/",
                 "C:\\cache\\a.htm",
                 0x100001,
                 3,
                 512,
                 1,
                 0x11223344,
                 0x01D00000};
  cache.outcomes = {found, EnumOutcome{false, true, false, 259, "", {}}};

  EXPECT_EQ(ReplyText(Send(r, cache, 'F')), "F-OK");
  EXPECT_EQ(cache.calls, std::vector<std::string>{"First Visited:"});
  EXPECT_EQ(r.bytes[20], 1);
  EXPECT_EQ(r.bytes[28], 0);
  EXPECT_EQ(r.bytes[29], 0);
  EXPECT_EQ(r.At(1461), "Visited: user@http://a.example/");
  EXPECT_EQ(r.At(9662), "C:\\cache\\a.htm");
  EXPECT_EQ(r.U32At(1064), 0x100001u);
  EXPECT_EQ(r.U32At(1068), 3u);
  EXPECT_EQ(r.U32At(1072), 512u);
  EXPECT_EQ(r.U32At(1076), 1u);
  EXPECT_EQ(r.U32At(1080), 0x11223344u);
  EXPECT_EQ(r.U32At(1084), 0x01D00000u);

  EXPECT_EQ(ReplyText(Send(r, cache, 'N')), "N-OK");
  EXPECT_EQ(r.bytes[20], 0);
  EXPECT_EQ(r.bytes[28], 1);
  EXPECT_EQ(r.U32At(32), 259u);

  Send(r, cache, 'C');
  EXPECT_EQ(r.bytes[20], 1);
  EXPECT_EQ(r.bytes[28], 0);
  EXPECT_EQ(r.U32At(32), 0u);
  EXPECT_EQ(r.At(1461), "");
  EXPECT_EQ(r.At(9662), "");
  EXPECT_EQ(r.U32At(1064), 0u);
  EXPECT_TRUE(r.view.MarkersIntact());
}

TEST(UrlServerProtocolTest, PingDeleteHistoryAndStop) {
  Record r;
  r.view.Clear();
  r.view.WriteMarkers();
  FakeCache cache;
  r.bytes[0] = 'A';
  Send(r, cache, 'A');
  EXPECT_EQ(r.bytes[0], 'Y');

  r.view.SetText(url_record::kUrl, "http://gone.example/");
  Send(r, cache, 'D');
  EXPECT_EQ(cache.calls.back(), "Delete http://gone.example/");
  EXPECT_EQ(r.bytes[20], 0);
  EXPECT_EQ(r.U32At(32), 5u);  // the server's error travels back

  Send(r, cache, 'H');
  EXPECT_EQ(r.U32At(24), 7u);

  ServeResult stop = Send(r, cache, 'S');
  EXPECT_TRUE(stop.stop);
  EXPECT_FALSE(Send(r, cache, 'A').stop);
}

TEST(UrlServerProtocolTest, MalformedRequestsAndRecordsGetAnErrorReplyAndNoCacheCall) {
  Record r;
  r.view.Clear();
  r.view.WriteMarkers();
  FakeCache cache;
  const char two[2] = {'F', 'F'};
  EXPECT_EQ(std::string(ServeRequest(r.view, two, 2, cache).reply.data(), 3), "ERR");
  EXPECT_EQ(std::string(ServeRequest(r.view, nullptr, 0, cache).reply.data(), 3), "ERR");
  EXPECT_EQ(std::string(Send(r, cache, 'Q').reply.data(), 3), "ERR");
  EXPECT_EQ(r.bytes[29], 1);
  EXPECT_EQ(r.U32At(32), 13u);

  // A search prefix that fills its field without a NUL.
  std::memset(&r.bytes[1388], 'p', 65);
  EXPECT_EQ(std::string(Send(r, cache, 'F').reply.data(), 3), "ERR");
  EXPECT_TRUE(r.view.MarkersIntact());  // the marker after the prefix field is not overwritten
  // A URL to delete that runs to the end of its field.
  r.view.SetText(url_record::kPrefix, "");
  std::memset(&r.bytes[1461], 'u', 8193);
  EXPECT_EQ(std::string(Send(r, cache, 'D').reply.data(), 3), "ERR");
  // Damaged markers: nothing is served, not even a ping.
  r.view.SetText(url_record::kUrl, "");
  r.bytes[17856] = 'x';
  r.bytes[0] = 'A';
  EXPECT_EQ(std::string(Send(r, cache, 'A').reply.data(), 3), "ERR");
  EXPECT_EQ(r.bytes[0], 'A');
  EXPECT_NE(r.view.Text(url_record::kMessage)->find("markers"), std::string::npos);
  EXPECT_TRUE(cache.calls.empty());
}

TEST(UrlServerProtocolTest, NameSuffixComesFromTheTsArgumentAndMustBeANamePart) {
  EXPECT_EQ(ServerNameSuffix("Harrowin Type=Server TS=_14_05_33 Mult"), "_14_05_33");
  EXPECT_EQ(ServerNameSuffix("\"C:\\x\\Harrowin.exe\" ts=_01_02_03"), "_01_02_03");
  EXPECT_EQ(ServerNameSuffix("Harrowin Type=Server"), "");
  EXPECT_FALSE(ServerNameSuffix("Harrowin TS=..\\evil").has_value());
  EXPECT_FALSE(ServerNameSuffix("Harrowin TS=" + std::string(40, '1')).has_value());
  EXPECT_EQ(ServerNameSuffix("Harrowin XTS=_1 TS=_2"), "_2");
}
