#include "generation/generation_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "fakes/fake_context.h"
#include "unit/generation/generation_pages.h"
#include "web/web.h"

namespace pagloom::testing {
namespace {

using Rows = std::vector<std::vector<Text>>;

constexpr std::string_view kList = "超级列表框1";
constexpr std::string_view kLogin = "http://member.test/membersvc/index.htm";
constexpr std::string_view kSearch = "http://service.test/union/spread/selfservice/merchandisePromotion.htm?";

// Log lines, byte for byte.
const Text kStart = "正在努力采集.......\r\n";
const Text kSearching = "正在按销量由高到底搜寻。。。\r\n";
const Text kParsed = "搜寻完毕\r\n";
const Text kProducts = "开始搜寻单个宝贝信息。。。。\r\n";
const Text kNoSortOrder = "请选择排序方式";
Text product_lines(std::string_view title) {
  return text_concat("开始搜寻", title, "的信息\r\n搜寻", title, "完毕\r\n");
}
Text end_line(std::string_view keyword) { return text_concat("生成关键词\"", keyword, ".htm\"完毕"); }
const Text kStopped = "已停止生成。\r\n";
const Text kSessionLost = "阿里妈妈登录已失效，请在登录页重新登录，登录后自动继续。\r\n";
const Text kLoggedInAgain = "已重新登录，继续生成。\r\n";
const Text kLoginTimedOut = "等待登录超时，生成已停止。\r\n";
Text summary(int pages) {
  return text_concat("生成结束：共生成", number_to_text(pages), "个页面，保存在 /run/单页生成/模板/T\r\n");
}

// A logged-in window with template "T" selected, keywords "a" and "b", two
// products each, and services that answer every search.
class RunWorld : public FakeWorld {
 public:
  bool logged_in = true;
  std::map<Text, Text> promotion;      // by keyword
  std::map<std::string, Text> market;  // by wire address

  RunWorld() {
    files.add_file("/run/单页生成/模板/T/模板文件.htm",
                   "<h1>[#关键词#]</h1>[#商品循环开始#]<li>[#商品排名#]:[#商品标题#]@[#商品价格#]</li>"
                   "[#商品循环结束#]<p>end</p>");
    ui.list_boxes["列表框1"] = {{"T"}, 0};
    ui.addresses["超文本浏览框1"] = Text(kLogin);
    ui.texts["编辑框1"] = "a\r\nb";
    ui.texts["编辑框7"] = "2";
    add_keyword("a", {{"1", "红帽", "老王", "12.50"}, {"2", "蓝帽", "小李", "3"}});
    add_keyword("b", {{"3", "C", "m3", "4"}, {"4", "D", "m4", "5"}});
    http.handler = [this](const HttpRequest& r) { return FakeHttp::ok(answer(r.url)); };
  }

  struct Product {
    Text id, title, merchant, price;
  };
  void add_keyword(const Text& keyword, const std::vector<Product>& products) {
    Text entries;
    for (const Product& p : products) {
      entries += promotion_entry(p.id, p.title, p.merchant);
      market[wire_address("http://market.test/search?q=" + p.title)] =
          market_listing(p.id, "http://img/" + p.id, "http://item/" + p.id, p.price, "9");
    }
    promotion[keyword] = promotion_page(entries);
  }

  Text answer(const std::string& url) {
    if (url == kLogin) return logged_in ? "<a>退出</a>" : "<a>登录</a>";
    if (url.starts_with(kSearch)) {
      // A lost session gets the login page instead of the search result.
      if (!logged_in) return "<form>登录</form>";
      return promotion[extract_between(url, "&q=", "&_fmu.a._0.u=", 0)];
    }
    return market[url];
  }

