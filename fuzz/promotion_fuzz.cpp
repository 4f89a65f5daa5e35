// The promotion-page parser over arbitrary pages: the rows it writes are the
// rows cutting every entry with extract_between gives (each block cut short
// at the next entry), and it always ends with its pause. The plain cut is
// quadratic, so it checks small pages only; on large ones the fuzzer's time
// limit watches the parser's own time.
#include "fakes/fake_context.h"
#include "fuzz_target.h"
#include "generation/promotion_list.h"
#include "unit/generation/promotion_reference.h"

using namespace pagloom;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view page = fuzz::texts(fuzz::input(data, size), 1)[0];
  testing::FakeWorld w;
  collect_promotion_list(w.ctx, page);
  if (page.size() <= 4096) {
    FUZZ_CHECK(w.ui.rows("超级列表框1", 3) == testing::reference_promotion_rows(page));
  }
  FUZZ_CHECK(w.ui.sleeps == std::vector<int>{200});
  return 0;
}
