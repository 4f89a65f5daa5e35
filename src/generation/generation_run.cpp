#include "generation/generation_run.h"

#include <array>
#include <string_view>

#include "generation/keyword_page.h"
#include "generation/promotion_list.h"
#include "platform/controls.h"
#include "shell/shell_commands.h"
#include "templates/template_check.h"
#include "templates/template_commands.h"
#include "templates/template_store.h"
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
constexpr std::string_view kStopped = "已停止生成。\r\n";

// While the session is lost: the pause between login probes, and how long
// the run waits for a new login.
constexpr int kLoginProbeIntervalMs = 3000;
constexpr long long kLoginWaitMs = 10 * 60 * 1000;

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

// How a keyword pass ended, and with it the run: after Finished the run goes
// on with the next keyword.
enum class RunEnd { Finished, Stopped, TimedOut };

// What the passes leave for the closing line.
struct Tally {
  int pages = 0;
  Text template_name;  // of the last page written
};

bool stop_seen(const Context& ctx) { return ctx.state.stop_requested != 0; }

// Appends `line` at the start of a line of the log box, after the line break
// that the previous text may lack.
void append_own_line(Context& ctx, std::string_view line) {
  const Text log = ctx.ui.text(kLogBox);
  if (!log.empty() && !log.ends_with("\r\n")) ctx.ui.append_log("\r\n");
  ctx.ui.append_log(Text(line));
}

// The session ended during the run: shows the login page and probes every
// few seconds, inside delays so that the window stays usable, until a new
// login, a stop or the time limit.
RunEnd wait_for_login(Context& ctx) {
  ctx.ui.append_log("阿里妈妈登录已失效，请在登录页重新登录，登录后自动继续。\r\n");
  mark_logged_out(ctx);
  open_login_page(ctx);
  const long long since = ctx.ui.tick_ms();
  for (;;) {
    ctx.ui.delay(kLoginProbeIntervalMs);
    if (stop_seen(ctx)) return RunEnd::Stopped;
    if (confirm_login(ctx)) {
      show_log_page(ctx);
      ctx.ui.append_log("已重新登录，继续生成。\r\n");
      return RunEnd::Finished;
    }
    if (ctx.ui.tick_ms() - since >= kLoginWaitMs) {
      ctx.ui.append_log("等待登录超时，生成已停止。\r\n");
      return RunEnd::TimedOut;
    }
  }
}

