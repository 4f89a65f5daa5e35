// The mock's pages read as the program reads the real ones: the promotion
// entries, the marketplace listings and the export workbook give back the
// catalogue's products.
#include <freexl.h>

#include <QTemporaryDir>

#include "text/text.h"
#include "web_fixture.h"

namespace pagloom::testing {
namespace {

struct Row {
  std::string id, title, merchant;
  bool operator==(const Row&) const = default;
};

// The promotion page read by its entry markers.
std::vector<Row> promotion_rows(const Text& page) {
  std::vector<Row> rows;
  for (int at = text_find(page, "list-info", 10); at != -1; at = text_find(page, "list-info", at + 9)) {
    const Text block = extract_between(page, "onerror", "J_WangWang", at);
    Row row;
    row.id = extract_between(block, "id=", "\"", 0);
    row.title =
        text_replace(text_replace(extract_between(block, "_blank\">", "</a>", 0), "<span>"), "</span>");
    row.merchant = extract_between(block, gbk("掌柜："), "<span", 0);
    rows.push_back(row);
  }
  return rows;
}

Row expected_row(const MockProduct& p) { return {p.id.toStdString(), to_gbk(p.title), to_gbk(p.merchant)}; }

class MockServicesTest : public WebTest {
 protected:
  std::string promotion_address(const std::string& keyword, const std::string& sort_key) const {
    return at(MockServices::kPromotionPath) +
           "?cat=&discountId=&pidvid=&_fmu.a._0.t=1&_fmu.a._0.pe=40&_fmu.a._0.l=&_fmu.a._0.so=" + sort_key +
           "&c=&rewrite=&cat=&mid=&searchType=0&q=" + keyword +
           "&_fmu.a._0.u=&_fmu.a._0.s=&_fmu.a._0.sta=&_fmu.a._0.end=&_fmu.a._0.st=&_fmu.a._0.en=&_fmu.a._0."
           "star=0&"
           "loc=";
  }
  void log_in() {
    ASSERT_NE(fetch_text(ctx, at("/login.do?user=tester"), "get").find(gbk("退出")), std::string::npos);
  }
};

TEST_F(MockServicesTest, PromotionSearchListsTheCatalogueInTheRequestedOrder) {
  log_in();
  const QString keyword = QStringLiteral("连衣裙");
  struct Case {
    const char* key;
    double (*value)(const MockProduct&);
  };
  const Case cases[] = {{"_totalnum", [](const MockProduct& p) { return double(p.sales); }},
                        {"_commrate", [](const MockProduct& p) { return p.commission_rate; }},
                        {"_totalfee", [](const MockProduct& p) { return p.commission_fee; }}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    const auto products = mock_products(keyword, QString::fromLatin1(c.key));
    ASSERT_EQ(products.size(), static_cast<std::size_t>(kMockProductsPerKeyword));
    for (std::size_t i = 1; i < products.size(); ++i)
      EXPECT_GE(c.value(products[i - 1]), c.value(products[i]));
    std::vector<Row> expected;
    for (const MockProduct& p : products) expected.push_back(expected_row(p));
    EXPECT_EQ(promotion_rows(fetch_text(ctx, promotion_address(to_gbk(keyword), c.key), "POST")), expected);
  }
  const auto searches = mock().requests_to(MockServices::kPromotionPath);
  ASSERT_FALSE(searches.empty());
  EXPECT_EQ(searches[0].query_value("q"), "%C1%AC%D2%C2%C8%B9");
}

TEST_F(MockServicesTest, PromotionSearchHasNoEntriesForAnEmptyKeywordOrAStranger) {
  EXPECT_TRUE(mock_products(QString()).empty());
  const Text stranger = fetch_text(ctx, promotion_address(gbk("连衣裙"), "_totalnum"), "POST");
  EXPECT_EQ(text_find(stranger, "list-info"), -1);
  EXPECT_EQ(text_find(stranger, gbk("退出")), -1);
  EXPECT_NE(text_find(stranger, "login-form"), -1);
  log_in();
  EXPECT_EQ(text_find(fetch_text(ctx, promotion_address("", "_totalnum"), "POST"), "list-info"), -1);
}

// The demo's way to end the session during a run, from any browser.
TEST_F(MockServicesTest, EndSessionsAddressLogsEverybodyOut) {
  log_in();
  const std::string search = promotion_address(gbk("连衣裙"), "_totalnum");
  ASSERT_NE(text_find(fetch_text(ctx, search, "POST"), "list-info"), -1);
  EXPECT_FALSE(fetch_text(ctx, at(MockServices::kEndSessionsPath), "get").empty());
  EXPECT_EQ(text_find(fetch_text(ctx, search, "POST"), "list-info"), -1);
  EXPECT_EQ(text_find(fetch_text(ctx, at(MockServices::kMemberCentrePath), "post"), gbk("退出")), -1);
}

TEST_F(MockServicesTest, MarketplaceListingsGiveEachProductsDetails) {
  for (const MockProduct& p : mock_products(QStringLiteral("保温杯 男"))) {
    SCOPED_TRACE(p.id.toStdString());
    const Text page = fetch_text(ctx, at("/search?q=") + to_gbk(p.title), "POST");
    const Text block = extract_between(page, "nid=\"" + p.id.toStdString(), gbk("如实描述"), 0);
    EXPECT_EQ(extract_between(block, "data-ks-lazyload=\"", "_210x210", 0), p.picture.toStdString());
    EXPECT_EQ(extract_between(block, "traceNum=\"2\" href=\"", "\" class", 0), p.page.toStdString());
    EXPECT_EQ(extract_between(block, gbk("price\">￥"), "<em>", 0), p.price.toStdString());
    EXPECT_EQ(extract_between(block, gbk("最近30天 "), gbk("人付款"), 0), std::to_string(p.sales));
  }
}

// The cells of sheet Page1 as UTF-8 texts (numbers in "%g"); empty when the
// workbook cannot be read.
std::vector<std::vector<std::string>> page1(const Bytes& workbook) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("ce.xls"));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return {};
  file.write(workbook.data(), static_cast<qint64>(workbook.size()));
  file.close();

