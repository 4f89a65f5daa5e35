#include "shell/shell_commands.h"

#include "platform/controls.h"
#include "templates/template_store.h"
#include "web/web.h"

namespace pagloom {

Text member_centre_address(std::string_view host) { return text_concat(host, "/membersvc/index.htm"); }

void start_up(Context& ctx) {
  scan_templates(ctx);
  ctx.ui.set_combo_index(kSortOrderBox, 0);
  show_instructions_page(ctx);
  ctx.state.stop_requested = 0;
}

void show_instructions_page(Context& ctx) {
  ctx.ui.set_page(kInnerPages, kInstructionsPage);
  ctx.ui.navigate(kHelpViewer, ctx.endpoints.help_page);
}

void show_log_page(Context& ctx) { ctx.ui.set_page(kInnerPages, kLogPage); }

void open_login_page(Context& ctx) {
  ctx.ui.set_page(kInnerPages, kLoginPage);
  ctx.ui.navigate(kLoginViewer, member_centre_address(ctx.endpoints.member_centre_host));
}

void refresh_member_centre(Context& ctx) {
  if (ctx.ui.page(kTopTabs) == 1) {
    ctx.ui.navigate(kLoginViewer, member_centre_address(ctx.endpoints.service_host));
  }
}

void request_stop(Context& ctx) { ctx.state.stop_requested = 1; }

void mark_logged_in(Context& ctx) {
  ctx.ui.set_text(kLoginButton, "登陆成功");
  ctx.ui.set_enabled(kLoginButton, false);
}

void mark_logged_out(Context& ctx) {
  ctx.ui.set_text(kLoginButton, "登陆阿里妈妈");
  ctx.ui.set_enabled(kLoginButton, true);
}

bool confirm_login(Context& ctx) {
  if (!probe_login(ctx, kLoginViewer)) {
    mark_logged_out(ctx);
    return false;
  }
  mark_logged_in(ctx);
  return true;
}

void open_hyperlink(Context& ctx, std::string_view control) {
  const Endpoints& e = ctx.endpoints;
  if (control == kDownloadLink) {
    ctx.ui.open_external(e.download_page);
  } else if (control == kTutorialLink) {
    ctx.ui.open_external(e.tutorial_page);
  } else if (control == kLinkRulesLink) {
    ctx.ui.open_external(e.link_rules_page);
  }
}

}  // namespace pagloom
