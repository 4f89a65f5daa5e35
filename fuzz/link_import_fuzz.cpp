// The link-file import over arbitrary files (zero bytes included): every row
// it lists has a link, and no cell holds a separator of the format where a
// character begins (after a lone lead byte, separator bytes are not one).
#include "conversion/conversion_commands.h"
#include "fakes/fake_context.h"
#include "fuzz_target.h"

using namespace pagloom;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  testing::FakeWorld w;
  w.files.add_file("/run/links.txt", fuzz::input(data, size));
  w.ui.open_answers.push_back(Text("/run/links.txt"));
  import_link_file(w.ctx);
  for (const auto& row : w.ui.rows("超级列表框2", 2)) {
    FUZZ_CHECK(!row[0].empty());
    for (const Text& cell : row) {
      FUZZ_CHECK(text_find(cell, "------商品分隔符------") == -1);
      FUZZ_CHECK(text_find(cell, "------链接分隔符------") == -1);
    }
    (void)item_id_of(row[0]);
  }
  return 0;
}