  std::vector<std::vector<std::string>> cells;
  const void* handle = nullptr;
  const char* name = nullptr;
  unsigned int rows = 0;
  unsigned short columns = 0;
  if (freexl_open(path.toLocal8Bit().constData(), &handle) == FREEXL_OK &&
      freexl_get_worksheet_name(handle, 0, &name) == FREEXL_OK && std::string(name) == "Page1" &&
      freexl_select_active_worksheet(handle, 0) == FREEXL_OK &&
      freexl_worksheet_dimensions(handle, &rows, &columns) == FREEXL_OK) {
    for (unsigned int r = 0; r < rows; ++r) {
      auto& row = cells.emplace_back();
      for (unsigned short c = 0; c < columns; ++c) {
        FreeXL_CellValue value;
        freexl_get_cell_value(handle, r, c, &value);
        if (value.type == FREEXL_CELL_TEXT || value.type == FREEXL_CELL_SST_TEXT)
          row.emplace_back(value.value.text_value);
        else if (value.type == FREEXL_CELL_INT)
          row.push_back(std::to_string(value.value.int_value));
        else if (value.type == FREEXL_CELL_DOUBLE)
          row.push_back(QString::number(value.value.double_value).toStdString());
        else
          row.emplace_back();
      }
    }
  }
  freexl_close(handle);
  return cells;
}

TEST_F(MockServicesTest, ExportIsAWorkbookWithOneRecordPerId) {
  const auto products = mock_products(QStringLiteral("手机壳"));
  const std::string nid = products[2].id.toStdString() + ",," + products[0].id.toStdString() + ",123,";
  const std::string address = at(MockServices::kExportPath) + "?nid=" + nid;

  const Bytes stranger = download_bytes(ctx, address);
  EXPECT_NE(std::string(stranger.begin(), stranger.end()).find("login-form"), std::string::npos);

  log_in();
  mock().clear_log();
  const auto cells = page1(download_bytes(ctx, address));
  ASSERT_EQ(cells.size(), 4u);  // heading and three records
  const std::vector<std::pair<std::string, std::string>> expected = {
      {products[2].title.toStdString(), products[2].affiliate_link.toStdString()},
      {products[0].title.toStdString(), products[0].affiliate_link.toStdString()},
      {"商品123", "http://s.click.test/t?e=123"}};
  for (std::size_t r = 0; r < expected.size(); ++r) {
    SCOPED_TRACE(r);
    ASSERT_GE(cells[r + 1].size(), 7u);
    EXPECT_EQ(cells[r + 1][2], expected[r].first);
    EXPECT_EQ(cells[r + 1][4], expected[r].second);
    EXPECT_FALSE(cells[r + 1][6].empty());
  }
  EXPECT_EQ(cells[1][6], QString::number(products[2].price.toDouble()).toStdString());
  const auto exports = mock().requests_to(MockServices::kExportPath);
  ASSERT_EQ(exports.size(), 1u);
  EXPECT_EQ(exports[0].query_value("nid"), qbytes(nid));
}

}  // namespace
}  // namespace pagloom::testing
