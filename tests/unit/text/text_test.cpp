// Text primitives and extract_between: results at every edge the scrapers
// and the template loader rely on. Literals here are GBK bytes.
#include "text/text.h"

#include <gtest/gtest.h>

#include <cmath>

#include <string>
#include <vector>

namespace pagloom {
namespace {

struct FindCase {
  std::string text, needle;
  int start;
  bool ignore_case;
  int expected;
};

TEST(TextFind, PositionsAndEdges) {
  const std::vector<FindCase> cases = {
      {"abc", "", 2, false, 1},      // empty needle, region not empty: 1, not the start
      {"abc", "", 4, false, -1},     // empty region
      {"", "", 0, false, -1},        //
      {"abcabc", "c", 4, false, 6},  //
      {"abcabc", "c", 0, false, 3},  //
      {"abcabc", "c", 1, false, 3},  //
      {"abcabc", "c", -5, false, 3}, {"abcabc", "abcd", 0, false, -1}, {"abcabc", "BC", 0, false, -1},
      {"abcabc", "BC", 0, true, 2},  {"ab", "b", 3, false, -1},        {"xyz", "xyz", 1, false, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text_find(c.text, c.needle, c.start, c.ignore_case), c.expected)
        << "text=" << c.text << " needle=" << c.needle << " start=" << c.start;
  }
}

TEST(TextFind, WalksWholeTwoByteCharacters) {
  // "中" is D6 D0; a needle made of its trail byte and the next ASCII byte must
  // not match inside the character.
  const std::string t =
      "\xD6\xD0"
      "a";
  EXPECT_EQ(text_find(t,
                      "\xD0"
                      "a"),
            -1);
  EXPECT_EQ(text_find(t, "a"), 3);
  // The walk counts boundaries from where it starts: starting on a trail byte
  // takes that byte as a lead byte.
  const std::string u =
      "\xB1\x5C"
      "\\";
  EXPECT_EQ(text_find(u, "\\"), 3);
  EXPECT_EQ(text_find(u, "\\", 2), 2);  // the trail byte 0x5C, walked as a character of its own
  // A lead byte as the very last byte ends the search.
  EXPECT_EQ(text_find("ab\xC8", "z"), -1);
  EXPECT_EQ(text_find("\xC8", "\xC8"), 1);
}

TEST(TextFind, StaysLinearOnLongTexts) {
  std::string page(4 << 20, 'a');
  page += "needle";
  EXPECT_EQ(text_find(page, "needle"), static_cast<int>(page.size()) - 5);
}

TEST(TextSlices, MiddlePrefixSuffix) {
  EXPECT_EQ(text_middle("abc", 0, 2), "");
  EXPECT_EQ(text_middle("abc", 4, 1), "");
  EXPECT_EQ(text_middle("abc", 3, 5), "c");
  EXPECT_EQ(text_middle("abc", 2, 0), "");
  EXPECT_EQ(text_middle("abc", 1, 2), "ab");
  for (int n : {0, -3}) {
    EXPECT_EQ(text_prefix("abc", n), "");
    EXPECT_EQ(text_suffix("abc", n), "");
  }
  EXPECT_EQ(text_prefix("abc", 9), "abc");
  EXPECT_EQ(text_suffix("abc", 9), "abc");
  EXPECT_EQ(text_prefix("abc", 2), "ab");
  EXPECT_EQ(text_suffix("abc", 2), "bc");
  // Byte counts may cut a two-byte character in two.
  EXPECT_EQ(text_prefix("\xD6\xD0", 1), "\xD6");
  EXPECT_EQ(byte_length("中文"), 4);
}

TEST(TextReplace, EveryOccurrenceOnceWithoutRescanning) {
  EXPECT_EQ(text_replace("[#商品价格#]x[#商品价格#]", "[#商品价格#]", "9"), "9x9");
  EXPECT_EQ(text_replace("[#商品标题#]", "[#商品标题#]", "a[#商品标题#]b"), "a[#商品标题#]b");
  EXPECT_EQ(text_replace("abc", ""), "abc");
  EXPECT_EQ(text_replace("", "a", "b"), "");
  EXPECT_EQ(text_replace("a<span>b</span>", "<span>"), "ab</span>");
  EXPECT_EQ(text_replace("aaaa", "aa", "b"), "bb");
  EXPECT_EQ(text_replace("aXbxc", "x", "-", std::nullopt, std::nullopt, false), "a-b-c");
  EXPECT_EQ(text_replace("aXbxc", "x", "-", std::nullopt, std::nullopt, true), "aXb-c");
  EXPECT_EQ(text_replace("axbxcx", "x", "-", 3, 1, true), "axb-cx");
  EXPECT_EQ(text_replace("axbx", "x", "-", std::nullopt, 0, true), "axbx");
  EXPECT_EQ(text_replace("axbx", "x", "-", 9, std::nullopt, true), "axbx");
  // No match across a character boundary: "\xD0a" is not at a boundary.
  EXPECT_EQ(text_replace("\xD6\xD0"
                         "a",
                         "\xD0"
                         "a",
                         "!"),
            "\xD6\xD0"
            "a");
}

TEST(TextSplit, PiecesAtTheEdges) {
  using V = std::vector<Text>;
  EXPECT_EQ(text_split("a\r\n\r\nb\r\n", "\r\n"), (V{"a", "", "b"}));
  EXPECT_EQ(text_split("\r\na", "\r\n"), (V{"", "a"}));
  EXPECT_EQ(text_split("\r\n", "\r\n"), (V{""}));
  EXPECT_EQ(text_split("", "\r\n"), V{});
  EXPECT_EQ(text_split("a,b"), (V{"a", "b"}));
  EXPECT_EQ(text_split("a,b", ""), (V{"a,b"}));
  EXPECT_EQ(text_split("a,b,c", ",", 2), (V{"a", "b"}));
  EXPECT_EQ(text_split("a,b,c", ",", 0), V{});
  EXPECT_EQ(text_split("a,,", ","), (V{"a", ""}));
  // The delimiter is not found inside a two-byte character.
  EXPECT_EQ(text_split("\xB1\x5C"
                       "x\\y",
                       "\\"),
            (V{"\xB1\x5C"
               "x",
               "y"}));
}

TEST(TextNumbers, ReadAndPrint) {
  struct Case {
    std::string text;
    double value;
  };
  const std::vector<Case> cases = {
      {"12abc", 12},
      {"abc", 0},
      {" 3.5", 3.5},
      {"\xA3\xB1\xA3\xB0", 10},  // full-width 1 0
      {"", 0},
      {"-4", -4},
      {"+2.5e2x", 250},
      {"\xA1\xA1"
       "7",
       7},  // ideographic space
      {".5", 0.5},
      {"5.", 5},
      {"1e", 1},
      {"\t\n 8", 8},
      {"--1", 0},
      {"3.9", 3.9},
      {"1e400", HUGE_VAL},
      {"1e-400", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(text_to_number(c.text), c.value) << c.text;

  EXPECT_EQ(number_to_text(1.0), "1");
  EXPECT_EQ(number_to_text(30.0), "30");
  EXPECT_EQ(number_to_text(2.5), "2.5");
  EXPECT_EQ(number_to_text(1e13), "1e+13");
  EXPECT_EQ(number_to_text(0.0001), "0.0001");
  EXPECT_EQ(number_to_text(7), "7");
  EXPECT_EQ(number_to_text(-12), "-12");
}

TEST(TextBytes, ZeroByteEndsTheText) {
  const Bytes b{'a', 'b', '\0', 'c'};
  EXPECT_EQ(bytes_to_text(b), "ab");
  EXPECT_EQ(bytes_to_text(Bytes{}), "");
  EXPECT_EQ(text_to_bytes("ab"), (Bytes{'a', 'b'}));
  const char raw[] = "xyz";
  EXPECT_EQ(Bytes(raw, raw + 3).size(), 3u);
  EXPECT_EQ(text_concat("a", "b"), "ab");
  EXPECT_EQ(text_concat("a", "", Text("c"), "d"), "acd");
}

TEST(TextCompare, UnsignedBytewise) {
  EXPECT_EQ(text_compare("", ""), 0);
  EXPECT_LT(text_compare("ab", "abc"), 0);
  EXPECT_GT(text_compare("\xB0", "a"), 0);  // unsigned: 0xB0 > 'a'
  EXPECT_EQ(text_compare("x", "x"), 0);
}

TEST(TextTrim, AsciiWhiteSpaceAtBothEndsOnly) {
  EXPECT_EQ(trim_space(" \t\r\n a b \v\f"), "a b");
  EXPECT_EQ(trim_space(" \r\n "), "");
  EXPECT_EQ(trim_space(""), "");
  EXPECT_EQ(trim_space("\xA1\xA1x\xA1\xA1"), "\xA1\xA1x\xA1\xA1");  // a full-width space is text
}

struct CutCase {
  std::string text, start, end;
  int position;
  std::string expected;
};

TEST(ExtractBetween, EveryEdge) {
  const std::vector<CutCase> cases = {
      {"<a>x</a>", "<a>", "</a>", 0, "x"},
      {"k=1;k=2;", "k=", ";", 4, "2"},
      {"k=1;k=2;", "k=", ";", 0, "1"},
      {"k=1;k=2;", "k=", ";", 1, "1"},
      {"k=1;k=2;", "k=", ";", -3, "1"},
      {"head[#商品循环开始#]rest", "", "[#商品循环开始#]", 0, "head"},
      {"head[#商品循环开始#]rest", "", "[#商品循环开始#]", 7, "head"},  // empty marker: from byte 1
      {"", "", "x", 0, ""},
      {"abcd&e", "id=", "&", 0, "bcd"},  // absent marker: cut from byte 2
      {"abcd&e", "=", "&", 0, ""},       // absent one-byte marker: empty
      {"abcd&e", "i=", "&", 0, "abcd"},  // absent two-byte marker: whole text
      {";k=1", "k=", ";", 0, ""},        // end marker before the start marker
      {"k=1", "k=", ";", 0, ""},         // no end marker
      {"ab", "ab", "x", 0, ""},          // marker ends on the last byte
      {"a;b", "a", ";", 0, ""},          // end marker at byte 1 of the rest
      {"a;b", "a", "", 0, ""},           // empty end marker
      {"xx", "x", "x", 5, ""},           // start beyond the text: marker not found
  };
  for (const auto& c : cases) {
    EXPECT_EQ(extract_between(c.text, c.start, c.end, c.position), c.expected)
        << "text=" << c.text << " start=" << c.start << " end=" << c.end << " pos=" << c.position;
    EXPECT_EQ(extract_between_view(c.text, c.start, c.end, c.position), c.expected);
  }
}

}  // namespace
}  // namespace pagloom
