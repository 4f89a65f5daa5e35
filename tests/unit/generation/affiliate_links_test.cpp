// The affiliate-link placeholder through build_keyword_page: which export
// requests leave, what the product blocks get, and the log lines.
#include "generation/affiliate_links.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "fakes/fake_context.h"
#include "generation/keyword_page.h"
#include "unit/generation/generation_pages.h"
#include "web/web.h"

namespace pagloom::testing {
namespace {

constexpr std::string_view kList = "超级列表框1";
constexpr std::string_view kExport = "http://service.test/union/spread/selfservice/downloadAuctions.do?nid=";

Text product_lines(std::string_view title) {
  return text_concat("开始搜寻", title, "的信息\r\n搜寻", title, "完毕\r\n");
}
Text got_line(int n) { return text_concat("已取得", number_to_text(n), "个推广链接\r\n"); }
Text missing_line(int n) {
  return text_concat("有", number_to_text(n), "个商品没有取得推广链接，已用商品网址代替\r\n");
}

// Products "1".."n" titled "T1".."Tn", each listed on the marketplace with the
// page address "http://item/<id>"; the export answers the link
// "http://s.test/<id>" for every id it is asked for, except those in
// `not_exported`, and `link_of` overrides a link.
class LinkWorld : public FakeWorld {
 public:
  std::set<Text> not_exported;
  std::map<Text, Text> link_of;
  std::map<Text, Text> id_cell_of;  // the id column's text, when not the id itself
  std::function<void()> on_export;  // runs as an export is read

  LinkWorld() {
    files.add_folder("/run/单页生成/模板/T");
    ui.texts["编辑框2"] = "T";
    ui.texts["编辑框3"] = "<h1>[#关键词#]</h1>";
    ui.texts["编辑框4"] = "[#商品排名#]=[#推广链接#]|[#商品网址#];";
    ui.texts["编辑框5"] = "<p>end</p>";
    ctx.state.current_keyword = "kw";
    http.handler = [this](const HttpRequest& r) {
      if (r.url.rfind(kExport, 0) == 0) return FakeHttp::ok("XLS" + r.url.substr(kExport.size()));
      for (int row = 0; row < ui.row_count(kList); ++row) {
        const Text id = ui.cell(kList, row, 0);
        if (r.url == wire_address(text_concat("http://market.test/search?q=", ui.cell(kList, row, 1))))
          return FakeHttp::ok(market_listing(id, "p", text_concat("http://item/", id), "1", "0"));
      }
      return FakeHttp::ok("");
    };
    // The workbook is the "XLS" + id list the export answered: one record
    // per id, id in field 0 and link in field 4 as the service lays them out.
    spreadsheet.handler = [this](const Text& path, const std::string&) {
      if (on_export) on_export();
      SheetRecords sheet;
      sheet.status = SheetRecords::Status::Ok;
      for (const Text& id : text_split(files.content(path).substr(3), ",")) {
        if (not_exported.count(id) != 0) continue;
        const auto o = link_of.find(id);
        const auto cell = id_cell_of.find(id);
        sheet.records.push_back({cell != id_cell_of.end() ? cell->second : id, "pic",
                                 text_concat("title ", id), "page",
                                 o != link_of.end() ? o->second : "http://s.test/" + id});
      }
      return sheet;
    };
  }

