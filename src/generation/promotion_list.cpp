#include "generation/promotion_list.h"

namespace pagloom {

void collect_promotion_list(Context&, std::string_view) {}

}  // namespace pagloom
