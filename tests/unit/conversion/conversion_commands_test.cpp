// The conversion tab's commands over the fakes: login step, single and batch
// conversion, link-file import and saving the converted links.
#include "conversion/conversion_commands.h"

#include <gtest/gtest.h>

#include <optional>

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
      statuses_during.push_back(status_during);
      tabs_enabled_during = w.ui.is_enabled("选择夹1");
      SheetRecords r;
      r.status = sheet_status;
      r.records = records ? *records : records_for(last_export_ids());
      r.lossy_cells = lossy_cells;
      return r;
    };
  }

  // The ids of the latest export request.
  std::vector<Text> last_export_ids() const {
    const std::vector<Text> urls = export_urls();
    if (urls.empty()) return {};
    return text_split(std::string_view(urls.back()).substr(kExportPrefix.size()), ",");
  }

  // What the service exports for ids: a record per id, in reverse order (the
  // pairing by id must not rely on the order).
  static Rows records_for(const std::vector<Text>& ids) {
    Rows out;
    for (auto it = ids.rbegin(); it != ids.rend(); ++it)
      out.push_back({*it, "", text_concat("标题", *it), "", text_concat("http://s.test/", *it)});
    return out;
  }

  std::vector<Text> export_urls() const {
    std::vector<Text> urls;
    for (const auto& r : w.http.requests)
      if (r.url.starts_with(kExportPrefix)) urls.push_back(r.url);
    return urls;
  }

  FakeWorld w;
  bool logged_in = true;
  std::string export_body = "XLS";
  Status sheet_status = Status::Ok;
  std::optional<Rows> records;  // what every export gives instead of records_for
  int lossy_cells = 0;
  Text status_during;
  std::vector<Text> statuses_during;
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
  EXPECT_EQ(w.ui.rows("超级列表框转换链接", 3), (Rows{{"1", "标题123", "http://s.test/123"}}));
  EXPECT_EQ(w.ui.text("编辑框7"), "1");
  EXPECT_EQ(status_during, "正在转换中。。。");
  EXPECT_EQ(w.ui.text("编辑框10"), "http://s.test/123");
  EXPECT_EQ(w.ui.text("标签9"), "");
  EXPECT_EQ(w.ui.sleeps, (std::vector<int>{100, 300}));
  EXPECT_EQ(w.ui.text("按钮2"), "登陆成功");
  EXPECT_FALSE(w.ui.is_enabled("按钮2"));
  EXPECT_TRUE(w.ui.messages.empty());
}

TEST_F(ConversionTest, SingleTakesTheLinkOutOfAShareText) {
  w.ui.texts["编辑框6"] = "【淘宝】好物 https://item.taobao.com/item.htm?id=88&amp;spm=1 点击链接直接打开";
  convert_single(w.ctx);
  EXPECT_EQ(export_urls(), std::vector<Text>{text_concat(kExportPrefix, "88")});
  EXPECT_EQ(w.ui.text("编辑框10"), "http://s.test/88");
}

TEST_F(ConversionTest, SingleWithoutInputAsksForALink) {
  w.ui.texts["编辑框10"] = "previous";
  convert_single(w.ctx);
  EXPECT_EQ(w.ui.messages, std::vector<Text>{"请输入要转换的淘宝链接"});
  EXPECT_TRUE(export_urls().empty());
  EXPECT_EQ(w.ui.text("编辑框10"), "");
  EXPECT_EQ(w.ui.text("按钮2"), "登陆成功");  // the login step came first
}

// A refused link sends nothing and clears the previous result.
TEST_F(ConversionTest, SingleRefusalsClearTheResult) {
  const std::vector<std::pair<Text, Text>> cases = {
      {"   ",
       "这个链接里找不到商品ID，无法转换。请输入带有“id=商品编号”的淘宝商品链接，或者直接输入商品编号。"},
      {"http://item.test/item.htm?userid=7",
       "短链接解析失败：打开这个链接没有找到商品ID。请在浏览器里打开它，复制商品链接后再转换。"},
      {"复制这条信息￥AbCd1234Ef￥，打开手机淘宝即可看到",
       "这是淘口令，不是链接：请在手机淘宝里打开它，复制商品链接后再转换。"},
  };
  for (const auto& [input, message] : cases) {
    w.ui.messages.clear();
    w.ui.texts["编辑框6"] = input;
    w.ui.texts["编辑框10"] = "previous";
    convert_single(w.ctx);
    EXPECT_EQ(w.ui.messages, std::vector<Text>{message}) << input;
    EXPECT_EQ(w.ui.text("编辑框10"), "") << input;
  }
  EXPECT_TRUE(export_urls().empty());
}

