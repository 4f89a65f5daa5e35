// The link-file import over arbitrary files (zero bytes included): every row
// it lists has a link and, for a file of valid GBK read in the separator
// format, no cell holds a separator. (A plain list's title is the rest of its
// line, whatever it says; in invalid GBK a lone lead byte hides the separator
// bytes after it from the character walk, and the same bytes at the start of
// a cell are a separator again.)
#include "conversion/conversion_commands.h"
#include "fakes/fake_context.h"
#include "fuzz_target.h"

using namespace pagloom;

namespace {

// True when every byte of 0x81 or above is followed by a trail byte.
bool valid_gbk(std::string_view t) {
  for (std::size_t i = 0; i < t.size(); ++i) {
    const auto b = static_cast<unsigned char>(t[i]);
    if (b < 0x81 || b == 0xFF) continue;
    if (i + 1 >= t.size()) return false;
    const auto trail = static_cast<unsigned char>(t[++i]);
    if (trail < 0x40 || trail == 0x7F || trail == 0xFF) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  testing::FakeWorld w;
  const std::string_view file = fuzz::input(data, size);
  w.files.add_file("/run/links.txt", file);
  // The import reads the file as a text: up to its first zero byte.
  const std::string_view text = file.substr(0, file.find('\0'));
  const bool checks_separators =
      valid_gbk(text) && text.find("------链接分隔符------") != std::string_view::npos;
  w.ui.open_answers.push_back(Text("/run/links.txt"));
  import_link_file(w.ctx);
  for (const auto& row : w.ui.rows("超级列表框2", 2)) {
    FUZZ_CHECK(!row[0].empty());
    for (const Text& cell : row) {
      if (!checks_separators) break;
      FUZZ_CHECK(text_find(cell, "------商品分隔符------") == -1);
      FUZZ_CHECK(text_find(cell, "------链接分隔符------") == -1);
    }
    (void)item_id_of(row[0]);
  }
  return 0;
}
