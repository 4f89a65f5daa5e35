// convert_ids over the fakes: the export address, the export file's life and
// the outcome of every way a conversion can fail.
#include "conversion/convert_ids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "fakes/fake_context.h"

namespace pagloom {
namespace {

using testing::FakeHttp;
using testing::FakeWorld;
using Rows = std::vector<std::vector<Text>>;
using Status = SheetRecords::Status;

constexpr std::string_view kExportPrefix =
    "http://service.test/union/spread/selfservice/downloadAuctions.do?nid=";

class ConvertIdsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    w.ui.texts["编辑框7"] = "1";
    w.ui.list_views["超级列表框1"].rows = {{"123"}};
    answer_export("XLS");
  }

  // The export request answers `body`; the reader sees what the export file
  // holds when it is read.
  void answer_export(std::string_view body) {
    w.http.handler = [body = std::string(body)](const HttpRequest&) { return FakeHttp::ok(body); };
  }
  void answer_sheet(Status status, Rows records = {}) {
    w.spreadsheet.handler = [this, status, records](const Text& path, const std::string&) {
      read_content = w.files.content(path);
      SheetRecords r;
      r.status = status;
      r.records = records;
      return r;
    };
  }

  FakeWorld w;
  std::string read_content = "<not read>";
};

struct IdListCase {
  const char* name;
  Text count;
  Rows rows;
  Text ids;
};

class IdList : public ConvertIdsTest, public ::testing::WithParamInterface<IdListCase> {};

TEST_P(IdList, OneRequestWithTheIdsJoinedByCommas) {
  w.ui.texts["编辑框7"] = GetParam().count;
  w.ui.list_views["超级列表框1"].rows = GetParam().rows;
  answer_sheet(Status::Ok);
  convert_ids(w.ctx);
  ASSERT_EQ(w.http.requests.size(), 1u);
  EXPECT_EQ(w.http.requests[0].url, text_concat(kExportPrefix, GetParam().ids));
  EXPECT_EQ(w.http.requests[0].method, "GET");
}

