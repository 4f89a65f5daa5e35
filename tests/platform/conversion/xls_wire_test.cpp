// The program's check of the reader's stream: only a complete, well-formed
// stream within its limits is a sheet.
#include <gtest/gtest.h>

#include <string>

#include "platform/xls_reader/xls_wire.h"

namespace pagloom::xls_wire {
namespace {

std::string u16(std::uint16_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string u32(std::uint32_t v) {
  std::string s;
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  return s;
}
std::string header() { return std::string(kMagic) + static_cast<char>(kVersion); }
std::string end(std::uint8_t status, std::uint32_t records) {
  return "E" + u32(5) + static_cast<char>(status) + u32(records);
}
std::string record(const std::string& payload) {
  return "R" + u32(static_cast<std::uint32_t>(payload.size())) + payload;
}
std::string one_cell(const std::string& text) {
  return u16(1) + u32(static_cast<std::uint32_t>(text.size())) + text;
}

TEST(XlsWire, EncoderOutputDecodesToTheSameSheetWithTrailingEmptyCellsLeftOut) {
  Encoder encoder;
  encoder.record({"a", "", "b", "", ""});
  encoder.record({});
  encoder.record({"", "c"});
  encoder.end(Status::Ok);
  const auto sheet = decode_sheet_stream(encoder.take());
  ASSERT_TRUE(sheet);
  EXPECT_EQ(sheet->status, Status::Ok);
  const std::vector<std::vector<std::string>> expected = {{"a", "", "b"}, {}, {"", "c"}};
  EXPECT_EQ(sheet->records, expected);
}

TEST(XlsWire, FailureStatusCarriesNoRecords) {
  const auto sheet = decode_sheet_stream(header() + record(one_cell("x")) + end(3, 1));
  ASSERT_TRUE(sheet);
  EXPECT_EQ(sheet->status, Status::Unreadable);
  EXPECT_TRUE(sheet->records.empty());
}

struct BadStream {
  const char* name;
  std::string bytes;
};

class RefusesStream : public ::testing::TestWithParam<BadStream> {};

TEST_P(RefusesStream, AsNoSheet) { EXPECT_FALSE(decode_sheet_stream(GetParam().bytes)); }

INSTANTIATE_TEST_SUITE_P(
    Streams, RefusesStream,
    ::testing::Values(
        BadStream{"Empty", ""}, BadStream{"HeaderOnly", header()},
        BadStream{"WrongMagic", "PGLMXLZ" + std::string(1, kVersion) + end(0, 0)},
        BadStream{"OtherVersion", std::string(kMagic) + '\x02' + end(0, 0)},
        BadStream{"EndCutShort", header() + end(0, 0).substr(0, 7)},
        BadStream{"BytesAfterEnd", header() + end(0, 0) + "x"},
        BadStream{"UnknownStatus", header() + end(4, 0)},
        BadStream{"EndLongerThanItsFields", header() + "E" + u32(6) + '\0' + u32(0) + "x"},
        BadStream{"RecordCountDisagrees", header() + record(one_cell("x")) + end(0, 2)},
        BadStream{"UnknownTag", header() + "Q" + u32(0) + end(0, 0)},
        BadStream{"FrameLengthBeyondStream", header() + "R" + u32(0xFFFFFFFF) + end(0, 0)},
        BadStream{"CellRunsPastItsRecord", header() + record(u16(1) + u32(5) + "ab") + end(0, 1)},
        BadStream{"RecordLongerThanItsCells", header() + record(one_cell("x") + "y") + end(0, 1)},
        BadStream{"CellCountBeyondPayload", header() + record(u16(200) + u32(0)) + end(0, 1)},
        BadStream{"MoreCellsThanColumns",
                  header() + record(u16(257) + std::string(257 * 4, '\0')) + end(0, 1)},
        BadStream{"CellBeyondTextLimit",
                  header() + record(one_cell(std::string(kMaxCellBytes + 1, 'x'))) + end(0, 1)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(XlsWire, RefusesMoreRecordsThanASheetHolds) {
  std::string stream = header();
  for (std::uint32_t i = 0; i <= kMaxRecords; ++i) stream += record(u16(0));
  EXPECT_FALSE(decode_sheet_stream(stream + end(0, kMaxRecords + 1)));
}

}  // namespace
}  // namespace pagloom::xls_wire
