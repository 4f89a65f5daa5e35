// The name check for template names and keywords. Kept to the call itself so
// that it follows the check wherever it lives.
#include "fuzz_target.h"
#include "templates/template_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view name = pagloom::fuzz::texts(pagloom::fuzz::input(data, size), 1)[0];
  if (pagloom::is_safe_path_component(name)) FUZZ_CHECK(!name.empty() && name != "." && name != "..");
  return 0;
}
