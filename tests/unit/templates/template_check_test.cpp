// The template check before a run: a table of broken templates, and what the
// check of the selected template logs.
#include "templates/template_check.h"

#include <gtest/gtest.h>

#include "fakes/fake_context.h"

namespace pagloom {
namespace {

using testing::FakeWorld;

struct CheckCase {
  const char* name;
  Text text;
  std::vector<Text> problems;
  std::vector<Text> unknown;
};

class BrokenTemplates : public ::testing::TestWithParam<CheckCase> {};

TEST_P(BrokenTemplates, AreFoundBeforeTheRun) {
  const TemplateCheck check = check_template_text(GetParam().text);
  EXPECT_EQ(check.problems, GetParam().problems);
  EXPECT_EQ(check.unknown_placeholders, GetParam().unknown);
}

const Text kNoStart = "缺少循环开始标记[#商品循环开始#]";
const Text kNoEnd = "缺少循环结束标记[#商品循环结束#]";
const Text kOutOfOrder = "循环结束标记[#商品循环结束#]在循环开始标记[#商品循环开始#]之前";
const Text kEmptyLoop = "循环代码是空的";

INSTANTIATE_TEST_SUITE_P(
    Cases, BrokenTemplates,
    ::testing::Values(
        CheckCase{
            "Sound",
            "<h1>[#关键词#]</h1>[#商品循环开始#]<a href=\"[#推广链接#]\">[#商品标题#]</a>[#商品图片地址#]"
            "[#商品网址#][#商品销售量#][#卖家昵称#][#商品价格#][#商品排名#][#商品循环结束#]<p>[#关键词#]</p>",
            {},
            {}},
        CheckCase{"EmptyFile", "", {"模板文件不存在或是空的"}, {}},
        CheckCase{"NoStartMarker", "<h1></h1><li>[#商品标题#]</li>[#商品循环结束#]", {kNoStart}, {}},
        CheckCase{"NoEndMarker", "<h1></h1>[#商品循环开始#]<li>[#商品标题#]</li>", {kNoEnd}, {}},
        CheckCase{"NoMarkers", "<h1>[#商品标题#]</h1>", {kNoStart, kNoEnd}, {}},
        CheckCase{
            "EndBeforeStart", "[#商品循环结束#]<li>[#商品标题#]</li>[#商品循环开始#]", {kOutOfOrder}, {}},
        // The first end marker decides, even with another after the start.
        CheckCase{"StrayEndBeforeStart",
                  "[#商品循环结束#][#商品循环开始#]<li></li>[#商品循环结束#]",
                  {kOutOfOrder},
                  {}},
        CheckCase{"EmptyLoopCode", "<h1></h1>[#商品循环开始#][#商品循环结束#]", {kEmptyLoop}, {}},
        CheckCase{"BlankLoopCode", "<h1></h1>[#商品循环开始#] \r\n\t[#商品循环结束#]", {kEmptyLoop}, {}},
        // Unknown placeholders are warnings: each once, in order, anywhere in the file.
        CheckCase{"TypoInPlaceholder",
                  "[#商品价钱#][#商品循环开始#][#商品价钱#][#商品标题 #][#商品循环结束#][##]",
                  {},
                  {"[#商品价钱#]", "[#商品标题 #]", "[##]"}},
        CheckCase{"ProblemAndWarningTogether", "[#商品循环开始#][#价格#]", {kNoEnd}, {"[#价格#]"}},
        // An opening "[#" inside another candidate starts afresh.
        CheckCase{"NestedOpening", "[#商品循环开始#][#a [#商品标题#][#商品循环结束#]", {}, {}},
        // Not placeholder-like: across a line or a tag, too long, or a
        // bracket that is the trail byte of a GBK character (0x95 0x5B).
        CheckCase{"NotPlaceholders",
                  "[#商品循环开始#]<li>[#a\r\nb#]</li>[#<b>#]"
                  "[#aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa#]"
                  "\x95[#x#][#商品循环结束#]",
                  {},
                  {}}),
    [](const auto& info) { return std::string(info.param.name); });

class SelectedTemplate : public ::testing::Test {
 protected:
  FakeWorld w;
  void select(const Text& name, std::string_view content) {
    w.files.add_file(text_concat("/run/单页生成/模板/", name, "/模板文件.htm"), content);
    w.ui.list_boxes["列表框1"] = {{name}, 0};
  }
};

TEST_F(SelectedTemplate, LogsEachProblemAndWarningOnItsOwnLine) {
  select("T", "[#商品循环开始#][#商品价钱#]");
  EXPECT_FALSE(check_selected_template(w.ctx));
  EXPECT_EQ(w.ui.text("编辑框8"),
            "模板有问题：缺少循环结束标记[#商品循环结束#]\r\n"
            "注意：模板里的[#商品价钱#]不是可用的占位符，会原样留在页面里\r\n");
  EXPECT_TRUE(w.http.requests.empty());
}

TEST_F(SelectedTemplate, UnknownPlaceholderAloneLetsTheRunGoOn) {
  select("T", "[#商品循环开始#][#商品价钱#][#商品循环结束#]");
  EXPECT_TRUE(check_selected_template(w.ctx));
  EXPECT_EQ(w.ui.text("编辑框8"), "注意：模板里的[#商品价钱#]不是可用的占位符，会原样留在页面里\r\n");
}

TEST_F(SelectedTemplate, MissingFileOrNoSelectionIsAProblem) {
  w.ui.list_boxes["列表框1"] = {{"Gone"}, 0};
  EXPECT_FALSE(check_selected_template(w.ctx));
  EXPECT_EQ(w.ui.text("编辑框8"), "模板有问题：模板文件不存在或是空的\r\n");

  w.ui.texts["编辑框8"] = "";
  w.ui.list_boxes["列表框1"] = {};
  EXPECT_FALSE(check_selected_template(w.ctx));
  EXPECT_EQ(w.ui.text("编辑框8"), "模板有问题：没有选择单页模板\r\n");
}

}  // namespace
}  // namespace pagloom