  // The promotion searches made, as the keywords they asked for.
  std::vector<Text> searched_keywords() const {
    std::vector<Text> out;
    for (const auto& r : http.requests) {
      if (r.url.starts_with(kSearch)) out.push_back(extract_between(r.url, "&q=", "&_fmu.a._0.u=", 0));
    }
    return out;
  }
  Text page_file(std::string_view keyword) const {
    return files.content(text_concat("/run/单页生成/模板/T/", keyword, ".htm"));
  }
  bool has_page_file(std::string_view keyword) const {
    return files.has_file(text_concat("/run/单页生成/模板/T/", keyword, ".htm"));
  }
  Text log() const { return ui.text("编辑框8"); }
  int probes() const {
    return static_cast<int>(std::count_if(http.requests.begin(), http.requests.end(),
                                          [](const HttpRequest& r) { return r.url == kLogin; }));
  }
  // Acts during the delay with this 0-based index of the run.
  void during_delay(int index, std::function<void()> act) {
    ui.on_delay = [this, index, act](int) {
      if (static_cast<int>(ui.delays.size()) - 1 == index) act();
    };
  }
};

const Text kLogOfWholeRun =
    "正在努力采集.......\r\n"
    "正在按销量由高到底搜寻。。。\r\n"
    "搜寻完毕\r\n"
    "开始搜寻单个宝贝信息。。。。\r\n"
    "开始搜寻红帽的信息\r\n"
    "搜寻红帽完毕\r\n"
    "开始搜寻蓝帽的信息\r\n"
    "搜寻蓝帽完毕\r\n"
    "生成关键词\"a.htm\"完毕正在按销量由高到底搜寻。。。\r\n"
    "搜寻完毕\r\n"
    "开始搜寻单个宝贝信息。。。。\r\n"
    "开始搜寻C的信息\r\n"
    "搜寻C完毕\r\n"
    "开始搜寻D的信息\r\n"
    "搜寻D完毕\r\n"
    "生成关键词\"b.htm\"完毕\r\n"
    "生成结束：共生成2个页面，保存在 /run/单页生成/模板/T\r\n";

TEST(GenerationRun, WholeRunOfTwoKeywords) {
  RunWorld w;
  w.ui.list_views["超级列表框转换链接"].rows = {{"1", "old"}};
  w.ctx.state.stop_requested = 1;  // left over from an earlier stop

  start_generation(w.ctx);

  EXPECT_EQ(w.log(), kLogOfWholeRun);
  EXPECT_EQ(w.page_file("a"), "<h1>a</h1><li>1:红帽@12.50</li><li>2:蓝帽@3</li><p>end</p>");
  EXPECT_EQ(w.page_file("b"), "<h1>b</h1><li>1:C@4</li><li>2:D@5</li><p>end</p>");
  EXPECT_EQ(w.ui.rows(kList, 3), (Rows{{"3", "C", "m3"}, {"4", "D", "m4"}}));
  EXPECT_EQ(w.ui.row_count("超级列表框转换链接"), 0);
  EXPECT_EQ(w.ui.page("选择夹2"), 2);
  EXPECT_EQ(w.ui.text("按钮2"), "登陆成功");
  EXPECT_FALSE(w.ui.is_enabled("按钮2"));
  EXPECT_EQ(w.ctx.state.current_keyword, "b");
  EXPECT_FALSE(w.ctx.state.run_active);

  std::vector<std::string> calls;
  for (const auto& r : w.http.requests) calls.push_back(r.method + " " + r.url);
  const std::string search_a =
      std::string(kSearch) +
      "cat=&discountId=&pidvid=&_fmu.a._0.t=1&_fmu.a._0.pe=40&_fmu.a._0.l=&_fmu.a._0.so="
      "_totalnum&c=&rewrite=&cat=&mid=&searchType=0&q=a&_fmu.a._0.u=&_fmu.a._0.s=&_fmu.a."
      "_0.sta=&_fmu.a._0.end=&_fmu.a._0.st=&_fmu.a._0.en=&_fmu.a._0.star=0&loc=";
  std::string search_b = search_a;
  search_b.replace(search_b.find("&q=a&"), 5, "&q=b&");
  EXPECT_EQ(calls, (std::vector<std::string>{
                       "post " + std::string(kLogin),
                       "POST " + search_a,
                       "POST " + wire_address("http://market.test/search?q=红帽"),
                       "POST " + wire_address("http://market.test/search?q=蓝帽"),
                       "POST " + search_b,
                       "POST http://market.test/search?q=C",
                       "POST http://market.test/search?q=D",
                   }));
  EXPECT_EQ(w.ui.delays, (std::vector<int>{500,                      // start
                                           200, 500, 200, 500, 200,  // pass a
                                           200, 200, 200, 200, 100,  // its products, end
                                           200, 500, 200, 500, 200,  // pass b
                                           200, 200, 200, 200, 100}));
}

struct KeywordListCase {
  const char* name;
  Text keywords;
  std::vector<Text> passes;
};

class KeywordList : public ::testing::TestWithParam<KeywordListCase> {};

TEST_P(KeywordList, MakesOnePassPerLine) {
  RunWorld w;
  w.ui.texts["编辑框1"] = GetParam().keywords;
  w.ui.texts["编辑框7"] = "0";
  int pages = 0;
  for (const Text& keyword : GetParam().passes) {
    if (keyword.empty() || w.promotion.count(keyword) != 0) continue;
    w.add_keyword(keyword, {{"9", "X", "m", "1"}});
  }
  start_generation(w.ctx);
  EXPECT_EQ(w.searched_keywords(), GetParam().passes);
  for (const Text& keyword : GetParam().passes) {
    // The empty keyword finds no product and so gets no page.
    EXPECT_EQ(w.has_page_file(keyword), !keyword.empty()) << keyword;
    if (!keyword.empty()) ++pages;
  }
  EXPECT_EQ(w.files.writes, pages);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KeywordList,
    ::testing::Values(KeywordListCase{"EmptyLineIsAKeyword", "a\r\n\r\nb\r\n", {"a", "", "b"}},
                      KeywordListCase{"LeadingLineBreak", "\r\na", {"", "a"}},
                      // Appended as it is; the request layer alone encodes for the wire.
                      KeywordListCase{"KeywordAppendedRaw", "k&x=1#y+z", {"k&x=1#y+z"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct SortCase {
  int index;
  const char* key;
  const char* entry;
};

class SortOrder : public ::testing::TestWithParam<SortCase> {};

TEST_P(SortOrder, SelectsTheSortKeyAndNamesTheEntry) {
  RunWorld w;
  w.ui.texts["编辑框1"] = "a";
  w.ui.texts["编辑框7"] = "0";
  w.ui.set_combo_index("组合框1", GetParam().index);
  start_generation(w.ctx);
  ASSERT_EQ(w.http.requests.size(), 2u);
  EXPECT_NE(w.http.requests[1].url.find(text_concat("&_fmu.a._0.so=", GetParam().key, "&c=")),
            std::string::npos);
  EXPECT_EQ(w.log(), text_concat(kStart, "正在", GetParam().entry, "搜寻。。。\r\n", kParsed, kProducts,
                                 end_line("a"), "\r\n", summary(1)));
}

INSTANTIATE_TEST_SUITE_P(Entries, SortOrder,
                         ::testing::Values(SortCase{0, "_totalnum", "按销量由高到底"},
                                           SortCase{1, "_commrate", "按佣金比率由高到底"},
                                           SortCase{2, "_totalfee", "30天支出佣金由高到底"}));

// ---- where a stop clicked during a delay ends the run ----

struct StopCase {
  int delay_index;  // with keywords a and b and one product each
  Text log;
  std::size_t delays;  // delays made in all
  std::size_t searches;
  bool page_a;
  std::size_t rows;
};

class StopDuringDelay : public ::testing::TestWithParam<StopCase> {};

TEST_P(StopDuringDelay, EndsTheRunBeforeTheNextRequest) {
  RunWorld w;
  w.ui.texts["编辑框7"] = "1";
  std::size_t requests_at_stop = 0;
  w.during_delay(GetParam().delay_index, [&] {
    w.ctx.state.stop_requested = 1;
    requests_at_stop = w.http.requests.size();
  });
  start_generation(w.ctx);
  EXPECT_EQ(w.log(), GetParam().log);
  EXPECT_EQ(w.http.requests.size(), requests_at_stop);
  EXPECT_EQ(w.ui.delays.size(), GetParam().delays);
  EXPECT_EQ(w.searched_keywords().size(), GetParam().searches);
  EXPECT_EQ(w.has_page_file("a"), GetParam().page_a);
  EXPECT_FALSE(w.has_page_file("b"));
  EXPECT_EQ(w.ui.row_count(kList), static_cast<int>(GetParam().rows));
  EXPECT_FALSE(w.ctx.state.run_active);
}

const Text kStoppedBeforeParsing = kStart + kSearching;
const Text kStoppedBeforeProducts = kStart + kSearching + kParsed + kProducts;
// Page a is whole; the stop is seen before the search of b.
const Text kStoppedAfterPage =
    kStoppedBeforeProducts + product_lines("红帽") + end_line("a") + "\r\n" + kStopped;

INSTANTIATE_TEST_SUITE_P(
    DelayIndex, StopDuringDelay,
    ::testing::Values(StopCase{0, kStart + kStopped, 1, 0, false, 0},                  // start: no probe
                      StopCase{1, kStoppedBeforeParsing + kStopped, 2, 1, false, 0},   // step 2
                      StopCase{2, kStoppedBeforeProducts + kStopped, 6, 1, false, 2},  // step 6
                      StopCase{3, kStoppedBeforeProducts + kStopped, 6, 1, false, 2},  // step 10
                      StopCase{4, kStoppedBeforeProducts + kStopped, 6, 1, false, 2},  // step 10
                      StopCase{5, kStoppedBeforeProducts + kStopped, 6, 1, false, 2},  // step 12
                      StopCase{6, kStoppedAfterPage, 9, 1, true, 2},                   // last product
                      StopCase{7, kStoppedAfterPage, 9, 1, true, 2},                   // last product
                      StopCase{8, kStoppedAfterPage, 9, 1, true, 2}));                 // step 15

TEST(GenerationRun, StopDuringAProductCutsThePageShortAndSaysSo) {
  RunWorld w;  // two products for each keyword
  std::size_t requests_at_stop = 0;
  w.during_delay(6, [&] {  // while 红帽 is read
    w.ctx.state.stop_requested = 1;
    requests_at_stop = w.http.requests.size();
  });
  start_generation(w.ctx);
  EXPECT_EQ(w.log(), kStoppedBeforeProducts + product_lines("红帽") +
                         "关键词\"a.htm\"已停止，只生成了1个商品\r\n" + kStopped);
  EXPECT_EQ(w.http.requests.size(), requests_at_stop);
  EXPECT_EQ(w.page_file("a"), "<h1>a</h1><li>1:红帽@12.50</li><p>end</p>");
  EXPECT_FALSE(w.has_page_file("b"));
}

// ---- fewer products than asked for, or none ----

TEST(GenerationRun, FewerProductsThanTheCountMakeNoFillerCards) {
  RunWorld w;
  w.ui.texts["编辑框1"] = "a";
  w.ui.texts["编辑框7"] = "10";
  start_generation(w.ctx);
  EXPECT_EQ(w.log(), kStart + kSearching + kParsed + "只找到2个商品，少于商品数量10\r\n" + kProducts +
                         product_lines("红帽") + product_lines("蓝帽") + end_line("a") + "\r\n" + summary(1));
  EXPECT_EQ(w.page_file("a"), "<h1>a</h1><li>1:红帽@12.50</li><li>2:蓝帽@3</li><p>end</p>");
  EXPECT_EQ(w.http.requests.size(), 4u);  // probe, search, two products
}

TEST(GenerationRun, KeywordWithoutProductsKeepsItsOldPageAndTheRunGoesOn) {
  RunWorld w;
  w.ui.texts["编辑框1"] = "none\r\na";
  w.ui.texts["编辑框7"] = "1";
  w.files.add_file("/run/单页生成/模板/T/none.htm", "a page of an earlier run");
  start_generation(w.ctx);
  EXPECT_EQ(w.log(), kStart + kSearching + kParsed + "没有找到关键词\"none\"的商品，未生成页面\r\n" +
                         kSearching + kParsed + kProducts + product_lines("红帽") + end_line("a") + "\r\n" +
                         summary(1));
  EXPECT_EQ(w.page_file("none"), "a page of an earlier run");
  EXPECT_EQ(w.files.writes, 1);
  EXPECT_EQ(w.probes(), 2);  // the start check and the one for "none"
  EXPECT_EQ(w.ui.text("按钮2"), "登陆成功");
}

// ---- the session ends during a run ----

// Keywords a and b with two products each; the session ends while page a is
// finished, so the search of b meets the login page.
class SessionLost : public ::testing::Test {
 protected:
  static constexpr int kPageEndDelay = 10;  // the 100 ms after page a
  static constexpr int kProbeInterval = 3000;

  RunWorld w;
  int waits = 0;  // delays between login probes
  std::function<void(int wait)> during_wait;

  void SetUp() override {
    w.files.add_file("/run/单页生成/模板/T/b.htm", "page b of an earlier run");
    w.ui.on_delay = [this](int ms) {
      if (static_cast<int>(w.ui.delays.size()) - 1 == kPageEndDelay) w.logged_in = false;
      if (ms == kProbeInterval) {
        ++waits;
        if (during_wait) during_wait(waits);
      }
    };
  }

  Text log_until_lost() const {
    return kLogOfWholeRun.substr(0, kLogOfWholeRun.find(kSearching, kStart.size() + 1)) + kSearching +
           kParsed + kSessionLost;
  }
};

TEST_F(SessionLost, PausesOnTheLoginPageAndRedoesTheKeywordAfterANewLogin) {
  Text button_while_waiting;
  bool enabled_while_waiting = false;
  int page_while_waiting = -1;
  during_wait = [&](int wait) {
    if (wait == 1) {
      button_while_waiting = w.ui.text("按钮2");
      enabled_while_waiting = w.ui.is_enabled("按钮2");
      page_while_waiting = w.ui.page("选择夹2");
    }
    if (wait == 2) w.logged_in = true;  // the user has logged in again
  };

  start_generation(w.ctx);

  EXPECT_EQ(w.log(), log_until_lost() + kLoggedInAgain + kSearching + kParsed + kProducts +
                         product_lines("C") + product_lines("D") + end_line("b") + "\r\n" + summary(2));
  EXPECT_EQ(w.page_file("b"), "<h1>b</h1><li>1:C@4</li><li>2:D@5</li><p>end</p>");
  EXPECT_EQ(w.files.writes, 2);  // a, then b once
  EXPECT_EQ(w.searched_keywords(), (std::vector<Text>{"a", "b", "b"}));
  EXPECT_EQ(waits, 2);
  EXPECT_EQ(w.probes(), 4);  // start, after the empty search, two while waiting
  EXPECT_EQ(button_while_waiting, "登陆阿里妈妈");
  EXPECT_TRUE(enabled_while_waiting);
  EXPECT_EQ(page_while_waiting, 0);
  EXPECT_EQ(w.ui.navigations["超文本浏览框1"], std::vector<Text>{Text(kLogin)});
  EXPECT_EQ(w.ui.text("按钮2"), "登陆成功");
  EXPECT_FALSE(w.ui.is_enabled("按钮2"));
  EXPECT_EQ(w.ui.page("选择夹2"), 2);
}

// The affiliate export of page a meets the login page: nothing is written
// with stand-in addresses, and after a new login the keyword is made again.
TEST_F(SessionLost, AnExportThatMeetsTheLoginPageRedoesTheKeyword) {
  w.ui.texts["编辑框1"] = "a";
  w.files.add_file("/run/单页生成/模板/T/模板文件.htm",
                   "[#商品循环开始#]<a href=\"[#推广链接#]\">[#商品标题#]</a>[#商品循环结束#]");
  w.files.add_file("/run/单页生成/模板/T/a.htm", "page a of an earlier run");
  w.ui.on_delay = [this](int ms) {
    if (ms == kProbeInterval) {
      ++waits;
      w.logged_in = true;  // the user has logged in again
    }
  };
  int exports = 0;
  w.http.handler = [this, &exports](const HttpRequest& r) {
    if (r.url.find("downloadAuctions.do") == std::string::npos) return FakeHttp::ok(w.answer(r.url));
    if (++exports == 1) {
      w.logged_in = false;
      return FakeHttp::ok("<html>login</html>");
    }
    return FakeHttp::ok("XLS");
  };
  w.spreadsheet.handler = [this](const Text& path, const std::string&) {
    SheetRecords sheet;
    // The login page is no workbook.
    sheet.status =
        w.files.content(path).starts_with("<") ? SheetRecords::Status::CannotOpen : SheetRecords::Status::Ok;
    if (sheet.status != SheetRecords::Status::Ok) return sheet;
    sheet.records = {{"1", "", "t", "", "http://aff/1"}, {"2", "", "t", "", "http://aff/2"}};
    return sheet;
  };

  start_generation(w.ctx);

  EXPECT_EQ(exports, 2);
  EXPECT_EQ(waits, 1);
  EXPECT_EQ(w.searched_keywords(), (std::vector<Text>{"a", "a"}));
  EXPECT_EQ(w.files.writes, 3);  // the two exports, then page a once
  EXPECT_EQ(w.page_file("a"), "<a href=\"http://aff/1\">红帽</a><a href=\"http://aff/2\">蓝帽</a>");
  const Text log = w.log();
  EXPECT_NE(log.find(kSessionLost), Text::npos);
  EXPECT_NE(log.find(text_concat(kSessionLost, kLoggedInAgain, kSearching)), Text::npos) << log;
  EXPECT_EQ(log.find("已用商品网址代替"), Text::npos) << log;
  EXPECT_TRUE(log.ends_with(text_concat("已取得2个推广链接\r\n", end_line("a"), "\r\n", summary(1)))) << log;
}

TEST_F(SessionLost, EndsTheRunAfterTenMinutesWithoutALogin) {
  long long lost_at = -1;
  during_wait = [&](int wait) {
    if (wait == 1) lost_at = w.ui.clock_ms - kProbeInterval - 1;
  };
  start_generation(w.ctx);
  EXPECT_EQ(w.log(), log_until_lost() + kLoginTimedOut);
  EXPECT_EQ(waits, 200);  // one probe every 3 s for 10 minutes
  EXPECT_GE(w.ui.clock_ms - lost_at, 10 * 60 * 1000);
  EXPECT_EQ(w.probes(), 2 + 200);
  EXPECT_EQ(w.page_file("b"), "page b of an earlier run");
  EXPECT_EQ(w.ui.text("按钮2"), "登陆阿里妈妈");
  EXPECT_TRUE(w.ui.is_enabled("按钮2"));
  EXPECT_FALSE(w.ctx.state.run_active);
}

TEST_F(SessionLost, StopWhileWaitingEndsTheRunWithoutAnotherProbe) {
  during_wait = [&](int wait) {
    if (wait == 3) w.ctx.state.stop_requested = 1;
  };
  start_generation(w.ctx);
  EXPECT_EQ(w.log(), log_until_lost() + kStopped);
  EXPECT_EQ(w.probes(), 2 + 2);
  EXPECT_EQ(w.page_file("b"), "page b of an earlier run");
  EXPECT_FALSE(w.ctx.state.run_active);
}

// ---- start checks ----

struct StartCase {
  const char* name;
  Text keywords;
  bool logged_in;
  Text count;
  int sort_order;
  Text message;
  std::size_t requests;
  Text button;  // caption of 按钮2 afterwards; empty when no probe was made
};

class StartChecks : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartChecks, StopWithTheirMessageInOrder) {
  RunWorld w;
  const StartCase& c = GetParam();
  w.ui.texts["编辑框1"] = c.keywords;
  w.logged_in = c.logged_in;
  w.ui.texts["编辑框7"] = c.count;
  w.ui.set_combo_index("组合框1", c.sort_order);
  w.ui.texts["编辑框8"] = "old log";
  w.ui.list_views[std::string(kList)].rows = {{"1", "old", "m"}};
  w.ui.list_views["超级列表框转换链接"].rows = {{"1", "old"}};

  start_generation(w.ctx);

  EXPECT_EQ(w.log(), kStart + c.message);
  EXPECT_EQ(w.http.requests.size(), c.requests);
  EXPECT_EQ(w.ui.text("按钮2"), c.button);
  EXPECT_EQ(w.ui.is_enabled("按钮2"), c.button != "登陆成功");
  EXPECT_EQ(w.ui.row_count(kList), 0);
  EXPECT_EQ(w.ui.row_count("超级列表框转换链接"), 0);
  EXPECT_EQ(w.ui.page("选择夹2"), 2);
  EXPECT_EQ(w.ui.delays, std::vector<int>{500});
  EXPECT_EQ(w.files.writes, 0);
  EXPECT_FALSE(w.ctx.state.run_active);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartChecks,
    ::testing::Values(
        StartCase{"NoKeywords", "", true, "1", 0, "请输入查询关键词", 0, ""},
        StartCase{"NoKeywordsComesFirst", "", false, "", 3, "请输入查询关键词", 0, ""},
        StartCase{"NotLoggedIn", "a", false, "1", 0, "请登陆阿里妈妈", 1, "登陆阿里妈妈"},
        StartCase{"NotLoggedInBeforeCount", "a", false, "", -1, "请登陆阿里妈妈", 1, "登陆阿里妈妈"},
        StartCase{"NoCount", "a", true, "", 0, "请输入生成宝贝的数量", 1, "登陆成功"},
        StartCase{"NoCountBeforeSortOrder", "a", true, "", 3, "请输入生成宝贝的数量", 1, "登陆成功"},
        StartCase{"EmptySortEntry", "a", true, "1", 3, "请选择排序方式", 1, "登陆成功"},
        StartCase{"TypedSortText", "a", true, "1", -1, "请选择排序方式", 1, "登陆成功"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GenerationRun, FailedLoginProbeMakesTheLoginButtonUsableAgain) {
  RunWorld w;
  w.ui.texts["按钮2"] = "登陆成功";  // from a login that has since ended
  w.ui.disabled["按钮2"] = true;
  w.logged_in = false;
  start_generation(w.ctx);
  EXPECT_EQ(w.log(), kStart + "请登陆阿里妈妈");
  EXPECT_EQ(w.ui.text("按钮2"), "登陆阿里妈妈");
  EXPECT_TRUE(w.ui.is_enabled("按钮2"));
}

// ---- a sort order without a key chosen during a run ----

struct BadSortCase {
  const char* name;
  int delay_index;  // with keywords a, b and c and one product each
  bool stop_too;
  Text log_tail;
};

class SortOrderLostDuringRun : public ::testing::TestWithParam<BadSortCase> {};

TEST_P(SortOrderLostDuringRun, SkipsLaterKeywordsInsteadOfReusingThePreviousPage) {
  RunWorld w;
  w.ui.texts["编辑框1"] = "a\r\nb\r\nc";
  w.ui.texts["编辑框7"] = "1";
  w.during_delay(GetParam().delay_index, [&] {
    w.ui.set_combo_index("组合框1", 3);
    if (GetParam().stop_too) w.ctx.state.stop_requested = 1;
  });
  start_generation(w.ctx);
  // Pass a still names the order it searched with.
  EXPECT_EQ(w.log(), kStoppedBeforeProducts + product_lines("红帽") + end_line("a") + GetParam().log_tail);
  EXPECT_EQ(w.searched_keywords(), std::vector<Text>{"a"});
  EXPECT_EQ(w.ui.rows(kList, 3), (Rows{{"1", "红帽", "老王"}, {"2", "蓝帽", "小李"}}));
  EXPECT_TRUE(w.has_page_file("a"));
  EXPECT_FALSE(w.has_page_file("b"));
  EXPECT_FALSE(w.has_page_file("c"));
  EXPECT_EQ(w.ui.delays.size(), 9u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SortOrderLostDuringRun,
    ::testing::Values(BadSortCase{"DuringSearchDelay", 1, false,
                                  "请选择排序方式\r\n请选择排序方式\r\n" + summary(1)},
                      BadSortCase{"AfterPage", 8, false, "请选择排序方式\r\n请选择排序方式\r\n" + summary(1)},
                      BadSortCase{"WithStopEndsTheRun", 8, true, "请选择排序方式\r\n" + kStopped}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- a second click on 按钮1 during a run ----

TEST(GenerationRun, StartDuringARunDoesNothing) {
  RunWorld w;
  Text log_before;
  std::size_t delays_before = 0;
  bool active_inside = false;
  w.during_delay(3, [&] {
    log_before = w.log();
    delays_before = w.ui.delays.size();
    active_inside = w.ctx.state.run_active;
    start_generation(w.ctx);
    EXPECT_EQ(w.log(), log_before);
    EXPECT_EQ(w.ui.delays.size(), delays_before);
  });
  start_generation(w.ctx);
  EXPECT_TRUE(active_inside);
  EXPECT_EQ(w.log(), kLogOfWholeRun);
  EXPECT_FALSE(w.ctx.state.run_active);

  // Over, the run lets the next click start again.
  w.ui.on_delay = nullptr;
  start_generation(w.ctx);
  EXPECT_EQ(w.log(), kLogOfWholeRun);
  EXPECT_EQ(w.searched_keywords().size(), 4u);
}

}  // namespace
}  // namespace pagloom::testing
