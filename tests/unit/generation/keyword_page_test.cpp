#include "generation/keyword_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_context.h"
#include "unit/generation/generation_pages.h"
#include "web/web.h"

namespace pagloom::testing {
namespace {

constexpr std::string_view kList = "超级列表框1";
constexpr std::string_view kFailed = "添加失败，请按正确方法操作\r\n";

// ---- cutting a listing and its details out of the marketplace page ----

struct CutCase {
  const char* name;
  Text page;
  Text item_id;
  std::optional<ProductDetails> expected;  // nullopt: the page does not list the item
};

class CutDetails : public ::testing::TestWithParam<CutCase> {};

TEST_P(CutDetails, ReadsTheListingOfTheItem) {
  const std::optional<ProductDetails> d = cut_product_details(GetParam().page, GetParam().item_id);
  const std::optional<ProductDetails>& expected = GetParam().expected;
  ASSERT_EQ(d.has_value(), expected.has_value());
  if (!d) return;
  EXPECT_EQ(d->picture_address, expected->picture_address);
  EXPECT_EQ(d->page_address, expected->page_address);
  EXPECT_EQ(d->price, expected->price);
  EXPECT_EQ(d->sales, expected->sales);
}

const Text kFirst = market_listing("41", "http://img/41", "http://item/41", "1.00", "7");
const Text kSecond = market_listing("42", "http://img/42", "http://item/42", "12.50", "88");
const Text kShortId = market_listing("4", "http://img/4", "http://item/4", "2", "3");
const ProductDetails kFirstDetails{"http://img/41", "http://item/41", "1.00", "7"};
const ProductDetails kSecondDetails{"http://img/42", "http://item/42", "12.50", "88"};
const ProductDetails kShortIdDetails{"http://img/4", "http://item/4", "2", "3"};

INSTANTIATE_TEST_SUITE_P(
    Cases, CutDetails,
    ::testing::Values(
        CutCase{"SecondListing", kFirst + kSecond, "42", kSecondDetails},
        CutCase{"EmptyPage", "", "42", std::nullopt},
        // A verification page or any other page without the listing.
        CutCase{"AbsentIdIsNotListed", "<p>" + kSecond, "99", std::nullopt},
        CutCase{"EmptyIdIsNotListed", kFirst + kSecond, "", std::nullopt},
        // "nid=\"41\"" does not open the listing of item 4.
        CutCase{"LongerIdEarlierIsNotTaken", kFirst + kShortId, "4", kShortIdDetails},
        CutCase{"OnlyLongerIdIsNotListed", kFirst + kSecond, "4", std::nullopt},
        CutCase{"NoListingEndGivesNothing", text_replace(kFirst, "如实描述", ""), "41", ProductDetails{}},
        CutCase{"MissingDetailEndMarkerEmptiesOnlyThatDetail", text_replace(kSecond, "_210x210", ""), "42",
                ProductDetails{"", "http://item/42", "12.50", "88"}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- building and writing the page ----

class PageWorld : public FakeWorld {
 public:
  std::map<std::string, Text> market;  // by wire address

  PageWorld() {
    files.add_folder("/run/单页生成/模板/T");
    ui.texts["编辑框2"] = "T";
    ui.texts["编辑框3"] = "<h1>[#关键词#]</h1>[#商品标题#]";
    ui.texts["编辑框4"] = "[#商品排名#]:[#商品标题#];";
    ui.texts["编辑框5"] = "<p>[#关键词#]</p>";
    ctx.state.current_keyword = "kw";
    http.handler = [this](const HttpRequest& r) { return FakeHttp::ok(market[r.url]); };
  }

  void add_product(const Text& id, const Text& title, const Text& merchant, const Text& listing) {
    const int row = ui.insert_row(kList);
    ui.set_cell(kList, row, 0, id);
    ui.set_cell(kList, row, 1, title);
    ui.set_cell(kList, row, 2, merchant);
    market[wire_address("http://market.test/search?q=" + title)] = listing;
  }
  void add_products(int n) {
    for (int i = 0; i < n; ++i) {
      const Text id = std::to_string(i + 1);
      add_product(id, Text(1, static_cast<char>('A' + i)), "m", market_listing(id, "p", "u", "1", "0"));
    }
  }
  Text page_file(std::string_view keyword) const {
    return files.content(text_concat("/run/单页生成/模板/T/", keyword, ".htm"));
  }
};

TEST(KeywordPage, FillsEveryPlaceholderInOrderAndOverwritesThePage) {
  PageWorld w;
  w.ui.texts["编辑框4"] =
      "<li>[#商品排名#].[#商品标题#]|[#卖家昵称#]|[#商品价格#]|[#商品销售量#]|[#商品图片地址#]|[#商品网址#]|"
      "[#关键词#]|[#商品排名#]</li>";
  // A value holding a later placeholder gets it filled; an earlier one stays.
  w.add_product("11", "红帽[#商品价格#]", "王[#商品标题#]",
                market_listing("11", "http://img/11", "http://item/11", "9.90", "88"));
  w.add_product("22", "B", "m", market_listing("22", "http://img/22", "http://item/22", "1", "0"));
  w.ui.texts["编辑框7"] = "2";
  w.files.add_file("/run/单页生成/模板/T/kw.htm", "old page that is longer than the new one");

  build_keyword_page(w.ctx);

  EXPECT_EQ(w.page_file("kw"),
            "<h1>kw</h1>[#商品标题#]"
            "<li>1.红帽9.90|王[#商品标题#]|9.90|88|http://img/11|http://item/11|kw|1</li>"
            "<li>2.B|m|1|0|http://img/22|http://item/22|kw|2</li>"
            "<p>kw</p>");
  EXPECT_EQ(w.ui.text("编辑框8"),
            "开始搜寻红帽[#商品价格#]的信息\r\n搜寻红帽[#商品价格#]完毕\r\n开始搜寻B的信息\r\n搜寻B完毕\r\n");
  ASSERT_EQ(w.http.requests.size(), 2u);
  EXPECT_EQ(w.http.requests[0].method, "POST");
  EXPECT_EQ(w.http.requests[0].url, wire_address("http://market.test/search?q=红帽[#商品价格#]"));
  EXPECT_EQ(w.http.requests[1].url, "http://market.test/search?q=B");
  EXPECT_EQ(w.ui.delays, (std::vector<int>{200, 200, 200, 200}));
}

struct CountCase {
  const char* name;
  Text count;
  Text blocks;  // with the loop code "[#商品排名#]:[#商品标题#];" over rows A and B
};

class ProductCount : public ::testing::TestWithParam<CountCase> {};

TEST_P(ProductCount, MakesExactlyNPasses) {
  PageWorld w;
  w.add_products(2);
  w.ui.texts["编辑框7"] = GetParam().count;
  build_keyword_page(w.ctx);
  EXPECT_EQ(w.page_file("kw"), "<h1>kw</h1>[#商品标题#]" + GetParam().blocks + "<p>kw</p>");
  const std::size_t passes =
      static_cast<std::size_t>(std::count(GetParam().blocks.begin(), GetParam().blocks.end(), ';'));
  EXPECT_EQ(w.http.requests.size(), passes);
  EXPECT_EQ(w.ui.delays, std::vector<int>(2 * passes, 200));
}

INSTANTIATE_TEST_SUITE_P(Cases, ProductCount,
                         ::testing::Values(CountCase{"Zero", "0", ""}, CountCase{"Negative", "-2", ""},
                                           CountCase{"NotANumber", "abc", ""}, CountCase{"Empty", "", ""},
                                           CountCase{"FractionTruncated", "1.9", "1:A;"},
                                           CountCase{"FullWidthDigit", "２", "1:A;2:B;"},
                                           // No request and no block for a row that does not exist.
                                           CountCase{"BeyondTheRows", "3.9", "1:A;2:B;"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(KeywordPage, ProductNotListedOnTheMarketplaceGetsNoCardAndRanksStayDense) {
  PageWorld w;
  w.add_product("1", "A", "m", market_listing("1", "p", "u", "1", "0"));
  // The marketplace answered with a page that lists other items only.
  w.add_product("2", "B", "m", "<p>请输入验证码</p>" + market_listing("21", "p", "u", "1", "0"));
  w.add_product("3", "C", "m", market_listing("3", "p", "u", "1", "0"));
  w.ui.texts["编辑框7"] = "3";

  const KeywordPageResult made = build_keyword_page(w.ctx);

  EXPECT_EQ(w.page_file("kw"), "<h1>kw</h1>[#商品标题#]1:A;2:C;<p>kw</p>");
  EXPECT_EQ(made.cards, 2);
  EXPECT_FALSE(made.stopped);
  EXPECT_TRUE(made.written);
  EXPECT_EQ(w.ui.text("编辑框8"),
            "开始搜寻A的信息\r\n搜寻A完毕\r\n"
            "开始搜寻B的信息\r\n搜寻B完毕\r\n没有在淘宝搜索结果里找到B，已跳过\r\n"
            "开始搜寻C的信息\r\n搜寻C完毕\r\n");
  EXPECT_EQ(w.http.requests.size(), 3u);
}

// A stop during either delay of a product ends the loop after that product,
// and the page is still written.
class StopDuringProduct : public ::testing::TestWithParam<int> {};

TEST_P(StopDuringProduct, WritesTheProductsMadeSoFar) {
  PageWorld w;
  w.add_products(3);
  w.ui.texts["编辑框7"] = "3";
  const int stop_at = GetParam();
  w.ui.on_delay = [&](int) {
    if (static_cast<int>(w.ui.delays.size()) - 1 == stop_at) w.ctx.state.stop_requested = 1;
  };
  const KeywordPageResult made = build_keyword_page(w.ctx);
  const int cards = stop_at < 2 ? 1 : 2;
  EXPECT_EQ(w.page_file("kw"),
            "<h1>kw</h1>[#商品标题#]" + Text(stop_at < 2 ? "1:A;" : "1:A;2:B;") + "<p>kw</p>");
  // No marketplace request leaves after the stop.
  EXPECT_EQ(w.http.requests.size(), static_cast<std::size_t>(cards));
  EXPECT_EQ(made.cards, cards);
  EXPECT_TRUE(made.stopped);
  EXPECT_TRUE(made.written);
  EXPECT_EQ(w.ui.text("编辑框8").find(kFailed), std::string::npos);
}

TEST(KeywordPage, StopDuringTheLastProductLeavesThePageWhole) {
  PageWorld w;
  w.add_products(2);
  w.ui.texts["编辑框7"] = "2";
  w.ui.on_delay = [&](int) {
    if (w.ui.delays.size() == 4) w.ctx.state.stop_requested = 1;
  };
  const KeywordPageResult made = build_keyword_page(w.ctx);
  EXPECT_EQ(w.page_file("kw"), "<h1>kw</h1>[#商品标题#]1:A;2:B;<p>kw</p>");
  EXPECT_EQ(made.cards, 2);
  EXPECT_FALSE(made.stopped);
}

INSTANTIATE_TEST_SUITE_P(DelayIndex, StopDuringProduct, ::testing::Values(0, 1, 2, 3));

struct WriteCase {
  const char* name;
  Text template_name;
  Text keyword;
  Text written;    // path of the page file; empty when the write must fail
  bool attempted;  // whether the file system is asked to write at all
};

class PageFile : public ::testing::TestWithParam<WriteCase> {};

TEST_P(PageFile, IsWrittenInsideItsTemplateFolderOrReportedAsFailed) {
  PageWorld w;
  w.files.read_only.insert("/run/单页生成/模板/T/locked.htm");
  w.ui.texts["编辑框2"] = GetParam().template_name;
  w.ui.texts["编辑框4"] = "";
  w.ctx.state.current_keyword = GetParam().keyword;
  w.ui.texts["编辑框7"] = "0";
  const std::size_t files_before = w.files.files.size();

  build_keyword_page(w.ctx);

  EXPECT_EQ(w.files.writes, GetParam().attempted ? 1 : 0);
  if (GetParam().written.empty()) {
    EXPECT_EQ(w.files.files.size(), files_before);
    EXPECT_EQ(w.ui.delays, std::vector<int>{200});
    EXPECT_EQ(w.ui.text("编辑框8"), kFailed);
  } else {
    EXPECT_TRUE(w.files.has_file(GetParam().written));
    EXPECT_TRUE(w.ui.delays.empty());
    EXPECT_EQ(w.ui.text("编辑框8"), "");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PageFile,
    ::testing::Values(WriteCase{"Plain", "T", "kw", "/run/单页生成/模板/T/kw.htm", true},
                      WriteCase{"GbkKeyword", "T", "红帽", "/run/单页生成/模板/T/红帽.htm", true},
                      WriteCase{"EmptyKeywordNamesDotHtm", "T", "", "/run/单页生成/模板/T/.htm", true},
                      WriteCase{"MissingTemplateFolder", "Gone", "kw", "", true},
                      WriteCase{"LockedFile", "T", "locked", "", true},
                      WriteCase{"KeywordWithSlash", "T", "x/kw", "", false},
                      WriteCase{"KeywordWithBackslash", "T", "..\\x\\kw", "", false},
                      WriteCase{"KeywordDot", "T", ".", "", false},
                      WriteCase{"KeywordDotDot", "T", "..", "", false},
                      WriteCase{"EmptyTemplateName", "", "kw", "", false},
                      WriteCase{"TemplateNameDotDot", "..", "kw", "", false},
                      WriteCase{"TemplateNameWithSeparator", "T/../x", "kw", "", false},
                      // The template's own files share the folder.
                      WriteCase{"KeywordOfTheTemplateFile", "T", "模板文件", "", false},
                      WriteCase{"KeywordOfThePreviewFile", "T", "效果预览", "", false},
                      // Decoded as the file system decodes: "€" then "/", U+FFFD then "/".
                      WriteCase{"KeywordEuroThenSlash", "T", "\x80/kw", "", false},
                      WriteCase{"TemplateNameInvalidPairThenSlash", "\xD2/..", "kw", "", false},
                      WriteCase{"KeywordEndingInALeadByte", "T", "kw\x81", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pagloom::testing
