// The template load and save over arbitrary template files: a file that the
// save could have written loads and saves to the same bytes, and any file is
// byte-stable from its first save on.
#include "fakes/fake_context.h"
#include "fuzz_target.h"
#include "templates/template_commands.h"
#include "templates/template_store.h"

using namespace pagloom;

namespace {

constexpr std::string_view kFile = "/run/单页生成/模板/t/模板文件.htm";

Text load_and_save(testing::FakeWorld& w, std::string_view content) {
  w.files.add_file(Text(kFile), content);
  w.ui.list_clear("列表框1");
  scan_templates(w.ctx);
  load_template_into_editor(w.ctx);
  save_template(w.ctx);
  return w.files.content(Text(kFile));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  testing::FakeWorld w;
  w.files.add_folder("/run/单页生成");
  w.files.add_folder("/run/单页生成/模板");
  w.files.add_folder("/run/单页生成/模板/t");
  const std::string_view in = fuzz::input(data, size);
  const std::string_view text = fuzz::texts(in, 1)[0];  // the load stops at a zero byte

  const Text saved = load_and_save(w, in);
  FUZZ_CHECK(load_and_save(w, saved) == saved);

  const std::string_view start = "[#商品循环开始#]";
  const int loop_start = text_find(text, start);
  if (loop_start != -1 &&
      text_find(text, "[#商品循环结束#]", loop_start + static_cast<int>(start.size())) != -1) {
    FUZZ_CHECK(saved == text);
  }
  return 0;
}
