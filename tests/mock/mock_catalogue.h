// The mock services' products: a deterministic function of the search
// keyword, so that tests can compute the pages the mock serves and the rows
// the program should read from them.
#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace pagloom::testing {

struct MockProduct {
  QString id;                  // ten digits, the first one 1-8
  QString title;               // the keyword followed by a fixed phrase
  QString merchant;            // the shop keeper's name
  int sales = 0;               // sold in the last 30 days ("_totalnum")
  double commission_rate = 0;  // percent, one decimal ("_commrate")
  double commission_fee = 0;   // commission paid in the last 30 days, yuan ("_totalfee")
  QString price;               // "128.00"
  QString picture;             // picture address, without the "_210x210.jpg" size suffix
  QString page;                // product page address
  QString affiliate_link;      // what the export gives for the product
};

inline constexpr int kMockProductsPerKeyword = 6;

// The products the affiliate search finds for `keyword`, ordered by
// `sort_key` ("_totalnum", "_commrate", "_totalfee"), largest first; in a
// fixed order for any other key. None for the empty keyword. Every product
// returned is also remembered for mock_product_by_id.
[[nodiscard]] std::vector<MockProduct> mock_products(const QString& keyword, const QString& sort_key = {});

// A product that mock_products has made in this process, found by its id.
[[nodiscard]] std::optional<MockProduct> mock_product_by_id(const QString& id);

// The products, among those made so far, whose title contains `query`
// (a title made by mock_products is recognised even before it was made).
[[nodiscard]] std::vector<MockProduct> mock_products_titled(const QString& query);

// The export's affiliate link of an item id, known or not.
[[nodiscard]] QString mock_affiliate_link(const QString& id);

// The export's title of an item id: the product's title, or "商品" + id for
// an id no product has.
[[nodiscard]] QString mock_export_title(const QString& id);

}  // namespace pagloom::testing
