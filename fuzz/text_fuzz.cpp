// The byte-string primitives over arbitrary texts: every result stays inside
// its text, and the identities the rest of the program relies on hold.
#include <string>

#include "fuzz_target.h"
#include "text/text.h"

using namespace pagloom;

namespace {

bool inside(std::string_view part, std::string_view whole) {
  return part.empty() ||
         (part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size());
}

Text join(const std::vector<Text>& pieces, std::string_view delim) {
  Text out;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (i > 0) out += delim;
    out += pieces[i];
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto f = fuzz::texts(fuzz::input(data, size), 5);
  const std::string_view params = f[0], t = f[1], a = f[2], b = f[3], c = f[4];
  const int start = fuzz::small_number(params);
  const int count = fuzz::small_number(params.substr(params.empty() ? 0 : 1));
  const bool ignore_case = params.size() > 2 && (params[2] & 1);

  const int found = text_find(t, a, start, ignore_case);
  if (found != -1) {
    // An empty needle is found at 1 whatever the start.
    FUZZ_CHECK(a.empty() ? found == 1 : found >= 1 && found >= start);
    FUZZ_CHECK(static_cast<std::size_t>(found - 1) + a.size() <= t.size());
    if (!ignore_case) FUZZ_CHECK(t.substr(static_cast<std::size_t>(found - 1), a.size()) == a);
  }

  const std::string_view cut = extract_between_view(t, a, b, start);
  FUZZ_CHECK(inside(cut, t));
  FUZZ_CHECK(extract_between(t, a, b, start) == cut);

  // Replacing a text by itself (case-sensitively) changes nothing.
  FUZZ_CHECK(text_replace(t, a, a, start, count) == t);
  const Text replaced = text_replace(t, a, c, start, count, !ignore_case);
  if (a.empty() || count == 0) FUZZ_CHECK(replaced == t);

  // Splitting and joining again gives the text, less a delimiter at its end.
  const std::vector<Text> pieces = text_split(t, a);
  if (t.empty()) FUZZ_CHECK(pieces.empty());
  if (!a.empty()) {
    const Text joined = join(pieces, a);
    FUZZ_CHECK(joined == t || text_concat(joined, a) == t);
  }
  const std::vector<Text> capped = text_split(t, a, count);
  FUZZ_CHECK(static_cast<int>(capped.size()) <= std::max(count, 0));

  FUZZ_CHECK(static_cast<int>(text_middle(t, start, count).size()) <= std::max(count, 0));
  FUZZ_CHECK(text_prefix(t, count) == t.substr(0, text_prefix(t, count).size()));
  const Text suffix = text_suffix(t, count);
  FUZZ_CHECK(suffix.size() <= t.size() && t.substr(t.size() - suffix.size()) == suffix);
  FUZZ_CHECK(inside(trim_space(t), t));

  FUZZ_CHECK(text_compare(t, a) == -text_compare(a, t));
  FUZZ_CHECK((text_compare(t, a) == 0) == (t == a));
  (void)number_to_text(text_to_number(t));
  FUZZ_CHECK(text_to_number(number_to_text(count)) == count);
  return 0;
}
