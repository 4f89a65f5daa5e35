// Links as users bring them: the item id of every link form, the link inside
// a share text, password tokens, UTF-8 detection, and the link file written
// and read back.
#include "conversion/item_links.h"

#include <gtest/gtest.h>

namespace pagloom {
namespace {

struct IdCase {
  const char* name;
  Text link;
  Text id;
};

class ItemId : public ::testing::TestWithParam<IdCase> {};

TEST_P(ItemId, ReadsTheIdOfEveryForm) { EXPECT_EQ(item_id_of(GetParam().link), GetParam().id); }

INSTANTIATE_TEST_SUITE_P(
    Links, ItemId,
    ::testing::Values(
        // Parameters.
        IdCase{"IdFollowedByParameter", "https://item.taobao.com/item.htm?id=123&spm=a1", "123"},
        IdCase{"IdLastParameter", "https://item.taobao.com/item.htm?id=123", "123"},
        IdCase{"IdAfterOthers", "http://item.test/i.htm?spm=1&id=42&b=2", "42"},
        IdCase{"AmpEntityFromPageSource",
               "https://item.taobao.com/item.htm?spm=a1z10&amp;id=520813250866&amp;skuId=1", "520813250866"},
        IdCase{"HashRoute", "https://m.example.test/#/detail?id=520813250866&from=share", "520813250866"},
        IdCase{"IdInFragment", "http://item.test/i.htm?a=1#&id=5", "5"},
        IdCase{"ItemIdName", "https://h5.m.taobao.com/awp/core/detail.htm?itemId=77&x=1", "77"},
        IdCase{"ItemUnderscoreId", "https://x.test/p?item_id=78", "78"},
        IdCase{"NumIid", "https://x.test/p?num_iid=79&id=1", "79"},
        IdCase{"NotTheTailOfUserid", "http://item.test/item.htm?userid=7&id=9", "9"},
        IdCase{"PercentEncodedValue", "http://item.test/item.htm?id=%31%32%33", "123"},
        IdCase{"WholeLinkPercentEncoded", "https%3A%2F%2Fitem.taobao.com%2Fitem.htm%3Fid%3D124%26spm%3D1",
               "124"},
        IdCase{"NestedInWrapper",
               "https://s.click.test/t?e=9&tu=https%3A%2F%2Fitem.taobao.com%2Fitem.htm%3Fspm%3D2%26id%3D125",
               "125"},
        IdCase{"NestedBeforeOuterId",
               "https://r.test/jump?id=1&url=https%3A%2F%2Fdetail.tmall.com%2Fitem.htm%3Fid%3D126", "126"},
        IdCase{"NestedTwice",
               "https://a.test/"
               "?to=https%3A%2F%2Fb.test%2F%3Fto%3Dhttps%253A%252F%252Fitem.taobao.com%252Fitem.htm%253Fid%"
               "253D127",
               "127"},
        IdCase{"NestedWithoutIdFallsBack", "https://r.test/jump?url=https%3A%2F%2Fshop.test%2F&id=128",
               "128"},
        IdCase{"ChineseAround", "商品?id=77&名称=裙", "77"},
        // Paths.
        IdCase{"MobileIPath", "https://a.m.taobao.com/i520813250866.htm?sid=1", "520813250866"},
        IdCase{"ItemPath", "https://shop.test/item/129.htm", "129"},
        IdCase{"DetailPathHtml", "https://m.test/detail/130.html#top", "130"},
        IdCase{"DigitsPathOnMarketplace", "https://world.taobao.com/131.htm", "131"},
        IdCase{"DigitsPathOnTmallHk", "https://detail.tmall.hk/132.htm", "132"},
        // Digits.
        IdCase{"DigitsOnly", "5566778899", "5566778899"}, IdCase{"DigitsWithSpaces", "  5566 \r\n", "5566"},
        // Refused.
        IdCase{"DigitsPathElsewhere", "https://blog.test/133.htm", ""},
        IdCase{"LookalikeMarketplaceHost", "https://nottaobao.com/134.htm", ""},
        IdCase{"EmptyValue", "http://item.test/i.htm?id=&x=1", ""},
        IdCase{"NonDigitValue", "http://item.test/i.htm?id=12a", ""},
        IdCase{"OnlyLongerName", "http://item.test/i.htm?userid=7", ""},
        IdCase{"NameInOtherCase", "http://item.test/i.htm?ID=7", ""},
        IdCase{"ShortLink", "https://m.tb.cn/h.5EqXyZ?tk=abcd", ""},
        IdCase{"NoQuery", "http://item.test/item.htm", ""}, IdCase{"SpacesOnly", "   ", ""},
        IdCase{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LinkInText, IsTheFirstAddressOrTheTrimmedText) {
  const std::vector<std::pair<Text, Text>> cases = {
      {"【淘宝】限时特惠 https://m.tb.cn/h.5EqXyZ?tk=abcd 点击链接直接打开",
       "https://m.tb.cn/h.5EqXyZ?tk=abcd"},
      {"看看HTTPS://A.test/x?id=1”吧", "HTTPS://A.test/x?id=1"},
      {"<a href=\"http://a.test/?id=2\">", "http://a.test/?id=2"},
      {"  item.taobao.com/item.htm?id=3 ", "item.taobao.com/item.htm?id=3"},
      {"httpx://a.test", "httpx://a.test"},
  };
  for (const auto& [text, link] : cases) EXPECT_EQ(link_in_text(text), link) << text;
}

TEST(PasswordToken, OnlyATokenWithoutAnAddress) {
  const std::vector<std::pair<Text, bool>> cases = {
      {"￥AbCd1234Ef￥", true},
      {"复制这条信息€XyZ98765€，打开手机淘宝", true},
      {"(Qw3rTy12)", true},
      {"（Qw3rTy12）", true},
      {"?Qw3rTy12?", true},  // a lira sign after the trip through GBK
      {"￥AbCd1234Ef￥ https://m.tb.cn/h.x", false},
      {"￥AbC￥", false},        // too short for a token
      {"￥AbCd1234(", false},    // marks of different kinds
      {"(红色 连衣裙)", false},  // words, not a token
      {"", false},
  };
  for (const auto& [text, token] : cases) EXPECT_EQ(is_password_token(text), token) << text;
}

TEST(ItemIdInPage, IsTheFirstItemAddress) {
  EXPECT_EQ(item_id_in_page("<a href='https://m.tb.cn/'>x</a><script>var url = "
                            "\"https://item.taobao.com/item.htm?ut_sk=1&amp;id=520813250866&src=x\";</script>"
                            "<a href=\"https://item.taobao.com/item.htm?id=1\">"),
            "520813250866");
  EXPECT_EQ(item_id_in_page("<p>没有商品</p> https://shop.test/"), "");
  EXPECT_EQ(item_id_in_page(""), "");
}

TEST(MultibyteUtf8, NeedsValidUtf8WithAMultibyteSequence) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"\xE6\xA0\x87\xE9\xA2\x98 http://a.test", true},  // "标题" in UTF-8
      {"\xB1\xEA\xCC\xE2 http://a.test", false},         // "标题" in GBK
      {"plain ascii", false},
      {"\xC3\xA9", true},
      {"\xC0\xAF", false},          // overlong "/"
      {"\xED\xA0\x80", false},      // a surrogate
      {"\xE6\xA0", false},          // cut short
      {"\xF0\x9F\x98\x80", true},   // four bytes
      {"\xF4\x90\x80\x80", false},  // beyond U+10FFFF
  };
  for (const auto& [bytes, utf8] : cases) EXPECT_EQ(is_multibyte_utf8(bytes), utf8) << bytes;
}

// ---- the link file ----

using Rows = std::vector<LinkRow>;

struct FileCase {
  const char* name;
  std::string text;
  Rows rows;
  int without_link;
};

class LinkFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(LinkFile, GivesItsRows) {
  const LinkFileRows file = parse_link_file(GetParam().text);
  EXPECT_EQ(file.rows, GetParam().rows);
  EXPECT_EQ(file.items_without_link, GetParam().without_link);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, LinkFile,
    ::testing::Values(
        FileCase{"SeparatorFormat",
                 "T1------链接分隔符------L1------商品分隔符------\r\nT2------链接分隔符------L2------"
                 "商品分隔符------",
                 {{"L1", "T1"}, {"L2", "T2"}},
                 0},
        FileCase{
            "PlainList",
            "https://item.taobao.com/item.htm?id=1\r\n\r\n  红色 连衣裙\thttps://a.m.taobao.com/i2.htm  \n"
            "https://m.tb.cn/h.3 后面的字\n",
            {{"https://item.taobao.com/item.htm?id=1", ""},
             {"https://a.m.taobao.com/i2.htm", "红色 连衣裙"},
             {"https://m.tb.cn/h.3", "后面的字"}},
            0},
        FileCase{"ShareTexts",
                 "【淘宝】限时特惠 https://m.tb.cn/h.5EqXyZ?tk=abcd 点击链接直接打开\r\n"
                 "商品标题一行\r\n",
                 {{"https://m.tb.cn/h.5EqXyZ?tk=abcd", "【淘宝】限时特惠 点击链接直接打开"}},
                 1},
        FileCase{"NoLinkAtAll", "只有文字\r\n￥AbCd1234Ef￥\r\n", {}, 2}, FileCase{"Empty", "", {}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WriteLinkFile, ReadsBackExactly) {
  const Rows rows = {
      {"http://s.test/a?e=1&id=2", "红色 连衣裙"}, {"http://s.test/b", ""},
      {"http://s.test/c", "两行\r\n标题"},         {"http://s.test/d", "\r\n前后\r\n"},
      {"http://s.test/e", "\r\r\n\n已是双写"},     {"http://s.test/f", "单独的\r和\n"},
      {"http://s.test/g", "链接分隔符 没有横线"},  {"http://s.test/h", "结尾是横线-----"},
  };
  int broken = -1;
  const Text file = write_link_file(rows, broken);
  EXPECT_EQ(broken, 0);
  EXPECT_EQ(parse_link_file(file).rows, rows);
  EXPECT_EQ(
      text_find(file, "红色 连衣裙------链接分隔符------http://s.test/a?e=1&id=2------商品分隔符------\r\n"),
      1);
}

TEST(WriteLinkFile, BreaksSeparatorsItCannotHoldAndCountsThem) {
  struct Case {
    LinkRow row;
    LinkRow read_back;
  };
  const std::vector<Case> cases = {
      {{"http://s.test/a", "A------链接分隔符------B"}, {"http://s.test/a", "A------链接 分隔符------B"}},
      {{"http://s.test/b", "A------商品分隔符------B"}, {"http://s.test/b", "A------商品 分隔符------B"}},
      // Would join the separator written after it.
      {{"http://s.test/c", "A------链接分隔符---"}, {"http://s.test/c", "A------链接 分隔符---"}},
      {{"http://s.test/d------商品分隔符", "T"}, {"http://s.test/d------商品 分隔符", "T"}},
  };
  for (const Case& c : cases) {
    int broken = -1;
    const Text file = write_link_file({c.row, {"http://s.test/next", "N"}}, broken);
    EXPECT_EQ(broken, 1) << c.row.title;
    EXPECT_EQ(parse_link_file(file).rows, (Rows{c.read_back, {"http://s.test/next", "N"}})) << c.row.title;
  }
}

}  // namespace
}  // namespace pagloom
