#include "shell/shell_commands.h"

#include "templates/template_store.h"
#include "web/web.h"

namespace pagloom {

Text member_centre_address(std::string_view host) { return text_concat(host, "/membersvc/index.htm"); }

void start_up(Context& ctx) {
  scan_templates(ctx);
  ctx.ui.set_combo_index("组合框1", 0);
  show_instructions_page(ctx);
  ctx.state.stop_requested = 0;
}

void show_instructions_page(Context& ctx) {
  ctx.ui.set_page("选择夹2", kInstructionsPage);
  ctx.ui.navigate("超文本浏览框3", ctx.endpoints.help_page);
}

void show_log_page(Context& ctx) { ctx.ui.set_page("选择夹2", kLogPage); }

void open_login_page(Context& ctx) {
  ctx.ui.set_page("选择夹2", kLoginPage);
  ctx.ui.navigate("超文本浏览框1", member_centre_address(ctx.endpoints.member_centre_host));
}

void refresh_member_centre(Context& ctx) {
  if (ctx.ui.page("选择夹1") == 1) {
    ctx.ui.navigate("超文本浏览框1", member_centre_address(ctx.endpoints.service_host));
  }
}

void request_stop(Context& ctx) { ctx.state.stop_requested = 1; }

void mark_logged_in(Context& ctx) {
  ctx.ui.set_text("按钮2", "登陆成功");
  ctx.ui.set_enabled("按钮2", false);
}

void mark_logged_out(Context& ctx) {
  ctx.ui.set_text("按钮2", "登陆阿里妈妈");
  ctx.ui.set_enabled("按钮2", true);
}

bool confirm_login(Context& ctx) {
  if (!probe_login(ctx)) {
    mark_logged_out(ctx);
    return false;
  }
  mark_logged_in(ctx);
  return true;
}

void open_hyperlink(Context& ctx, std::string_view control) {
  const Endpoints& e = ctx.endpoints;
  if (control == "超级链接框1") {
    ctx.ui.open_external(e.download_page);
  } else if (control == "超级链接框2") {
    ctx.ui.open_external(e.tutorial_page);
  } else if (control == "超级链接框3") {
    ctx.ui.open_external(e.link_rules_page);
  }
}

}  // namespace pagloom
