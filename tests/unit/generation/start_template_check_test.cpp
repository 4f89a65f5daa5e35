// The start command checks the selected template last, before the first
// promotion search.
#include <gtest/gtest.h>

#include "fakes/fake_context.h"
#include "generation/generation_run.h"

namespace pagloom::testing {
namespace {

constexpr std::string_view kLogin = "http://member.test/membersvc/index.htm";
constexpr std::string_view kSearch = "http://service.test/union/spread/selfservice/merchandisePromotion.htm?";

struct StartCase {
  const char* name;
  Text template_text;
  Text log;       // after the start line
  bool searched;  // the run went on to the promotion search
};

class TemplateAtStart : public ::testing::TestWithParam<StartCase> {};

TEST_P(TemplateAtStart, BrokenTemplateStopsTheRunUnknownPlaceholderWarns) {
  FakeWorld w;
  w.files.add_file("/run/单页生成/模板/T/模板文件.htm", GetParam().template_text);
  w.ui.list_boxes["列表框1"] = {{"T"}, 0};
  w.ui.addresses["超文本浏览框1"] = Text(kLogin);
  w.ui.texts["编辑框1"] = "a";
  w.ui.texts["编辑框7"] = "1";
  w.http.handler = [](const HttpRequest& r) { return FakeHttp::ok(r.url == kLogin ? "<a>退出</a>" : ""); };

  start_generation(w.ctx);

  const Text log = w.ui.text("编辑框8");
  EXPECT_EQ(log.substr(0, log.find("正在按")), "正在努力采集.......\r\n" + GetParam().log);
  ASSERT_FALSE(w.http.requests.empty());
  EXPECT_EQ(w.http.requests[0].url, kLogin);
  const bool searched = w.http.requests.size() > 1 && w.http.requests[1].url.starts_with(kSearch);
  EXPECT_EQ(searched, GetParam().searched);
  if (!GetParam().searched) {
    EXPECT_EQ(w.http.requests.size(), 1u);
    EXPECT_EQ(w.files.writes, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TemplateAtStart,
    ::testing::Values(
        StartCase{"Sound", "<h1></h1>[#商品循环开始#]<li>[#商品标题#]</li>[#商品循环结束#]", "", true},
        StartCase{"NoLoopEnd", "<h1></h1>[#商品循环开始#]<li>[#商品标题#]</li>",
                  "模板有问题：缺少循环结束标记[#商品循环结束#]\r\n", false},
        StartCase{"TypoOnlyWarns", "<h1></h1>[#商品循环开始#]<li>[#商品价钱#]</li>[#商品循环结束#]",
                  "注意：模板里的[#商品价钱#]不是可用的占位符，会原样留在页面里\r\n", true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pagloom::testing
