// Affiliate links for the product blocks of a keyword page: the loop code's
// affiliate-link placeholder, filled from the affiliate export.
#pragma once

#include <cstddef>
#include <map>
#include <string_view>
#include <vector>

#include "platform/context.h"
#include "text/text.h"

namespace pagloom {

// The affiliate links of one page's products.
struct AffiliateLinks {
  bool wanted = false;                      // the loop code holds the placeholder
  bool session_lost = false;                // an export answered the login page: no link is trustworthy
  std::map<Text, Text, std::less<>> by_id;  // an id the export did not return is absent
};

// True when `loop_code` holds the affiliate-link placeholder.
[[nodiscard]] bool uses_affiliate_links(std::string_view loop_code);

// The affiliate links of the products a keyword page will use.
//
// Only when the loop code in the editor (编辑框4) holds the placeholder:
// converts `item_ids` (the page's products in page order, one entry per
// product block) through the affiliate export, in requests of at most
// kExportIdsPerRequest distinct non-empty ids, and logs how many products got a
// link (when a request was sent) and then, when some did not, how many fell
// back to their page address: two lines, in that order, which the caller's
// end line follows. An export that shows the session has ended stops the
// conversion, logs nothing and sets session_lost: the page is not to be
// written with stand-in addresses.
// Otherwise it sends nothing, logs nothing and returns links not wanted. Once a stop
// has been requested no further request is sent; the products not yet
// converted count as without a link.
[[nodiscard]] AffiliateLinks affiliate_links_for_page(Context& ctx, const std::vector<Text>& item_ids);

// Fills every affiliate-link placeholder of a product block, whose eight
// other placeholders have been filled already: the item's affiliate link, or
// `page_address` when `links` has none for it. When the links were not
// wanted the block stays as it is, so a value that happens to hold the
// placeholder's text is left alone, as before the placeholder existed.
[[nodiscard]] Text fill_affiliate_link(std::string_view block, const AffiliateLinks& links,
                                       std::string_view item_id, std::string_view page_address);

}  // namespace pagloom
