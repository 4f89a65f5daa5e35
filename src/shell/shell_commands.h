// Start-up and the window's own commands: page navigation, the login page,
// the member-centre refresh, the stop request and the hyperlinks.
#pragma once

#include <string_view>

#include "platform/context.h"
#include "platform/controls.h"

namespace pagloom {

// Runs when the window is first shown (after the skin): lists the templates,
// selects sort order 0, shows the instructions page, clears stop_requested.
void start_up(Context& ctx);

void show_instructions_page(Context& ctx);  // 单选框1
void show_log_page(Context& ctx);           // 单选框4
void open_login_page(Context& ctx);         // 按钮2
void refresh_member_centre(Context& ctx);   // 选择夹1, current page changed
void request_stop(Context& ctx);            // 按钮5

// The login step of the commands that need the service: true when the login
// viewer's session is logged in (probe_login). 按钮2 follows the answer: on
// true it reads "登陆成功" and is disabled (mark_logged_in), on false it is
// the way back to the login page again (mark_logged_out).
[[nodiscard]] bool confirm_login(Context& ctx);

// 按钮2 after a login probe: "登陆成功" and disabled, or its start-up caption
// "登陆阿里妈妈" and enabled, so that a lost session can be logged into again.
void mark_logged_in(Context& ctx);
void mark_logged_out(Context& ctx);

// 超级链接框1..3: opens the link's target in the system's browser.
void open_hyperlink(Context& ctx, std::string_view control);

// The member-centre page on `host` ("scheme://host[:port]").
[[nodiscard]] Text member_centre_address(std::string_view host);

}  // namespace pagloom
