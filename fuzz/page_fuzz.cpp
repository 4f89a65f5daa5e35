// The page assembly over arbitrary marketplace pages, ids and templates: the
// details are cut from the page, and the written page is the head, the filled
// loop code and the tail.
#include <optional>

#include "fakes/fake_context.h"
#include "fuzz_target.h"
#include "generation/keyword_page.h"

using namespace pagloom;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto f = fuzz::texts(fuzz::input(data, size), 6);
  const std::string_view page = f[0], item_id = f[1], title = f[2], loop = f[3], head = f[4], tail = f[5];

  const std::optional<ProductDetails> d = cut_product_details(page, item_id);
  if (d) {
    for (const Text* detail : {&d->picture_address, &d->page_address, &d->price, &d->sales}) {
      FUZZ_CHECK(detail->size() <= page.size());
      FUZZ_CHECK(page.find(*detail) != std::string_view::npos);
    }
  }

  testing::FakeWorld w;
  w.files.add_folder("/run/单页生成");
  w.files.add_folder("/run/单页生成/模板");
  w.files.add_folder("/run/单页生成/模板/T");
  w.ui.texts["编辑框2"] = "T";
  w.ui.texts["编辑框3"] = Text(head);
  w.ui.texts["编辑框4"] = Text(loop);
  w.ui.texts["编辑框5"] = Text(tail);
  w.ui.texts["编辑框7"] = "1";
  w.ctx.state.current_keyword = "kw";
  const int row = w.ui.insert_row("超级列表框1");
  w.ui.set_cell("超级列表框1", row, 0, Text(item_id));
  w.ui.set_cell("超级列表框1", row, 1, Text(title));
  w.ui.set_cell("超级列表框1", row, 2, "m");
  w.http.handler = [page](const HttpRequest&) { return testing::FakeHttp::ok(page); };

  build_keyword_page(w.ctx);

  const Text written = w.files.content("/run/单页生成/模板/T/kw.htm");
  const Text head_filled = text_replace(head, "[#关键词#]", "kw");
  const Text tail_filled = text_replace(tail, "[#关键词#]", "kw");
  FUZZ_CHECK(written.size() >= head_filled.size() + tail_filled.size());
  FUZZ_CHECK(written.compare(0, head_filled.size(), head_filled) == 0);
  FUZZ_CHECK(written.compare(written.size() - tail_filled.size(), tail_filled.size(), tail_filled) == 0);
  // The marketplace search, and the affiliate export when the loop code asks
  // for links.
  FUZZ_CHECK(!w.http.requests.empty() && w.http.requests.size() <= 2);
  return 0;
}
