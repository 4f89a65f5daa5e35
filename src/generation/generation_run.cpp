#include "generation/generation_run.h"

#include <array>
#include <string_view>

#include "generation/keyword_page.h"
#include "generation/promotion_list.h"
#include "shell/shell_commands.h"
#include "templates/template_check.h"
#include "templates/template_commands.h"
#include "web/web.h"

namespace pagloom {
namespace {

// Sort keys of the entries of 组合框1, by index; the fourth, empty entry has none.
constexpr std::array<std::string_view, 3> kSortKeys = {"_totalnum", "_commrate", "_totalfee"};

constexpr std::string_view kSearchPath =
    "/union/spread/selfservice/"
    "merchandisePromotion.htm?cat=&discountId=&pidvid=&_fmu.a._0.t=1&_fmu.a._0.pe=40"
    "&_fmu.a._0.l=&_fmu.a._0.so=";
constexpr std::string_view kSearchQuery = "&c=&rewrite=&cat=&mid=&searchType=0&q=";
constexpr std::string_view kSearchTail =
    "&_fmu.a._0.u=&_fmu.a._0.s=&_fmu.a._0.sta=&_fmu.a._0.end=&_fmu.a._0.st=&_fmu.a._0.en=&_fmu.a._0.star=0&"
    "loc=";

constexpr std::string_view kNoSortOrder = "请选择排序方式";

bool has_sort_key(int index) { return index >= 0 && index < static_cast<int>(kSortKeys.size()); }

// Marks a run as under way for as long as it lives, whichever way the run ends.
class ActiveRun {
 public:
  explicit ActiveRun(SharedState& state) : state_(state) { state_.run_active = true; }
  ~ActiveRun() { state_.run_active = false; }
  ActiveRun(const ActiveRun&) = delete;
  ActiveRun& operator=(const ActiveRun&) = delete;

 private:
  SharedState& state_;
};

void run_passes(Context& ctx) {
  const std::vector<Text> keywords = text_split(ctx.ui.text("编辑框1"), "\r\n");
  for (const Text& keyword : keywords) {
    // Read once per pass, so the log names the order that was requested.
    const int sort_order = ctx.ui.combo_index("组合框1");
    if (!has_sort_key(sort_order)) {
      // Searching with no sort key would parse the previous keyword's page again.
      ctx.ui.append_log(text_concat(kNoSortOrder, "\r\n"));
      if (ctx.state.stop_requested != 0) return;
      continue;
    }
    const Text page = fetch_text(
        ctx,
        text_concat(ctx.endpoints.service_host, kSearchPath, kSortKeys[static_cast<std::size_t>(sort_order)],
                    kSearchQuery, keyword, kSearchTail),
        "POST");
    ctx.ui.delay(200);
    ctx.ui.append_log(text_concat("正在", ctx.ui.combo_item("组合框1", sort_order), "搜寻。。。\r\n"));
    if (ctx.state.stop_requested != 0) return;

    collect_promotion_list(ctx, page);
    ctx.ui.delay(500);
    ctx.ui.append_log("搜寻完毕\r\n");
    ctx.state.current_keyword = keyword;
    load_template_into_editor(ctx);
    ctx.ui.delay(200);
    ctx.ui.delay(500);
    ctx.ui.append_log("开始搜寻单个宝贝信息。。。。\r\n");
    ctx.ui.delay(200);
    if (ctx.state.stop_requested != 0) return;

    build_keyword_page(ctx);
    ctx.ui.delay(100);
    // No line break: the next pass's first line continues this one.
    ctx.ui.append_log(text_concat("生成关键词\"", ctx.state.current_keyword, ".htm\"完毕"));
  }
}

}  // namespace

void start_generation(Context& ctx) {
  // A click during one of the run's delays would otherwise start a second
  // run nested inside the first.
  if (ctx.state.run_active) return;
  const ActiveRun active(ctx.state);

  ctx.state.stop_requested = 0;
  show_log_page(ctx);
  ctx.ui.set_text("编辑框8", {});
  ctx.ui.rows_clear("超级列表框1");
  ctx.ui.rows_clear("超级列表框转换链接");
  ctx.ui.append_log("正在努力采集.......\r\n");
  ctx.ui.delay(500);
  if (ctx.ui.text("编辑框1").empty()) {
    ctx.ui.append_log("请输入查询关键词");
    return;
  }
  if (!confirm_login(ctx)) {
    ctx.ui.append_log("请登陆阿里妈妈");
    return;
  }
  if (ctx.ui.text("编辑框7").empty()) {
    ctx.ui.append_log("请输入生成宝贝的数量");
    return;
  }
  if (!has_sort_key(ctx.ui.combo_index("组合框1"))) {
    ctx.ui.append_log(Text(kNoSortOrder));
    return;
  }
  // Last of the checks: a broken template stops the run before any search.
  if (!check_selected_template(ctx)) return;
  run_passes(ctx);
}

void run_generation(Context& ctx) {
  if (ctx.state.run_active) return;
  const ActiveRun active(ctx.state);
  run_passes(ctx);
}

}  // namespace pagloom
