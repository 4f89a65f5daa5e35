// Turns the affiliate promotion search page into the rows of the working
// product list 超级列表框1: item id, title, merchant.
#pragma once

#include <string_view>

#include "platform/context.h"

namespace pagloom {

void collect_promotion_list(Context& ctx, std::string_view page);

}  // namespace pagloom