  void add_products(int n) {
    for (int i = 1; i <= n; ++i) {
      const int row = ui.insert_row(kList);
      ui.set_cell(kList, row, 0, number_to_text(i));
      ui.set_cell(kList, row, 1, text_concat("T", number_to_text(i)));
      ui.set_cell(kList, row, 2, "m");
    }
    ui.texts["编辑框7"] = number_to_text(n);
  }
  // The id lists of the export requests, in order.
  std::vector<Text> exports() const {
    std::vector<Text> out;
    for (const HttpRequest& r : http.requests)
      if (r.url.rfind(kExport, 0) == 0) out.push_back(r.url.substr(kExport.size()));
    return out;
  }
  Text page() const { return files.content("/run/单页生成/模板/T/kw.htm"); }
  Text log() const { return ui.text("编辑框8"); }
};

Text products_log(int n) {
  Text log;
  for (int i = 1; i <= n; ++i) log += product_lines(text_concat("T", number_to_text(i)));
  return log;
}

struct LinkCase {
  const char* name;
  Text loop_code;
  int products;
  std::set<Text> not_exported;
  std::map<Text, Text> link_of;
  std::vector<Text> exports;  // id lists of the export requests
  Text blocks;
  Text link_lines;  // logged after the products' lines
};

class AffiliatePlaceholder : public ::testing::TestWithParam<LinkCase> {};

TEST_P(AffiliatePlaceholder, ConvertsOncePerPageAndFallsBackToThePageAddress) {
  LinkWorld w;
  w.ui.texts["编辑框4"] = GetParam().loop_code;
  w.add_products(GetParam().products);
  w.not_exported = GetParam().not_exported;
  w.link_of = GetParam().link_of;

  build_keyword_page(w.ctx);

  EXPECT_EQ(w.exports(), GetParam().exports);
  EXPECT_EQ(w.page(), "<h1>kw</h1>" + GetParam().blocks + "<p>end</p>");
  EXPECT_EQ(w.log(), products_log(GetParam().products) + GetParam().link_lines);
  EXPECT_FALSE(w.files.has_file("/run/ce.xls"));
}

INSTANTIATE_TEST_SUITE_P(Cases, AffiliatePlaceholder,
                         ::testing::Values(
                             // Without the placeholder nothing is converted and nothing is logged.
                             LinkCase{"NoPlaceholder",
                                      "[#商品排名#]|[#商品网址#];",
                                      2,
                                      {},
                                      {},
                                      {},
                                      "1|http://item/1;2|http://item/2;",
                                      ""},
                             LinkCase{"EveryProductConverted",
                                      "[#商品排名#]=[#推广链接#]|[#商品网址#];",
                                      2,
                                      {},
                                      {},
                                      {"1,2"},
                                      "1=http://s.test/1|http://item/1;2=http://s.test/2|http://item/2;",
                                      got_line(2)},
                             LinkCase{"PlaceholderTwiceInTheBlock",
                                      "<a href=\"[#推广链接#]\">[#推广链接#]</a>",
                                      1,
                                      {},
                                      {},
                                      {"1"},
                                      "<a href=\"http://s.test/1\">http://s.test/1</a>",
                                      got_line(1)},
                             LinkCase{"ProductMissingFromTheExport",
                                      "[#商品排名#]=[#推广链接#];",
                                      3,
                                      {"2"},
                                      {},
                                      {"1,2,3"},
                                      "1=http://s.test/1;2=http://item/2;3=http://s.test/3;",
                                      got_line(2) + missing_line(1)},
                             // A sheet of another layout gives no web address in the link column.
                             LinkCase{"LinkThatIsNoWebAddress",
                                      "[#推广链接#];",
                                      2,
                                      {},
                                      {{"1", "12.00000000"}},
                                      {"1,2"},
                                      "http://item/1;http://s.test/2;",
                                      got_line(1) + missing_line(1)},
                             LinkCase{"NothingExported",
                                      "[#推广链接#];",
                                      2,
                                      {"1", "2"},
                                      {},
                                      {"1,2"},
                                      "http://item/1;http://item/2;",
                                      got_line(0) + missing_line(2)},
                             // No product: no request and no line.
                             LinkCase{"NoProducts", "[#推广链接#];", 0, {}, {}, {}, "", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AffiliateLinks, MoreThanThirtyProductsGoInGroupsOfThirty) {
  LinkWorld w;
  w.ui.texts["编辑框4"] = "[#推广链接#];";
  w.add_products(65);
  build_keyword_page(w.ctx);

  std::vector<Text> expected(3);
  Text blocks;
  for (int i = 1; i <= 65; ++i) {
    Text& group = expected[static_cast<std::size_t>((i - 1) / 30)];
    if (!group.empty()) group += ",";
    group += number_to_text(i);
    blocks += text_concat("http://s.test/", number_to_text(i), ";");
  }
  EXPECT_EQ(w.exports(), expected);
  EXPECT_EQ(w.page(), "<h1>kw</h1>" + blocks + "<p>end</p>");
  EXPECT_EQ(w.log(), products_log(65) + got_line(65));
}

// A product may be listed twice: its id goes into the request once, and each
// block still gets its value.
TEST(AffiliateLinks, RepeatedIdsAreSentOnce) {
  LinkWorld w;
  w.ui.texts["编辑框4"] = "[#推广链接#];";
  w.add_products(2);
  const int row = w.ui.insert_row(kList);
  w.ui.set_cell(kList, row, 0, "1");
  w.ui.set_cell(kList, row, 1, "T1");
  w.ui.texts["编辑框7"] = "3";
  build_keyword_page(w.ctx);
  EXPECT_EQ(w.exports(), std::vector<Text>{"1,2"});
  EXPECT_EQ(w.page(), "<h1>kw</h1>http://s.test/1;http://s.test/2;http://s.test/1;<p>end</p>");
  EXPECT_EQ(w.log(), products_log(2) + product_lines("T1") + got_line(3));
}

// The id column as a number cell, or with spaces around it, still names the
// item; a number with a real fraction, or another id's digits, does not.
TEST(AffiliateLinks, IdCellReadAsNumberStillMatches) {
  LinkWorld w;
  w.ui.texts["编辑框4"] = "[#推广链接#];";
  w.add_products(4);
  w.id_cell_of = {{"1", "1.00000000"}, {"2", " 2 "}, {"3", "3.50000000"}, {"4", "44"}};
  build_keyword_page(w.ctx);
  EXPECT_EQ(w.page(), "<h1>kw</h1>http://s.test/1;http://s.test/2;http://item/3;http://item/4;<p>end</p>");
}

// A title that holds the placeholder's text: filled like any later
// placeholder when links are wanted, left alone when they are not.
TEST(AffiliateLinks, ValueHoldingThePlaceholderFollowsTheLoopCode) {
  for (const bool wanted : {false, true}) {
    LinkWorld w;
    w.ui.texts["编辑框4"] = wanted ? "[#商品标题#]>[#推广链接#];" : "[#商品标题#];";
    const int row = w.ui.insert_row(kList);
    w.ui.set_cell(kList, row, 0, "7");
    w.ui.set_cell(kList, row, 1, "T[#推广链接#]");
    w.ui.texts["编辑框7"] = "1";
    build_keyword_page(w.ctx);
    EXPECT_EQ(w.page(), wanted ? "<h1>kw</h1>Thttp://s.test/7>http://s.test/7;<p>end</p>"
                               : "<h1>kw</h1>T[#推广链接#];<p>end</p>")
        << wanted;
  }
}

// A stop seen before an export request keeps it, and every later one, from
// leaving; the products not converted fall back to their page address.
TEST(AffiliateLinks, StopDuringTheProductsSendsNoExport) {
  LinkWorld w;
  w.add_products(2);
  w.ui.on_delay = [&](int) {
    if (w.ui.delays.size() == 2) w.ctx.state.stop_requested = 1;
  };
  build_keyword_page(w.ctx);
  EXPECT_TRUE(w.exports().empty());
  EXPECT_EQ(w.page(), "<h1>kw</h1>1=http://item/1|http://item/1;<p>end</p>");
  EXPECT_EQ(w.log(), products_log(1) + missing_line(1));
}

TEST(AffiliateLinks, StopDuringAnExportSendsNoFurtherRequest) {
  LinkWorld w;
  w.ui.texts["编辑框4"] = "[#推广链接#];";
  w.add_products(31);
  w.on_export = [&] { w.ctx.state.stop_requested = 1; };
  build_keyword_page(w.ctx);
  ASSERT_EQ(w.exports().size(), 1u);
  EXPECT_EQ(w.log(), products_log(31) + got_line(30) + missing_line(1));
  EXPECT_EQ(w.page().find("http://item/31;"),
            w.page().size() - std::string("http://item/31;<p>end</p>").size());
}

}  // namespace
}  // namespace pagloom::testing
