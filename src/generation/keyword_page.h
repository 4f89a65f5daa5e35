// Reads each listed product's details from the marketplace search and writes
// the keyword's page into the template folder.
#pragma once

#include <optional>
#include <string_view>

#include "platform/context.h"
#include "text/text.h"

namespace pagloom {

// The four details of one product as its marketplace listing shows them.
struct ProductDetails {
  Text picture_address;  // up to its "_210x210" size suffix
  Text page_address;
  Text price;
  Text sales;  // 30-day sales
};

// Cuts the listing of `item_id` (the one whose nid is exactly that id) out of
// a marketplace search page and the details out of that listing; nullopt when
// the page holds no such listing. A detail whose markers are missing is cut
// as extract_between does; nothing is copied but the details.
[[nodiscard]] std::optional<ProductDetails> cut_product_details(std::string_view page,
                                                                std::string_view item_id);

// The product count N of the count box 编辑框7, truncated toward zero; 0 for
// anything that is not a positive number.
[[nodiscard]] int product_count(const Context& ctx);

// What build_keyword_page made of the keyword.
struct KeywordPageResult {
  int cards = 0;              // product blocks in the page
  bool stopped = false;       // a stop left products of the list unread
  bool written = false;       // the page file was written
  bool session_lost = false;  // the affiliate export met the login page; nothing was written
};

// Builds and writes the page of ctx.state.current_keyword from the first
// min(N, rows) rows of the working product list and the template in the
// editor fields. A product the marketplace page does not list gets no block.
// The stop flag is checked before every marketplace request; the products
// read until then are kept and the page is still written. When the loop code
// asks for affiliate links and the export shows that the session has ended,
// no page is written.
KeywordPageResult build_keyword_page(Context& ctx);

}  // namespace pagloom