// One keyword, from its promotion search to its end line. The stop flag is
// checked before every request. A search that came back logged out writes
// nothing and is made again once the user has logged in anew.
RunEnd run_keyword(Context& ctx, const Text& keyword, Tally& tally) {
  for (;;) {
    // Read once per pass, so the log names the order that was requested.
    const int sort_order = ctx.ui.combo_index(kSortOrderBox);
    if (!has_sort_key(sort_order)) {
      // Searching with no sort key would parse the previous keyword's page again.
      ctx.ui.append_log(text_concat(kNoSortOrder, "\r\n"));
      return stop_seen(ctx) ? RunEnd::Stopped : RunEnd::Finished;
    }
    if (stop_seen(ctx)) return RunEnd::Stopped;
    const Text page = fetch_text(
        ctx,
        text_concat(ctx.endpoints.service_host, kSearchPath, kSortKeys[static_cast<std::size_t>(sort_order)],
                    kSearchQuery, keyword, kSearchTail),
        "POST");
    ctx.ui.delay(200);
    ctx.ui.append_log(text_concat("正在", ctx.ui.combo_item(kSortOrderBox, sort_order), "搜寻。。。\r\n"));
    if (stop_seen(ctx)) return RunEnd::Stopped;

    collect_promotion_list(ctx, page);
    ctx.ui.delay(500);
    ctx.ui.append_log("搜寻完毕\r\n");

    const int found = ctx.ui.row_count(kWorkingList);
    if (found == 0) {
      // No product at all: the keyword has none, or the search met the
      // login page because the session has ended.
      if (stop_seen(ctx)) return RunEnd::Stopped;
      if (confirm_login(ctx)) {
        ctx.ui.append_log(text_concat("没有找到关键词\"", keyword, "\"的商品，未生成页面\r\n"));
        return RunEnd::Finished;
      }
      const RunEnd login = wait_for_login(ctx);
      if (login != RunEnd::Finished) return login;
      continue;
    }
    const int wanted = product_count(ctx);
    if (found < wanted) {
      ctx.ui.append_log(text_concat("只找到", number_to_text(found), "个商品，少于商品数量",
                                    number_to_text(wanted), "\r\n"));
    }

    ctx.state.current_keyword = keyword;
    load_template_into_editor(ctx);
    ctx.ui.delay(200);
    ctx.ui.delay(500);
    ctx.ui.append_log("开始搜寻单个宝贝信息。。。。\r\n");
    ctx.ui.delay(200);
    if (stop_seen(ctx)) return RunEnd::Stopped;

    const KeywordPageResult made = build_keyword_page(ctx);
    if (made.session_lost) {
      // The affiliate export met the login page: the same way back as a
      // search that did, and the keyword is made again.
      const RunEnd login = wait_for_login(ctx);
      if (login != RunEnd::Finished) return login;
      continue;
    }
    if (made.written) {
      ++tally.pages;
      tally.template_name = ctx.ui.text(kTemplateNameBox);
    }
    if (made.stopped) {
      ctx.ui.append_log(text_concat("关键词\"", ctx.state.current_keyword, ".htm\"已停止，只生成了",
                                    number_to_text(made.cards), "个商品\r\n"));
      return RunEnd::Stopped;
    }
    ctx.ui.delay(100);
    // No line break: the next pass's first line continues this one.
    ctx.ui.append_log(text_concat("生成关键词\"", ctx.state.current_keyword, ".htm\"完毕"));
    return RunEnd::Finished;
  }
}

// Runs every keyword and closes the log with how the run ended.
void run_passes(Context& ctx) {
  const std::vector<Text> keywords = text_split(ctx.ui.text(kKeywordBox), "\r\n");
  Tally tally;
  RunEnd end = RunEnd::Finished;
  for (const Text& keyword : keywords) {
    end = run_keyword(ctx, keyword, tally);
    if (end != RunEnd::Finished) break;
  }
  switch (end) {
    case RunEnd::Finished: {
      const Text folder = tally.pages > 0 ? tally.template_name : selected_template_name(ctx);
      append_own_line(ctx, text_concat("生成结束：共生成", number_to_text(tally.pages), "个页面，保存在 ",
                                       ctx.run_directory, "/单页生成/模板/", folder, "\r\n"));
      break;
    }
    case RunEnd::Stopped:
      append_own_line(ctx, kStopped);
      break;
    case RunEnd::TimedOut:
      break;  // its own line has said so
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
  ctx.ui.set_text(kLogBox, {});
  ctx.ui.rows_clear(kWorkingList);
  ctx.ui.rows_clear(kResultList);
  ctx.ui.append_log("正在努力采集.......\r\n");
  ctx.ui.delay(500);
  if (ctx.ui.text(kKeywordBox).empty()) {
    ctx.ui.append_log("请输入查询关键词");
    return;
  }
  if (stop_seen(ctx)) {
    append_own_line(ctx, kStopped);
    return;
  }
  if (!confirm_login(ctx)) {
    ctx.ui.append_log("请登陆阿里妈妈");
    return;
  }
  if (ctx.ui.text(kProductCountBox).empty()) {
    ctx.ui.append_log("请输入生成宝贝的数量");
    return;
  }
  if (!has_sort_key(ctx.ui.combo_index(kSortOrderBox))) {
    ctx.ui.append_log(Text(kNoSortOrder));
    return;
  }
  // Last of the checks: a broken template stops the run before any search.
  if (!check_selected_template(ctx)) return;
  run_passes(ctx);
}

}  // namespace pagloom
