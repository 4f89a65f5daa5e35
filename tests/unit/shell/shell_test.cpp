// Start-up, page navigation and the stop request over the fake window.
#include <gtest/gtest.h>

#include "fakes/fake_context.h"
#include "shell/shell_commands.h"

namespace pagloom {
namespace {

using testing::FakeWorld;

TEST(Shell, StartUpListsTemplatesPicksSortOrderAndShowsHelp) {
  FakeWorld w;
  w.files.add_folder("/run/单页生成/模板/高贵大气");
  w.ctx.state.stop_requested = 1;
  w.ui.set_combo_index("组合框1", 2);
  start_up(w.ctx);
  EXPECT_EQ(w.ui.list_item("列表框1", 0), "高贵大气");
  EXPECT_EQ(w.ui.list_selected("列表框1"), 0);
  EXPECT_EQ(w.ui.combo_index("组合框1"), 0);
  EXPECT_EQ(w.ui.page("选择夹2"), kInstructionsPage);
  EXPECT_EQ(w.ui.current_address("超文本浏览框3"), "http://help.test/help.htm");
  EXPECT_EQ(w.ctx.state.stop_requested, 0);
}

TEST(Shell, PageCommands) {
  FakeWorld w;
  show_log_page(w.ctx);
  EXPECT_EQ(w.ui.page("选择夹2"), kLogPage);

  open_login_page(w.ctx);
  open_login_page(w.ctx);
  EXPECT_EQ(w.ui.page("选择夹2"), kLoginPage);
  EXPECT_EQ(w.ui.navigations["超文本浏览框1"],
            (std::vector<Text>(2, "http://member.test/membersvc/index.htm")));

  show_instructions_page(w.ctx);
  show_instructions_page(w.ctx);  // every click loads the help page again
  EXPECT_EQ(w.ui.navigations["超文本浏览框3"].size(), 2u);
}

TEST(Shell, MemberCentreRefreshOnlyForTheConversionTab) {
  FakeWorld w;
  w.ui.set_page("选择夹2", kLogPage);
  w.ui.set_page("选择夹1", 0);
  refresh_member_centre(w.ctx);
  EXPECT_TRUE(w.ui.navigations["超文本浏览框1"].empty());
  w.ui.set_page("选择夹1", 1);
  refresh_member_centre(w.ctx);
  EXPECT_EQ(w.ui.current_address("超文本浏览框1"), "http://service.test/membersvc/index.htm");
  EXPECT_EQ(w.ui.page("选择夹2"), kLogPage);
}

TEST(Shell, StopRequestAndHyperlinks) {
  FakeWorld w;
  request_stop(w.ctx);
  EXPECT_EQ(w.ctx.state.stop_requested, 1);
  open_hyperlink(w.ctx, "超级链接框1");
  open_hyperlink(w.ctx, "超级链接框2");
  open_hyperlink(w.ctx, "超级链接框3");
  EXPECT_EQ(w.ui.opened_externally,
            (std::vector<Text>{"http://help.test/download.htm", "http://help.test/tutorial.htm",
                               "http://help.test/rules.htm"}));
}

}  // namespace
}  // namespace pagloom