TEST_F(ConversionTest, SingleSaysHowManyCellsLostCharacters) {
  lossy_cells = 2;
  w.ui.texts["编辑框6"] = "123";
  convert_single(w.ctx);
  EXPECT_EQ(w.ui.text("编辑框10"), "http://s.test/123");
  EXPECT_EQ(w.ui.messages,
            std::vector<Text>{"导出表格里有2个单元格含有GBK无法显示的字符，这些字符显示为“?”。"});
}

// ---- short links ----

constexpr std::string_view kRedirecting = "https://short.test/h.Redirect?tk=1";
constexpr std::string_view kPage = "https://short.test/h.Page";
constexpr std::string_view kBroken = "https://short.test/h.Broken";

class ShortLinkTest : public ConversionTest {
 protected:
  void SetUp() override {
    ConversionTest::SetUp();
    auto answer_export = w.http.handler;
    w.http.handler = [answer_export](const HttpRequest& r) {
      HttpResponse response = FakeHttp::ok("<html>...</html>");
      if (r.url == kRedirecting) {
        response.final_url = "https://item.taobao.com/item.htm?id=501&ali_trackid=2";
      } else if (r.url == kPage) {
        response.final_url = r.url;
        response.body =
            text_to_bytes("<script>var url = 'https://item.taobao.com/item.htm?id=502';</script>");
      } else if (r.url == kBroken) {
        response = FakeHttp::ok("<p>404</p>", 404);
      } else {
        return answer_export(r);
      }
      return response;
    };
  }
  std::vector<HttpRequest> short_link_requests() const {
    std::vector<HttpRequest> found;
    for (const auto& r : w.http.requests)
      if (r.url.find("short.test") != std::string::npos) found.push_back(r);
    return found;
  }
};

TEST_F(ShortLinkTest, SingleResolvesThroughOneGetFollowingFiveRedirects) {
  w.ui.texts["编辑框6"] = text_concat("【淘宝】 ", kRedirecting, " 点击链接直接打开");
  convert_single(w.ctx);
  const auto requests = short_link_requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].max_redirects, 5);
  EXPECT_EQ(export_urls(), std::vector<Text>{text_concat(kExportPrefix, "501")});
  EXPECT_EQ(w.ui.text("编辑框10"), "http://s.test/501");
}

