// Builders for the promotion and marketplace pages that the generation tests
// feed to the code, in the markup the scrapers read.
#pragma once

#include <string_view>

#include "text/text.h"

namespace pagloom::testing {

// One product entry of the affiliate promotion search page.
inline Text promotion_entry(std::string_view id, std::string_view title, std::string_view merchant) {
  return text_concat("<div class=\"list-info\"><img src=\"p.jpg\" onerror=\"this.src=''\"><a href=\"",
                     "http://item.test/item.htm?id=", id, "\" target=\"_blank\">", title, "</a><p>掌柜：",
                     merchant, "<span class=\"J_WangWang\"></span></p></div>");
}

inline Text promotion_page(std::string_view entries) {
  return text_concat("<html><body>", entries, "</body></html>");
}

// One product listing of the marketplace search page.
inline Text market_listing(std::string_view id, std::string_view picture, std::string_view address,
                           std::string_view price, std::string_view sales) {
  return text_concat("<div nid=\"", id, "\" class=\"item\"><img data-ks-lazyload=\"", picture,
                     "_210x210.jpg\"><a traceNum=\"2\" href=\"", address, "\" class=\"title\"></a>",
                     "<div class=\"price\">￥", price, "<em>元</em></div><span>最近30天 ", sales,
                     "人付款</span><a>如实描述</a></div>");
}

}  // namespace pagloom::testing
