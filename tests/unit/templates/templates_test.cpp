// Template store, loading into the editor fields, and the editor commands,
// over the in-memory file system. Literals here are GBK bytes.
#include <gtest/gtest.h>

#include <random>

#include "fakes/fake_context.h"
#include "templates/template_commands.h"
#include "templates/template_store.h"

namespace pagloom {
namespace {

using testing::FakeWorld;

constexpr char kStore[] = "/run/单页生成/模板/";

class Templates : public ::testing::Test {
 protected:
  FakeWorld w;

  void add_template(const Text& name, std::string_view content) {
    w.files.add_file(text_concat(kStore, name, "/模板文件.htm"), content);
  }
  void scan_and_select(int index) {
    scan_templates(w.ctx);
    w.ui.list_select("列表框1", index);
  }
  Text field(int n) const { return w.ui.text(text_concat("编辑框", number_to_text(n))); }
};

TEST_F(Templates, ScanListsFoldersOnlyInByteOrderAndSelectsTheFirst) {
  w.files.add_folder(text_concat(kStore, "高贵大气"));
  w.files.add_folder(text_concat(kStore, ".backup"));
  w.files.add_folder(text_concat(kStore, "Alpha"));
  w.files.add_file(text_concat(kStore, "readme.txt"), "x");
  scan_templates(w.ctx);
  const auto& box = w.ui.list_boxes["列表框1"];
  EXPECT_EQ(box.items, (std::vector<Text>{"Alpha", "高贵大气"}));
  EXPECT_EQ(box.selected, 0);
  EXPECT_EQ(field(2), "");  // selecting item 0 loads nothing
}

TEST_F(Templates, ScanOfAMissingStoreLeavesTheListEmpty) {
  scan_templates(w.ctx);
  EXPECT_TRUE(w.ui.list_boxes["列表框1"].items.empty());
  EXPECT_EQ(w.ui.list_selected("列表框1"), -1);
}

TEST_F(Templates, PresenceTestsIgnoreFoldersOfTheFilesName) {
  add_template("a", "x");
  w.files.add_folder(text_concat(kStore, "a/效果预览.htm"));
  scan_and_select(0);
  EXPECT_TRUE(has_template_file(w.ctx));
  EXPECT_FALSE(has_preview_file(w.ctx));
}

struct SplitCase {
  std::string file, head, loop, tail;
};

TEST_F(Templates, LoadSplitsHeadLoopAndTail) {
  const std::vector<SplitCase> cases = {
      {"H[#商品循环开始#]L[#商品循环结束#]E", "H", "L", "E"},
      {"[#商品循环开始#]L[#商品循环结束#]", "", "L", ""},
      // No loop-end marker closes the loop code: what follows the loop-start
      // marker goes to the tail, so a save keeps it.
      {"H[#商品循环开始#]L", "H", "", "L"},
      // A loop-end marker before the loop-start marker belongs to the head.
      {"[#商品循环结束#][#商品循环开始#]", "[#商品循环结束#]", "", ""},
      {"A[#商品循环结束#]B[#商品循环开始#]L[#商品循环结束#]T", "A[#商品循环结束#]B", "L", "T"},
      // Neither marker: the whole text is the tail.
      {"<html></html>", "", "", "<html></html>"},
      // No loop-start marker: the loop code is cut from byte 15 on.
      {"0123456789ABCDEFG[#商品循环结束#]T", "", "EFG", "T"},
      // Only the first pair delimits the loop; a second pair is tail.
      {"H[#商品循环开始#]A[#商品循环结束#]B[#商品循环开始#]C[#商品循环结束#]D", "H", "A",
       "B[#商品循环开始#]C[#商品循环结束#]D"},
      // The tail reaches the end of the file, its last bytes included.
      {"H[#商品循环开始#]L[#商品循环结束#]</body></html>\r\n", "H", "L", "</body></html>\r\n"},
      {"H[#商品循环开始#]L[#商品循环结束#]x", "H", "L", "x"},
      {std::string("H[#商品循环开始#]L[#商品循环结束#]ab\0cd", 39), "H", "L", "ab"},
  };
  for (const auto& c : cases) {
    add_template("t", c.file);
    w.ui.list_clear("列表框1");
    scan_and_select(0);
    load_template_into_editor(w.ctx);
    EXPECT_EQ(field(2), "t");
    EXPECT_EQ(field(3), c.head) << c.file;
    EXPECT_EQ(field(4), c.loop) << c.file;
    EXPECT_EQ(field(5), c.tail) << c.file;
  }
}

TEST_F(Templates, SaveAndReloadRoundTripsTheFileByteForByte) {
  const std::string original =
      "<html>\r\n[#关键词#][#商品循环开始#]<li>[#商品标题#]</li>[#商品循环结束#]</ul>\r\n</html>";
  add_template("a", original);
  scan_and_select(0);
  load_template_into_editor(w.ctx);
  save_template(w.ctx);
  EXPECT_EQ(w.files.content(text_concat(kStore, "a/模板文件.htm")), original);
  EXPECT_EQ(w.ui.messages, (std::vector<Text>{"保存模板成功"}));
  // Saved and loaded again, nothing moves.
  reload_template(w.ctx);
  save_template(w.ctx);
  EXPECT_EQ(w.files.content(text_concat(kStore, "a/模板文件.htm")), original);
}

// Random texts built from markers, pieces of markers, GBK characters (one
// with the trail byte 0x5C) and every line-break style.
class TemplateRoundTrip : public Templates {
 protected:
  std::mt19937 random{20261211};

