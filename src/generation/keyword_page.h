// Reads each listed product's details from the marketplace search and writes
// the keyword's page into the template folder.
#pragma once

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

// Cuts the listing of `item_id` out of a marketplace search page and the
// details out of that listing. Missing markers give empty or shifted cuts
// exactly as extract_between does; nothing is copied but the details.
[[nodiscard]] ProductDetails cut_product_details(std::string_view page, std::string_view item_id);

// Builds and writes the page of ctx.state.current_keyword from the first N
// rows of the working product list (N from the product count box) and the
// template in the editor fields.
void build_keyword_page(Context& ctx);

}  // namespace pagloom
