// The conversion tab's commands over the fakes: login step, single and batch
// conversion, link-file import and saving the converted links.
#include "conversion/conversion_commands.h"

#include <gtest/gtest.h>

#include "conversion/convert_ids.h"
#include "fakes/fake_context.h"

namespace pagloom {
namespace {

using testing::FakeHttp;
using testing::FakeWorld;
using Rows = std::vector<std::vector<Text>>;
using Status = SheetRecords::Status;

constexpr std::string_view kExportPrefix =
    "http://service.test/union/spread/selfservice/downloadAuctions.do?nid=";
constexpr std::string_view kLoginPage = "http://member.test/home";

// ---- item_id_of ----

struct IdCase {
  const char* name;
  Text link;
  Text id;
};

class ItemId : public ::testing::TestWithParam<IdCase> {};

TEST_P(ItemId, IsTheIdParameterOrTheDigits) { EXPECT_EQ(item_id_of(GetParam().link), GetParam().id); }

INSTANTIATE_TEST_SUITE_P(
    Links, ItemId,
    ::testing::Values(IdCase{"FollowedByParameter", "http://item.test/item.htm?id=123&spm=a1", "123"},
                      IdCase{"LastParameter", "http://item.test/item.htm?id=123", "123"},
                      IdCase{"NotAfterUserid", "http://item.test/item.htm?userid=7&id=9", "9"},
                      IdCase{"EndsAtFragment", "http://item.test/item.htm?id=5#x", "5"},
                      IdCase{"AfterAmpersand", "http://item.test/i.htm?spm=1&id=42&b=2", "42"},
                      IdCase{"IdInFragmentOnly", "http://item.test/i.htm?a=1#&id=5", ""},
                      IdCase{"DigitsOnly", "5566778899", "5566778899"},
                      IdCase{"DigitsWithSpaces", "  5566 \r\n", "5566"},
                      IdCase{"EmptyValue", "http://item.test/i.htm?id=&x=1", ""},
                      IdCase{"OnlyLongerName", "http://item.test/i.htm?userid=7", ""},
                      IdCase{"NoQuery", "http://item.test/item/123.htm", ""}, IdCase{"SpacesOnly", "   ", ""},
                      IdCase{"ChineseAround", "商品?id=77&名称=裙", "77"}, IdCase{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- conversions ----

class ConversionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    w.ui.addresses["超文本浏览框1"] = Text(kLoginPage);
    w.ui.texts["编辑框7"] = "20";
    w.http.handler = [this](const HttpRequest& r) {
      if (r.url == kLoginPage) return FakeHttp::ok(logged_in ? "<a>退出</a>" : "<a>登录</a>");
      return FakeHttp::ok(export_body);
    };
    w.spreadsheet.handler = [this](const Text&, const std::string&) {
      // What the window shows while the export is read.
      status_during = w.ui.text("标签9");
      tabs_enabled_during = w.ui.is_enabled("选择夹1");
      SheetRecords r;
      r.status = sheet_status;
      r.records = records;
      return r;
    };
  }

  std::vector<Text> export_urls() const {
    std::vector<Text> urls;
    for (const auto& r : w.http.requests)
      if (r.url != kLoginPage) urls.push_back(r.url);
    return urls;
  }

  FakeWorld w;
  bool logged_in = true;
  std::string export_body = "XLS";
  Status sheet_status = Status::Ok;
  Rows records = {{"", "", "标题一", "", "http://s.test/a"}, {"", "", "标题二", "", "http://s.test/b"}};
  Text status_during;
  bool tabs_enabled_during = true;
};

TEST_F(ConversionTest, NotLoggedInRestoresTheLoginButtonAndChangesNothingElse) {
  logged_in = false;
  w.ui.texts["按钮2"] = "登陆成功";  // from a login that has since ended
  w.ui.disabled["按钮2"] = true;
  w.ui.texts["编辑框6"] = "123";
  w.ui.list_views["超级列表框2"].rows = {{"123", "t"}};
  w.ui.list_views["超级列表框3"].rows = {{"old", "t"}};
  for (auto command : {convert_single, convert_batch}) {
    w.ui.messages.clear();
    command(w.ctx);
    EXPECT_EQ(w.ui.messages, std::vector<Text>{"请到单页生成菜单，登陆阿里妈妈。"});
  }
  EXPECT_TRUE(export_urls().empty());
  EXPECT_EQ(w.ui.text("按钮2"), "登陆阿里妈妈");
  EXPECT_TRUE(w.ui.is_enabled("按钮2"));
  EXPECT_EQ(w.ui.text("编辑框7"), "20");
  EXPECT_EQ(w.ui.rows("超级列表框3", 2), (Rows{{"old", "t"}}));
}

TEST_F(ConversionTest, SingleShowsTheFirstAffiliateLink) {
  w.ui.texts["编辑框6"] = "http://item.test/item.htm?id=123&spm=a1";
  w.ui.list_views["超级列表框转换链接"].rows = {{"1", "stale"}};
  convert_single(w.ctx);

  EXPECT_EQ(export_urls(), std::vector<Text>{text_concat(kExportPrefix, "123")});
  EXPECT_EQ(w.ui.rows("超级列表框1", 3), (Rows{{"123", "", ""}}));
  EXPECT_EQ(w.ui.text("编辑框7"), "1");
  EXPECT_EQ(status_during, "正在转换中。。。");
  EXPECT_EQ(w.ui.text("编辑框10"), "http://s.test/a");
  EXPECT_EQ(w.ui.text("标签9"), "");
  EXPECT_EQ(w.ui.sleeps, (std::vector<int>{100, 300}));
  EXPECT_EQ(w.ui.text("按钮2"), "登陆成功");
  EXPECT_FALSE(w.ui.is_enabled("按钮2"));
  EXPECT_TRUE(w.ui.messages.empty());
}

TEST_F(ConversionTest, SingleWithoutInputAsksForALink) {
  convert_single(w.ctx);
  EXPECT_EQ(w.ui.messages, std::vector<Text>{"请输入要转换的淘宝链接"});
  EXPECT_TRUE(export_urls().empty());
  EXPECT_EQ(w.ui.text("按钮2"), "登陆成功");  // the login step came first
}

TEST_F(ConversionTest, SingleLinkWithoutIdSendsNothing) {
  w.ui.texts["编辑框6"] = "   ";
  w.ui.texts["编辑框10"] = "previous";
  convert_single(w.ctx);
  EXPECT_EQ(w.ui.messages,
            std::vector<Text>{"这个链接里找不到商品ID，无法转换。请输入带有“id=商品编号”的淘宝商品链接，"
                              "或者直接输入商品编号。"});
  EXPECT_TRUE(export_urls().empty());
  EXPECT_EQ(w.ui.text("编辑框10"), "previous");
}

// Every way a conversion gives no rows, and what the user is told.
struct NothingCase {
  const char* name;
  std::string body;
  Status status;
  bool writable;
  Text message;
  bool session_lost = false;  // the export answer shows a logged-out session
};

class NothingConverted : public ConversionTest, public ::testing::WithParamInterface<NothingCase> {
 protected:
  void arrange() {
    export_body = GetParam().body;
    sheet_status = GetParam().status;
    records.clear();
    if (!GetParam().writable) w.files.read_only.insert("/run/ce.xls");
  }
  // A logged-out export makes 按钮2 the way back to the login page.
  void expect_login_button() {
    EXPECT_EQ(w.ui.text("按钮2"), GetParam().session_lost ? "登陆阿里妈妈" : "登陆成功");
    EXPECT_EQ(w.ui.is_enabled("按钮2"), GetParam().session_lost);
  }
};

TEST_P(NothingConverted, SingleEmptiesTheResultAndSaysWhy) {
  arrange();
  w.ui.texts["编辑框6"] = "123";
  w.ui.texts["编辑框10"] = "previous";
  convert_single(w.ctx);
  EXPECT_EQ(w.ui.text("编辑框10"), "");
  EXPECT_EQ(w.ui.messages, std::vector<Text>{GetParam().message});
  expect_login_button();
}

TEST_P(NothingConverted, BatchLeavesTheConvertedListEmptyAndSaysWhy) {
  arrange();
  w.ui.list_views["超级列表框2"].rows = {{"1", "t1"}, {"http://x.test/?id=2", "t2"}};
  w.ui.list_views["超级列表框3"].rows = {{"old", "t"}};
  convert_batch(w.ctx);
  EXPECT_EQ(w.ui.row_count("超级列表框3"), 0);
  EXPECT_EQ(w.ui.text("标签9"), "转换完成");
  EXPECT_TRUE(w.ui.is_enabled("选择夹1"));
  EXPECT_EQ(w.ui.messages, std::vector<Text>{GetParam().message});
  expect_login_button();
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, NothingConverted,
    ::testing::Values(
        NothingCase{"NoRecords", "XLS", Status::Ok, true,
                    "没有转换出任何链接：阿里妈妈导出的表格里没有商品，这些商品可能没有参加淘宝客推广。"},
        NothingCase{"NoResponse", "", Status::CannotOpen, true,
                    "没有转换出任何链接：没有收到阿里妈妈的导出文件，请检查网络后再试。"},
        NothingCase{"LoginPage", "<html>登录</html>", Status::CannotOpen, true,
                    "没有转换出任何链接：阿里妈妈返回的是网页而不是导出表格，可能登陆已经失效，"
                    "请到单页生成菜单重新登陆阿里妈妈。",
                    true},
        NothingCase{"Unreadable", "garbage", Status::CannotOpen, true,
                    "没有转换出任何链接：阿里妈妈的导出文件无法读取。"},
        NothingCase{"NoSheet", "XLS", Status::NoSuchSheet, true,
                    "没有转换出任何链接：阿里妈妈的导出文件里没有Page1工作表。"},
        NothingCase{"NotWritable", "XLS", Status::Ok, false,
                    "没有转换出任何链接：无法在软件目录下写入导出文件ce.xls，请检查软件目录是否可以写入。"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConversionTest, BatchConvertsEveryLinkWithAnId) {
  w.ui.list_views["超级列表框2"].rows = {
      {"http://item.test/i.htm?id=11&a=1", "裙子"}, {"http://item.test/nothing.htm", "无"}, {"33", "鞋"}};
  w.ui.list_views["超级列表框3"].rows = {{"old", "old"}};
  convert_batch(w.ctx);

  EXPECT_EQ(export_urls(), std::vector<Text>{text_concat(kExportPrefix, "11,33")});
  EXPECT_EQ(w.ui.rows("超级列表框1", 2), (Rows{{"11", "裙子"}, {"33", "鞋"}}));
  EXPECT_EQ(w.ui.text("编辑框7"), "2");
  EXPECT_EQ(status_during, "正在转换中");
  EXPECT_FALSE(tabs_enabled_during);
  EXPECT_TRUE(w.ui.is_enabled("选择夹1"));
  EXPECT_EQ(w.ui.text("标签9"), "转换完成");
  EXPECT_EQ(w.ui.rows("超级列表框3", 2),
            (Rows{{"http://s.test/a", "标题一"}, {"http://s.test/b", "标题二"}}));
  EXPECT_EQ(w.ui.messages, std::vector<Text>{"有1个链接里找不到商品ID，已跳过，没有转换。"});
}

TEST_F(ConversionTest, BatchReportsFailureAndSkippedLinksInOneMessage) {
  sheet_status = Status::NoSuchSheet;
  w.ui.list_views["超级列表框2"].rows = {{"1", "a"}, {"x", "b"}, {"y", "c"}};
  convert_batch(w.ctx);
  EXPECT_EQ(w.ui.messages, std::vector<Text>{"没有转换出任何链接：阿里妈妈的导出文件里没有Page1工作表。\r\n"
                                             "有2个链接里找不到商品ID，已跳过，没有转换。"});
}

TEST_F(ConversionTest, BatchWithoutAnyIdSendsNothing) {
  w.ui.list_views["超级列表框2"].rows = {{"http://a.test/", "a"}, {"b", "b"}};
  w.ui.list_views["超级列表框3"].rows = {{"old", "t"}};
  convert_batch(w.ctx);
  EXPECT_EQ(w.ui.messages, std::vector<Text>{"链接列表里的链接都找不到商品ID，没有可以转换的链接。"});
  EXPECT_TRUE(export_urls().empty());
  EXPECT_EQ(w.ui.rows("超级列表框3", 2), (Rows{{"old", "t"}}));
  EXPECT_TRUE(w.ui.is_enabled("选择夹1"));
}

TEST_F(ConversionTest, BatchNeedsAFirstLink) {
  for (const Rows& links : {Rows{}, Rows{{"", "t"}, {"123", "t"}}}) {
    w.ui.messages.clear();
    w.ui.list_views["超级列表框2"].rows = links;
    convert_batch(w.ctx);
    EXPECT_EQ(w.ui.messages, std::vector<Text>{"请添加淘宝链接数据"});
  }
  EXPECT_TRUE(export_urls().empty());
}

// ---- link-file import ----

struct ImportCase {
  const char* name;
  std::string file;
  Rows rows;  // (link, title)
  std::vector<Text> messages;
};

class Import : public ::testing::TestWithParam<ImportCase> {};

TEST_P(Import, FillsTheLinkList) {
  FakeWorld w;
  w.ui.list_views["超级列表框2"].rows = {{"old", "old"}};
  w.files.add_file("/run/links.txt", GetParam().file);
  w.ui.open_answers.push_back(Text("/run/links.txt"));
  import_link_file(w.ctx);
  EXPECT_EQ(w.ui.rows("超级列表框2", 2), GetParam().rows);
  EXPECT_EQ(w.ui.messages, GetParam().messages);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Import,
    ::testing::Values(
        ImportCase{"TwoItemsTrailingSeparator",
                   "T1------链接分隔符------L1------商品分隔符------T2------链接分隔符------L2------"
                   "商品分隔符------",
                   {{"L1", "T1"}, {"L2", "T2"}},
                   {}},
        ImportCase{"TitleOverLinesWithSpace", "Red\r\n Shoe------链接分隔符------L", {{"L", "Red Shoe"}}, {}},
        ImportCase{"TitleOverLines", "Red\r\nShoe------链接分隔符------L\r\n", {{"L", "RedShoe"}}, {}},
        ImportCase{"SecondLinkSeparatorIgnored",
                   "T------链接分隔符------L------链接分隔符------X",
                   {{"L", "T"}},
                   {}},
        ImportCase{"EmptyFile", "", {}, {}},
        ImportCase{
            "ItemsWithoutLinkSkipped",
            "A------商品分隔符------T------链接分隔符------------商品分隔符------------商品分隔符------"
            "U------链接分隔符------L",
            {{"L", "U"}},
            {"链接文件里有2个商品没有链接，已跳过。"}},
        ImportCase{"BlankPiecesAreNotItems",
                   "------商品分隔符------T------链接分隔符------L------商品分隔符------\n",
                   {{"L", "T"}},
                   {}},
        ImportCase{"StopsAtZeroByte",
                   std::string("T------链接分隔符------L") + '\0' + "T2------链接分隔符------L2",
                   {{"L", "T"}},
                   {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ImportLinkFile, CancelKeepsTheList) {
  FakeWorld w;
  w.ui.list_views["超级列表框2"].rows = {{"L", "T"}};
  w.ui.open_answers.push_back(std::nullopt);
  import_link_file(w.ctx);
  EXPECT_EQ(w.ui.rows("超级列表框2", 2), (Rows{{"L", "T"}}));
  EXPECT_TRUE(w.ui.messages.empty());
}

TEST(ImportLinkFile, UnreadableFileKeepsTheListAndSaysSo) {
  FakeWorld w;
  w.ui.list_views["超级列表框2"].rows = {{"L", "T"}};
  w.ui.open_answers.push_back(Text("/run/gone.txt"));
  import_link_file(w.ctx);
  EXPECT_EQ(w.ui.rows("超级列表框2", 2), (Rows{{"L", "T"}}));
  EXPECT_EQ(w.ui.messages, std::vector<Text>{"无法读取链接文件：/run/gone.txt"});
}

// ---- saving the converted links ----

class SaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    w.ui.list_views["超级列表框3"].rows = {
        {"http://s.test/t?e=1&id=2", "红色 连衣裙"}, {"http://s.test/b", ""}, {"http://s.test/c", "鞋"}};
  }
  FakeWorld w;
};

TEST_F(SaveTest, ImportReadsTheSavedFileBackAsTheSameRows) {
  w.ui.save_answers.push_back(Text("/run/out"));
  save_converted_links(w.ctx);
  ASSERT_TRUE(w.files.has_file("/run/out.txt"));
  EXPECT_EQ(w.files.content("/run/out.txt"),
            "红色 连衣裙------链接分隔符------http://s.test/t?e=1&id=2------商品分隔符------\r\n"
            "------链接分隔符------http://s.test/b------商品分隔符------\r\n"
            "鞋------链接分隔符------http://s.test/c------商品分隔符------\r\n");
  EXPECT_EQ(w.ui.messages, std::vector<Text>{"已保存3个淘宝客链接。"});

  w.ui.open_answers.push_back(Text("/run/out.txt"));
  import_link_file(w.ctx);
  EXPECT_EQ(w.ui.rows("超级列表框2", 2), w.ui.rows("超级列表框3", 2));
}

TEST_F(SaveTest, AddsTxtOnlyWhenTheNameHasNoExtension) {
  w.files.add_folder("/run/v1.2");
  // "昞" is 0x95 0x5C: its trail byte is not a separator, so "d.昞x" has an
  // extension.
  const std::vector<std::pair<Text, Text>> cases = {
      {"/run/out", "/run/out.txt"},     {"/run/out.txt", "/run/out.txt"},
      {"/run/out.dat", "/run/out.dat"}, {"/run/v1.2/out", "/run/v1.2/out.txt"},
      {"/run/d.昞x", "/run/d.昞x"},
  };
  for (const auto& [chosen, written] : cases) {
    w.files.files.clear();
    w.ui.save_answers.push_back(chosen);
    save_converted_links(w.ctx);
    EXPECT_TRUE(w.files.has_file(written)) << chosen;
    EXPECT_EQ(w.files.files.size(), 1u) << chosen;
  }
}

TEST_F(SaveTest, EmptyListWritesNothing) {
  w.ui.list_views["超级列表框3"].rows.clear();
  w.ui.save_answers.push_back(Text("/run/out.txt"));
  save_converted_links(w.ctx);
  EXPECT_EQ(w.ui.messages, std::vector<Text>{"没有可以保存的淘宝客链接，请先转换。"});
  EXPECT_EQ(w.files.writes, 0);
  EXPECT_EQ(w.ui.save_answers.size(), 1u);  // no dialog shown
}

TEST_F(SaveTest, CancelDoesNothing) {
  w.ui.save_answers.push_back(std::nullopt);
  save_converted_links(w.ctx);
  EXPECT_EQ(w.files.writes, 0);
  EXPECT_TRUE(w.ui.messages.empty());
}

TEST_F(SaveTest, FailedWriteSaysSo) {
  w.ui.save_answers.push_back(Text("/missing/out.txt"));
  save_converted_links(w.ctx);
  EXPECT_EQ(w.ui.messages, std::vector<Text>{"保存失败，无法写入文件：/missing/out.txt"});
}

}  // namespace
}  // namespace pagloom