  Text random_text(bool whole_characters) {
    static const std::vector<std::string> pieces = {"[#商品循环开始#]",
                                                    "[#商品循环结束#]",
                                                    "[#商品循环",
                                                    "#]",
                                                    "[#",
                                                    "x",
                                                    "红",
                                                    "\xB1\x5C",
                                                    "\r\n",
                                                    "\n",
                                                    "\r",
                                                    "</html>",
                                                    "0123456789"};
    Text t;
    const int length = std::uniform_int_distribution<int>(0, 8)(random);
    for (int i = 0; i < length; ++i) {
      if (!whole_characters && std::uniform_int_distribution<int>(0, 9)(random) == 0) t += "\xB1";
      t += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
    }
    return t;
  }

  // Loads the template file `content` into the fields and saves them back;
  // returns the file's bytes after the save.
  Text load_and_save(const Text& content) {
    add_template("t", content);
    w.ui.list_clear("列表框1");
    scan_and_select(0);
    load_template_into_editor(w.ctx);
    save_template(w.ctx);
    return w.files.content(text_concat(kStore, "t/模板文件.htm"));
  }
};

TEST_F(TemplateRoundTrip, EveryFileTheSaveWritesLoadsAndSavesToTheSameBytes) {
  for (int round = 0; round < 3000; ++round) {
    // What a save writes: any head, loop code and tail, markers inside included.
    const Text file = text_concat(random_text(true), "[#商品循环开始#]", random_text(true),
                                  "[#商品循环结束#]", random_text(true));
    ASSERT_EQ(load_and_save(file), file);
  }
}

TEST_F(TemplateRoundTrip, AnyFileIsStableFromItsFirstSave) {
  for (int round = 0; round < 3000; ++round) {
    const Text file = random_text(false);
    const Text saved = load_and_save(file);
    ASSERT_EQ(load_and_save(saved), saved) << "file: " << file;
    // Nothing after the head is dropped unless the loop code was cut from
    // byte 15 of a file without a loop-start marker.
    if (text_find(file, "[#商品循环开始#]") != -1) {
      EXPECT_GE(saved.size(), file.size()) << file;
    }
  }
}

TEST_F(Templates, SaveUnderANewNameCreatesItsFolderAndRescans) {
  add_template("b", "x");
  w.files.add_file(text_concat(kStore, "b/效果预览.htm"), "preview");
  scan_and_select(0);
  w.ui.set_text("编辑框2", "新模板");
  w.ui.set_text("编辑框3", "H");
  w.ui.set_text("编辑框4", "");
  w.ui.set_text("编辑框5", "T");
  save_template(w.ctx);
  EXPECT_EQ(w.files.content(text_concat(kStore, "新模板/模板文件.htm")),
            "H[#商品循环开始#][#商品循环结束#]T");
  EXPECT_EQ(w.ui.list_boxes["列表框1"].items, (std::vector<Text>{"b", "新模板"}));
  EXPECT_EQ(w.ui.list_selected("列表框1"), 0);
  EXPECT_EQ(field(3), "H");  // selecting item 0 after the rescan loads nothing
  EXPECT_EQ(w.files.content(text_concat(kStore, "b/效果预览.htm")), "preview");
}

TEST_F(Templates, SaveRefusesNamesThatLeaveTheStore) {
  // A template "€" (0x80, one character for the decoder) is already there:
  // names built on it must not reach its parent or grow folders inside it.
  w.files.add_folder("/run/单页生成/模板/\x80");
  const Text names[] = {"",        ".",       "..",     "a/b",    "..\\x",  "/etc", "\x80/..",
                        "\x80\\x", "\xD2/..", "..\x81", "ok\x81", "a\x01b", "a\tb", "\x7F"};
  const auto folders = w.files.folders;
  for (const Text& name : names) {
    SCOPED_TRACE(name);
    w.ui.messages.clear();
    w.ui.set_text("编辑框2", name);
    const int writes = w.files.writes;
    save_template(w.ctx);
    EXPECT_EQ(w.files.writes, writes);
    ASSERT_EQ(w.ui.messages.size(), 1u);
    EXPECT_NE(w.ui.messages[0], "保存模板成功");
  }
  EXPECT_TRUE(w.files.files.empty());
  EXPECT_EQ(w.files.folders, folders);
}

TEST_F(Templates, SaveAcceptsNamesWhoseTrailByteLooksLikeASeparator) {
  w.files.add_folder("/run/单页生成/模板");
  for (const Text& name : {Text("\xB1\x5C"), Text("\x80"), Text("高贵大气")}) {
    SCOPED_TRACE(name);
    w.ui.set_text("编辑框2", name);
    save_template(w.ctx);
    EXPECT_TRUE(w.files.has_file(text_concat(kStore, name, "/模板文件.htm")));
    EXPECT_EQ(w.ui.messages.back(), "保存模板成功");
  }
}

TEST_F(Templates, AFailedSaveKeepsTheOldTemplate) {
  const std::string original = "H[#商品循环开始#]L[#商品循环结束#]T";
  add_template("a", original);
  scan_and_select(0);
  load_template_into_editor(w.ctx);
  w.ui.set_text("编辑框4", "new loop");
  w.files.read_only.insert(w.files.normalise(text_concat(kStore, "a/模板文件.htm")));
  save_template(w.ctx);
  EXPECT_EQ(w.files.content(text_concat(kStore, "a/模板文件.htm")), original);
  ASSERT_EQ(w.ui.messages.size(), 1u);
  EXPECT_NE(w.ui.messages[0], "保存模板成功");
}

TEST_F(Templates, AFailedWriteIsNotReportedAsSuccess) {
  // No templates folder: the folder cannot be created, the write fails.
  w.ui.set_text("编辑框2", "a");
  save_template(w.ctx);
  ASSERT_EQ(w.ui.messages.size(), 1u);
  EXPECT_NE(w.ui.messages[0], "保存模板成功");
}

TEST_F(Templates, NewTemplateEmptiesTheFieldsOnly) {
  add_template("a", "H[#商品循环开始#]L[#商品循环结束#]T");
  scan_and_select(0);
  load_template_into_editor(w.ctx);
  new_template(w.ctx);
  for (int n = 2; n <= 5; ++n) EXPECT_EQ(field(n), "");
  EXPECT_EQ(w.ui.list_selected("列表框1"), 0);
}

TEST_F(Templates, PageCommandsLoadOrExplain) {
  add_template("a", "H[#商品循环开始#]L[#商品循环结束#]T");
  scan_and_select(0);

  show_template_editor(w.ctx);
  EXPECT_EQ(w.ui.page("选择夹2"), 1);
  EXPECT_EQ(field(4), "L");

  // No preview page: the message, the page switched, the fields kept.
  w.ui.set_text("编辑框4", "edited");
  show_preview(w.ctx);
  EXPECT_EQ(w.ui.page("选择夹2"), 3);
  EXPECT_EQ(field(4), "edited");
  ASSERT_EQ(w.ui.messages.size(), 1u);
  EXPECT_EQ(
      w.ui.messages[0],
      "您没把预览文件放在指定位置，请按张以下方式放入。例如：软件目录/单页生成/模板/高贵大气/效果预览.htm");

  w.files.add_file(text_concat(kStore, "a/效果预览.htm"), "p");
  show_preview(w.ctx);
  EXPECT_EQ(w.ui.current_address("超文本浏览框2"), "/run/单页生成/模板/a/效果预览.htm");
  EXPECT_EQ(field(4), "L");
}

TEST_F(Templates, EditorCommandExplainsAMissingTemplateFile) {
  w.files.add_folder(text_concat(kStore, "a"));
  scan_and_select(0);
  w.ui.set_text("编辑框3", "kept");
  show_template_editor(w.ctx);
  EXPECT_EQ(w.ui.page("选择夹2"), 1);
  EXPECT_EQ(field(3), "kept");
  ASSERT_EQ(w.ui.messages.size(), 1u);
  EXPECT_EQ(w.ui.messages[0],
            "您没把模板放在指定位置，请按张以下方式放入。例如：软件目录/单页生成/模板/高贵大气/模板文件.htm");
}

TEST_F(Templates, UserSelectionShowsThePreviewAndLoads) {
  add_template("a", "1[#商品循环开始#]2[#商品循环结束#]3");
  add_template("b", "4[#商品循环开始#]5[#商品循环结束#]6");
  scan_and_select(1);
  const int page_before = w.ui.page("选择夹2");
  select_template(w.ctx);
  EXPECT_EQ(w.ui.current_address("超文本浏览框2"), "/run/单页生成/模板/b/效果预览.htm");
  EXPECT_EQ(field(2), "b");
  EXPECT_EQ(field(3), "4");
  EXPECT_EQ(w.ui.page("选择夹2"), page_before);
}

}  // namespace
}  // namespace pagloom
