// The link-conversion tab: single and batch conversion, link-file import and
// saving the converted links.
#pragma once

#include <string_view>

#include "platform/context.h"

namespace pagloom {

void convert_single(Context& ctx);        // 按钮7
void convert_batch(Context& ctx);         // 按钮8
void import_link_file(Context& ctx);      // 按钮9
void save_converted_links(Context& ctx);  // 按钮10

// The item id of a product link, white space around it ignored: the value of
// the query parameter named exactly "id" (after "?" or "&", up to "&", "#" or
// the end), or the link itself when it is made of digits only; empty otherwise.
[[nodiscard]] Text item_id_of(std::string_view link);

}  // namespace pagloom