TEST_F(ShortLinkTest, BatchResolvesEachShortLinkAndMarksEveryRow) {
  w.ui.list_views["超级列表框2"].rows = {{Text(kPage), "页面"},
                                         {"http://item.test/i.htm?id=11", "直接"},
                                         {Text(kBroken), "坏的"},
                                         {"随便写的字", "无"},
                                         {Text(kRedirecting), "跳转"}};
  std::vector<Text> labels;
  w.http.handler = [this, inner = w.http.handler, &labels](const HttpRequest& r) {
    labels.push_back(w.ui.text("标签9"));
    return inner(r);
  };
  convert_batch(w.ctx);

  EXPECT_EQ(short_link_requests().size(), 3u);
  EXPECT_EQ(labels[1], "正在解析短链接 1/3");  // after the login probe
  EXPECT_EQ(labels[3], "正在解析短链接 3/3");
  EXPECT_EQ(export_urls(), std::vector<Text>{text_concat(kExportPrefix, "502,11,501")});
  EXPECT_EQ(w.ui.rows("超级列表框2", 3), (Rows{{Text(kPage), "页面", "已转换"},
                                               {"http://item.test/i.htm?id=11", "直接", "已转换"},
                                               {Text(kBroken), "坏的", "短链接解析失败"},
                                               {"随便写的字", "无", "找不到商品ID"},
                                               {Text(kRedirecting), "跳转", "已转换"}}));
  EXPECT_EQ(w.ui.rows("超级列表框3", 2), (Rows{{"http://s.test/502", "标题502"},
                                               {"http://s.test/11", "标题11"},
                                               {"http://s.test/501", "标题501"}}));
  EXPECT_EQ(w.ui.messages,
            std::vector<Text>{text_concat("共5个链接，已转换3个，找不到商品ID1个，短链接解析失败1个。\r\n"
                                          "没有转换的链接：\r\n",
                                          kBroken, "\r\n随便写的字")});
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
    records = Rows{};
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
  EXPECT_EQ(w.ui.rows("超级列表框2", 3),
            (Rows{{"1", "t1", "未转换"}, {"http://x.test/?id=2", "t2", "未转换"}}));
  EXPECT_EQ(w.ui.messages, std::vector<Text>{text_concat(GetParam().message,
                                                         "\r\n共2个链接，已转换0个，未转换2个。\r\n"
                                                         "没有转换的链接：\r\n1\r\nhttp://x.test/?id=2")});
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

TEST_F(ConversionTest, BatchConvertsEveryLinkWithAnIdInListOrder) {
  w.ui.list_views["超级列表框2"].rows = {{"http://item.test/i.htm?id=11&a=1", "裙子"},
                                         {"item.test/nothing.htm", "无"},
                                         {"33", "鞋"},
                                         {"https://a.m.taobao.com/i11.htm", "同一个"}};
  w.ui.list_views["超级列表框3"].rows = {{"old", "old"}};
  convert_batch(w.ctx);

  EXPECT_EQ(export_urls(), std::vector<Text>{text_concat(kExportPrefix, "11,33")});
  EXPECT_EQ(w.ui.rows("超级列表框1", 2), (Rows{{"11", "裙子"}, {"33", "鞋"}, {"11", "同一个"}}));
  EXPECT_EQ(w.ui.text("编辑框7"), "3");
  EXPECT_EQ(status_during, "正在转换中");
  EXPECT_FALSE(tabs_enabled_during);
  EXPECT_TRUE(w.ui.is_enabled("选择夹1"));
  EXPECT_EQ(w.ui.text("标签9"), "转换完成");
  // The export answered 33 before 11; the converted list follows the links.
  EXPECT_EQ(
      w.ui.rows("超级列表框3", 2),
      (Rows{{"http://s.test/11", "标题11"}, {"http://s.test/33", "标题33"}, {"http://s.test/11", "标题11"}}));
  EXPECT_EQ(w.ui.cell("超级列表框2", 1, 2), "找不到商品ID");
  EXPECT_EQ(w.ui.messages, std::vector<Text>{"共4个链接，已转换3个，找不到商品ID1个。\r\n"
                                             "没有转换的链接：\r\nitem.test/nothing.htm"});
}

TEST_F(ConversionTest, BatchOfSixtyFiveIdsTakesThreeRequests) {
  Rows links;
  for (int i = 0; i < 65; ++i) links.push_back({number_to_text(1000 + i), number_to_text(i)});
  w.ui.list_views["超级列表框2"].rows = links;
  // The second request's export lacks its last id and reads one lossy cell.
  w.spreadsheet.handler = [this, inner = w.spreadsheet.handler](const Text& path, const std::string& sheet) {
    SheetRecords r = inner(path, sheet);
    if (export_urls().size() == 2) {
      r.records.erase(r.records.begin());
      r.lossy_cells = 1;
    }
    return r;
  };
  convert_batch(w.ctx);

  const auto urls = export_urls();
  ASSERT_EQ(urls.size(), 3u);
  std::vector<std::size_t> sizes;
  for (const Text& url : urls)
    sizes.push_back(text_split(std::string_view(url).substr(kExportPrefix.size()), ",").size());
  EXPECT_EQ(sizes, (std::vector<std::size_t>{30, 30, 5}));
  EXPECT_EQ(statuses_during, (std::vector<Text>{"正在转换中 1/3", "正在转换中 2/3", "正在转换中 3/3"}));
  EXPECT_EQ(w.ui.text("编辑框7"), "65");
  ASSERT_EQ(w.ui.row_count("超级列表框3"), 64);
  EXPECT_EQ(w.ui.cell("超级列表框3", 0, 0), "http://s.test/1000");
  EXPECT_EQ(w.ui.cell("超级列表框3", 63, 0), "http://s.test/1064");
  EXPECT_EQ(w.ui.cell("超级列表框2", 59, 2), "未转换");
  EXPECT_EQ(w.ui.cell("超级列表框2", 60, 2), "已转换");
  EXPECT_EQ(w.ui.row_count("超级列表框转换链接"), 64);
  EXPECT_EQ(w.ui.messages,
            std::vector<Text>{"共65个链接，已转换64个，未转换1个。\r\n没有转换的链接：\r\n1059\r\n"
                              "导出表格里有1个单元格含有GBK无法显示的字符，这些字符显示为“?”。"});
}

TEST_F(ConversionTest, BatchNamesAtMostFiveFailedLinks) {
  Rows links = {{"1", "ok"}};
  for (int i = 0; i < 7; ++i) links.push_back({text_concat("bad", number_to_text(i)), ""});
  w.ui.list_views["超级列表框2"].rows = links;
  convert_batch(w.ctx);
  ASSERT_EQ(w.ui.messages.size(), 1u);
  EXPECT_EQ(w.ui.messages[0],
            "共8个链接，已转换1个，找不到商品ID7个。\r\n没有转换的链接：\r\n"
            "bad0\r\nbad1\r\nbad2\r\nbad3\r\nbad4\r\n……");
}

TEST_F(ConversionTest, BatchWithoutAnyIdSendsNothingAndMarksEveryLink) {
  w.ui.list_views["超级列表框2"].rows = {{"http://a.test/?userid=1", "a"}, {"b", "b"}};
  w.http.handler = [inner = w.http.handler](const HttpRequest& r) {
    return r.url == "http://a.test/?userid=1" ? HttpResponse{} : inner(r);
  };
  w.ui.list_views["超级列表框3"].rows = {{"old", "t"}};
  convert_batch(w.ctx);
  EXPECT_EQ(w.ui.messages, std::vector<Text>{"共2个链接，已转换0个，找不到商品ID1个，短链接解析失败1个。\r\n"
                                             "没有转换的链接：\r\nhttp://a.test/?userid=1\r\nb"});
  EXPECT_TRUE(export_urls().empty());
  EXPECT_EQ(w.ui.row_count("超级列表框3"), 0);
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

std::string utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

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
        ImportCase{
            "EmptyFileKeepsTheList", "", {{"old", "old"}}, {"链接文件里没有找到链接，链接列表没有改变。"}},
        ImportCase{"NoLinkKeepsTheList",
                   "只有文字\r\n",
                   {{"old", "old"}},
                   {"链接文件里没有找到链接，链接列表没有改变。"}},
        ImportCase{"PlainGbkList",
                   "红裙 https://item.taobao.com/item.htm?id=1\r\nhttps://m.tb.cn/h.2\r\n",
                   {{"https://item.taobao.com/item.htm?id=1", "红裙"}, {"https://m.tb.cn/h.2", ""}},
                   {}},
        ImportCase{"Utf8List",
                   utf8(u8"红裙 https://item.taobao.com/item.htm?id=1\n【淘宝】好物 https://m.tb.cn/h.2 "
                        u8"点击链接直接打开\n"),
                   {{"https://item.taobao.com/item.htm?id=1", "红裙"},
                    {"https://m.tb.cn/h.2", "【淘宝】好物 点击链接直接打开"}},
                   {}},
        ImportCase{"Utf8WithMarkSeparatorFormat",
                   utf8(u8"\uFEFF标题------链接分隔符------L------商品分隔符------"),
                   {{"L", "标题"}},
                   {}},
        ImportCase{
            "Utf8WithMarkAsciiOnly", utf8(u8"\uFEFFhttp://a.test/?id=1"), {{"http://a.test/?id=1", ""}}, {}},
        ImportCase{"Utf8CharacterGbkLacks",
                   utf8(u8"\u20A4 T http://a.test/?id=1\n"),
                   {{"http://a.test/?id=1", "? T"}},
                   {"链接文件里有1个字符GBK无法显示，已显示为“?”。"}},
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

TEST_F(SaveTest, ImportReadsTheSavedFileBackExactly) {
  // Line breaks inside cells and a separator the format cannot hold.
  w.ui.list_views["超级列表框3"].rows.push_back({"http://s.test/d", "两行\r\n标题"});
  w.ui.list_views["超级列表框3"].rows.push_back({"http://s.test/e", "A------链接分隔符------B"});
  w.ui.save_answers.push_back(Text("/run/out.txt"));
  save_converted_links(w.ctx);
  EXPECT_EQ(w.ui.save_filters, std::vector<Text>{"链接文件 (*.txt);;表格文件 (*.csv)"});
  ASSERT_TRUE(w.files.has_file("/run/out.txt"));
  EXPECT_EQ(text_find(w.files.content("/run/out.txt"),
                      "红色 连衣裙------链接分隔符------http://s.test/t?e=1&id=2------商品分隔符------\r\n"
                      "------链接分隔符------http://s.test/b------商品分隔符------\r\n"),
            1);
  EXPECT_EQ(w.ui.messages,
            std::vector<Text>{"已保存5个淘宝客链接到文件：/run/out.txt\r\n"
                              "其中1个单元格含有分隔符文字，链接文件装不下，保存时已把分隔符文字拆开。"});

  w.ui.open_answers.push_back(Text("/run/out.txt"));
  import_link_file(w.ctx);
  Rows expected = w.ui.rows("超级列表框3", 2);
  expected[4][1] = "A------链接 分隔符------B";
  EXPECT_EQ(w.ui.rows("超级列表框2", 2), expected);
}

TEST_F(SaveTest, WritesTheNameTheDialogGaveAsItIs) {
  w.files.add_folder("/run/v1.2");
  // The dialog itself adds the extension and asks before replacing a file:
  // nothing is appended afterwards, so no file it did not ask about is hit.
  for (const Text& chosen : std::vector<Text>{"/run/out", "/run/out.dat", "/run/v1.2/out"}) {
    w.files.files.clear();
    w.ui.save_answers.push_back(chosen);
    save_converted_links(w.ctx);
    EXPECT_TRUE(w.files.has_file(chosen)) << chosen;
    EXPECT_EQ(w.files.files.size(), 1u) << chosen;
  }
}

TEST_F(SaveTest, CsvHoldsEveryLinkOfTheBatchWithItsStatus) {
  w.ui.list_views["超级列表框2"].rows = {{"http://item.test/?id=2", "原标题", "已转换"},
                                         {"坏链接", "坏", "找不到商品ID"},
                                         {"3", "", "已转换"},
                                         {"4", "引号\"和,逗号", "未转换"},
                                         {"5", "", "已转换"}};
  w.ui.save_answers.push_back(Text("/run/out.CSV"));
  save_converted_links(w.ctx);
  const std::string expected = utf8(
      u8"\uFEFF商品标题,淘宝客链接,商品链接,状态\r\n"
      u8"红色 连衣裙,http://s.test/t?e=1&id=2,http://item.test/?id=2,已转换\r\n"
      u8"坏,,坏链接,找不到商品ID\r\n"
      u8",http://s.test/b,3,已转换\r\n"
      u8"\"引号\"\"和,逗号\",,4,未转换\r\n"
      u8"鞋,http://s.test/c,5,已转换\r\n");
  EXPECT_EQ(w.files.content("/run/out.CSV"), expected);
  EXPECT_EQ(w.ui.messages, std::vector<Text>{"已保存3个淘宝客链接到文件：/run/out.CSV"});
}

TEST_F(SaveTest, CsvAfterANewImportHoldsTheConvertedRows) {
  w.ui.list_views["超级列表框2"].rows = {{"http://item.test/?id=9", "新导入的"}};
  w.ui.save_answers.push_back(Text("/run/out.csv"));
  save_converted_links(w.ctx);
  EXPECT_EQ(w.files.content("/run/out.csv"), utf8(u8"\uFEFF商品标题,淘宝客链接,商品链接,状态\r\n"
                                                  u8"红色 连衣裙,http://s.test/t?e=1&id=2,,\r\n"
                                                  u8",http://s.test/b,,\r\n"
                                                  u8"鞋,http://s.test/c,,\r\n"));
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