INSTANTIATE_TEST_SUITE_P(
    Counts, IdList,
    ::testing::Values(IdListCase{"One", "1", {{"123"}}, "123"},
                      IdListCase{"Three", "3", {{"1"}, {"2"}, {"3"}}, "1,2,3"},
                      IdListCase{"Zero", "0", {{"a"}, {"b"}}, "a"},
                      IdListCase{"Empty", "", {{"a"}, {"b"}}, "a"},
                      IdListCase{"NotANumber", "abc", {{"a"}, {"b"}}, "a"},
                      IdListCase{"Negative", "-2", {{"a"}, {"b"}}, "a"},
                      IdListCase{"FractionTruncated", "2.9", {{"a"}, {"b"}, {"c"}}, "a,b"},
                      IdListCase{"FullWidthDigits", "２", {{"a"}, {"b"}, {"c"}}, "a,b"},
                      IdListCase{"MoreThanRows", "4", {{"a"}, {"b"}}, "a,b,,"},
                      IdListCase{"EmptyIdInTheMiddle", "3", {{"a"}, {""}, {"c"}}, "a,,c"},
                      IdListCase{"NoRows", "1", {}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConvertIdsTest, HugeCountIsCapped) {
  w.ui.texts["编辑框7"] = "99999999999999999999";
  EXPECT_EQ(std::ranges::count(export_id_list(w.ctx), ','), kMaxExportIds - 1);
}

TEST_F(ConvertIdsTest, AppendsOneNumberedRowPerRecordAndDeletesTheExport) {
  w.ui.list_views["超级列表框转换链接"].rows = {{"1", "earlier"}};
  answer_sheet(Status::Ok, {{"0", "1", "标题一", "3", "http://s.test/1", "5", "六"}, {"0", "1", "标题二"}});

  EXPECT_EQ(convert_ids(w.ctx), ConvertOutcome::Converted);

  EXPECT_EQ(read_content, "XLS");
  EXPECT_EQ(w.spreadsheet.opened, std::vector<Text>{"/run\\ce.xls"});
  EXPECT_EQ(
      w.ui.rows("超级列表框转换链接", 4),
      (Rows{{"1", "earlier", "", ""}, {"2", "标题一", "http://s.test/1", "六"}, {"3", "标题二", "", ""}}));
  EXPECT_EQ(w.ui.sleeps, std::vector<int>{100});
  EXPECT_FALSE(w.files.has_file("/run/ce.xls"));
}

TEST_F(ConvertIdsTest, ExportRecordsSendsTheGivenIdsAndTouchesNoControl) {
  answer_sheet(Status::Ok, {{"7", "", "t", "", "l"}});
  const ExportRecords result = export_records(w.ctx, {"7", "8"});
  EXPECT_EQ(result.outcome, ConvertOutcome::Converted);
  EXPECT_EQ(result.records, (Rows{{"7", "", "t", "", "l"}}));
  ASSERT_EQ(w.http.requests.size(), 1u);
  EXPECT_EQ(w.http.requests[0].url, text_concat(kExportPrefix, "7,8"));
  EXPECT_EQ(w.ui.row_count("超级列表框转换链接"), 0);
  EXPECT_FALSE(w.files.has_file("/run/ce.xls"));
}

TEST_F(ConvertIdsTest, LeftoverExportIsRemovedBeforeTheDownload) {
  w.files.add_file("/run/ce.xls", "OLD");
  answer_export("NEW");
  answer_sheet(Status::Ok, {{"", "", "t", "", "l"}});
  EXPECT_EQ(convert_ids(w.ctx), ConvertOutcome::Converted);
  EXPECT_EQ(w.http.requests.size(), 1u);
  EXPECT_EQ(read_content, "NEW");
}

TEST_F(ConvertIdsTest, LeftoverExportIsNotReadWhenTheDownloadFails) {
  w.files.add_file("/run/ce.xls", "OLD");
  answer_export("");
  answer_sheet(Status::CannotOpen);
  EXPECT_EQ(convert_ids(w.ctx), ConvertOutcome::NoResponse);
  EXPECT_EQ(read_content, "");
  EXPECT_FALSE(w.files.has_file("/run/ce.xls"));
}

TEST_F(ConvertIdsTest, UnwritableExportEndsAfterThreePasses) {
  w.files.read_only.insert("/run/ce.xls");
  answer_sheet(Status::Ok, {{"", "", "t", "", "l"}});
  EXPECT_EQ(convert_ids(w.ctx), ConvertOutcome::ExportNotWritable);
  EXPECT_EQ(w.http.requests.size(), 3u);
  EXPECT_EQ(w.ui.sleeps, (std::vector<int>{100, 100, 100}));
  EXPECT_TRUE(w.spreadsheet.opened.empty());
  EXPECT_EQ(w.ui.row_count("超级列表框转换链接"), 0);
}

// ---- batches ----

class Batches : public ConvertIdsTest {
 protected:
  // Each request answers one record per id it carried; `answers` (by
  // request, 0-based) overrides a request's sheet status.
  void SetUp() override {
    ConvertIdsTest::SetUp();
    w.spreadsheet.handler = [this](const Text&, const std::string&) {
      const std::size_t request = w.http.requests.size() - 1;
      SheetRecords r;
      r.status = request < statuses.size() ? statuses[request] : Status::Ok;
      if (r.status == Status::Ok) {
        for (const Text& id :
             text_split(std::string_view(w.http.requests.back().url).substr(kExportPrefix.size())))
          r.records.push_back({id});
        r.lossy_cells = 1;
      }
      return r;
    };
  }
  static std::vector<Text> ids(int n) {
    std::vector<Text> out;
    for (int i = 0; i < n; ++i) out.push_back(number_to_text(100 + i));
    return out;
  }
  std::vector<Status> statuses;
  std::vector<std::pair<int, int>> progress;
  std::function<void(int, int)> record_progress = [this](int k, int n) { progress.emplace_back(k, n); };
};

TEST_F(Batches, SendsAtMostThirtyIdsPerRequestAndJoinsTheRecords) {
  const ExportRecords result = export_records_in_batches(w.ctx, ids(65), record_progress);
  ASSERT_EQ(w.http.requests.size(), 3u);
  EXPECT_EQ(w.http.requests[0].url, text_concat(kExportPrefix,
                                                "100,101,102,103,104,105,106,107,108,109,110,111,112,"
                                                "113,114,115,116,117,118,119,120,121,122,123,124,125,"
                                                "126,127,128,129"));
  EXPECT_EQ(w.http.requests[2].url, text_concat(kExportPrefix, "160,161,162,163,164"));
  EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
  EXPECT_EQ(result.outcome, ConvertOutcome::Converted);
  ASSERT_EQ(result.records.size(), 65u);
  EXPECT_EQ(result.records[64], std::vector<Text>{"164"});
  EXPECT_EQ(result.lossy_cells, 3);
  EXPECT_EQ(w.ui.row_count("超级列表框转换链接"), 0);
}

TEST_F(Batches, ExactlyThirtyIsOneRequestAndNoIdsNone) {
  EXPECT_EQ(export_records_in_batches(w.ctx, ids(30), record_progress).records.size(), 30u);
  EXPECT_EQ(w.http.requests.size(), 1u);
  const ExportRecords none = export_records_in_batches(w.ctx, {}, record_progress);
  EXPECT_EQ(none.outcome, ConvertOutcome::NothingConverted);
  EXPECT_EQ(w.http.requests.size(), 1u);
}

TEST_F(Batches, AFailedRequestKeepsTheOthersRecords) {
  statuses = {Status::Ok, Status::NoSuchSheet, Status::Ok};
  const ExportRecords result = export_records_in_batches(w.ctx, ids(65), nullptr);
  EXPECT_EQ(w.http.requests.size(), 3u);
  EXPECT_EQ(result.outcome, ConvertOutcome::Converted);
  EXPECT_EQ(result.records.size(), 35u);
}

TEST_F(Batches, StopsWhenTheSessionIsGone) {
  answer_export("<html>登录</html>");
  statuses = {Status::CannotOpen, Status::CannotOpen, Status::CannotOpen};
  const ExportRecords result = export_records_in_batches(w.ctx, ids(65), nullptr);
  EXPECT_EQ(w.http.requests.size(), 1u);
  EXPECT_EQ(result.outcome, ConvertOutcome::NotLoggedIn);
  EXPECT_TRUE(result.records.empty());
}

TEST(ExportItemId, DropsAZeroFractionOnly) {
  const std::vector<std::pair<Text, Text>> cases = {
      {"520813250866", "520813250866"},
      {"520813250866.00000000", "520813250866"},
      {" 12.0 ", "12"},
      {"12.5", "12.5"},
      {".000", ".000"},
      {"", ""},
  };
  for (const auto& [field, id] : cases) EXPECT_EQ(export_item_id({field}), id) << field;
}

struct FailureCase {
  const char* name;
  std::string body;
  Status status;
  ConvertOutcome outcome;
};

class Failure : public ConvertIdsTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(Failure, AddsNoRowAndLeavesNoExportFile) {
  answer_export(GetParam().body);
  answer_sheet(GetParam().status);
  EXPECT_EQ(convert_ids(w.ctx), GetParam().outcome);
  EXPECT_EQ(w.http.requests.size(), 1u);
  EXPECT_EQ(w.ui.row_count("超级列表框转换链接"), 0);
  EXPECT_FALSE(w.files.has_file("/run/ce.xls"));
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, Failure,
    ::testing::Values(FailureCase{"NoResponse", "", Status::CannotOpen, ConvertOutcome::NoResponse},
                      FailureCase{"LoginPage", "\r\n  <!DOCTYPE html><html>登录</html>", Status::CannotOpen,
                                  ConvertOutcome::NotLoggedIn},
                      FailureCase{"LoginPageWithBom", "\xEF\xBB\xBF<html>", Status::CannotOpen,
                                  ConvertOutcome::NotLoggedIn},
                      FailureCase{"NotAWorkbook", std::string("PK\x03\x04", 4), Status::CannotOpen,
                                  ConvertOutcome::ExportUnreadable},
                      FailureCase{"UndecodableCells", "XLS", Status::Unreadable,
                                  ConvertOutcome::ExportUnreadable},
                      FailureCase{"NoPage1", "XLS", Status::NoSuchSheet, ConvertOutcome::NoSheet},
                      FailureCase{"NoRecords", "XLS", Status::Ok, ConvertOutcome::NothingConverted}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pagloom
