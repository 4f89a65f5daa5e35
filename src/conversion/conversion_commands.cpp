#include "conversion/conversion_commands.h"

namespace pagloom {

void convert_single(Context&) {}
void convert_batch(Context&) {}
void import_link_file(Context&) {}
void save_converted_links(Context&) {}
Text item_id_of(std::string_view) { return {}; }

}  // namespace pagloom
