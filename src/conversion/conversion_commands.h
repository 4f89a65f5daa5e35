// The link-conversion tab: single and batch conversion, link-file import and
// saving the converted links.
#pragma once

#include "conversion/item_links.h"
#include "platform/context.h"

namespace pagloom {

void convert_single(Context& ctx);        // 按钮7
void convert_batch(Context& ctx);         // 按钮8
void import_link_file(Context& ctx);      // 按钮9
void save_converted_links(Context& ctx);  // 按钮10

// A short link is followed through at most this many redirects.
inline constexpr int kShortLinkRedirects = 5;

// The item id behind a web address from which item_id_of reads none (a short
// link): one GET through the shared session, the id of the final address or
// else of the first item address in the page; empty when neither gives one.
[[nodiscard]] Text resolve_short_link(Context& ctx, std::string_view address);

}  // namespace pagloom
