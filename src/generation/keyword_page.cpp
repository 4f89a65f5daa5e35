#include "generation/keyword_page.h"

namespace pagloom {

void build_keyword_page(Context&) {}

}  // namespace pagloom
