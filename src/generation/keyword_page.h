// Reads each listed product's details from the marketplace search and writes
// the keyword's page into the template folder.
#pragma once

#include "platform/context.h"

namespace pagloom {

void build_keyword_page(Context& ctx);

}  // namespace pagloom
