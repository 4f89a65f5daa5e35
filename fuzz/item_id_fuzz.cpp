// The item id of arbitrary links: a link of digits is its own id, and an id
// taken from a query never holds the query's "&" or the fragment's "#".
#include <algorithm>

#include "conversion/conversion_commands.h"
#include "fuzz_target.h"

using namespace pagloom;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view link = fuzz::texts(fuzz::input(data, size), 1)[0];
  const Text id = item_id_of(link);
  FUZZ_CHECK(id.size() <= link.size());
  const std::string_view trimmed = trim_space(link);
  const bool digits = !trimmed.empty() && std::all_of(trimmed.begin(), trimmed.end(),
                                                      [](char c) { return c >= '0' && c <= '9'; });
  if (digits) {
    FUZZ_CHECK(id == trimmed);
  } else {
    FUZZ_CHECK(id.find('&') == Text::npos && id.find('#') == Text::npos);
  }
  return 0;
}
