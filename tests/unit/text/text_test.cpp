// Text primitives and extract_between: results at every edge the scrapers
// and the template loader rely on. Literals here are GBK bytes.
#include "text/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace pagloom {
namespace {

// The searches' definition, one character at a time: from the start, a byte
// >= 0x80 is stepped over together with the byte after it, whatever that is,
// and a match counts only where the walk stands. The fast searches must give
// exactly these results.
char fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equal_at(const std::string& t, std::size_t p, const std::string& needle, bool ignore_case) {
  for (std::size_t i = 0; i < needle.size(); ++i) {
    if (ignore_case ? fold(t[p + i]) != fold(needle[i]) : t[p + i] != needle[i]) return false;
  }
  return true;
}

std::size_t walk_find(const std::string& t, const std::string& needle, std::size_t p, bool ignore_case) {
  const std::size_t n = t.size();
  while (p < n && n - p >= needle.size()) {
    if (equal_at(t, p, needle, ignore_case)) return p;
    if (static_cast<unsigned char>(t[p]) >= 0x80 && p + 1 >= n) break;
    p += static_cast<unsigned char>(t[p]) >= 0x80 ? 2 : 1;
  }
  return std::string::npos;
}

int walk_text_find(const std::string& t, const std::string& needle, int start, bool ignore_case) {
  const std::size_t from = start > 1 ? static_cast<std::size_t>(start) - 1 : 0;
  if (from >= t.size()) return -1;
  if (needle.empty()) return 1;
  const std::size_t at = walk_find(t, needle, from, ignore_case);
  return at == std::string::npos ? -1 : static_cast<int>(at) + 1;
}

std::string walk_replace(const std::string& t, const std::string& old, const std::string& neu, int start,
                         int count, bool ignore_case) {
  std::size_t p = start > 1 ? static_cast<std::size_t>(start) - 1 : 0;
  if (t.empty() || old.empty() || p >= t.size() || count == 0) return t;
  std::string out = t.substr(0, p);
  for (int made = 0; count < 0 || made < count; ++made) {
    const std::size_t at = walk_find(t, old, p, ignore_case);
    if (at == std::string::npos) break;
    out += t.substr(p, at - p) + neu;
    p = at + old.size();
  }
  return out + t.substr(p);
}

std::vector<Text> walk_split(const std::string& t, const std::string& delim) {
  std::vector<Text> pieces;
  std::size_t from = 0;
  for (std::size_t at; from < t.size() && (at = walk_find(t, delim, from, false)) != std::string::npos;
       from = at + delim.size()) {
    pieces.push_back(t.substr(from, at - from));
  }
  if (from < t.size()) pieces.push_back(t.substr(from));
  return pieces;
}

// Texts built to trip a search that trusts byte values alone: GBK characters
// (also with trail bytes 0x40-0x7E that read as ASCII), a byte >= 0x80 before
// a quote or a line break, runs of high bytes of odd length, and short ASCII
// runs, mostly too short to give two ASCII bytes in a row.
class TextMaker {
 public:
  explicit TextMaker(unsigned seed) : random_(seed) {}

  // `pieces` parts, one in `ascii_one_in` of them ASCII.
  std::string text(std::size_t pieces, std::size_t ascii_one_in = 2) {
    static const std::vector<std::string> high = {"\xD6\xD0", "\xCE\xC4",     "\xB1\x5C", "\x81\x40",
                                                  "\x81\"",   "\x81\n",       "\xA3\xA1", "\xC8\xE7",
                                                  "\x81",     "\xB1\xB1\xB1", "\xFE",     "\x81\x81"};
    static const std::vector<std::string> ascii = {"a", "A", "b", "\"", "\n", "\\", "<", "ab", "a\""};
    std::string t;
    for (std::size_t i = 0; i < pieces; ++i) {
      const auto& parts = pick(ascii_one_in) == 0 ? ascii : high;
      t += parts[pick(parts.size())];
    }
    return t;
  }

  // A needle cut out of `t` (often across a character boundary), or made afresh.
  std::string needle(const std::string& t) {
    if (t.empty() || pick(4) == 0) return text(1 + pick(2));
    const std::size_t at = pick(t.size());
    return t.substr(at, 1 + pick(4));
  }

  std::size_t pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }

 private:
  std::mt19937 random_;
};

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

TEST(TextFind, AgreesWithTheCharacterWalkFromEveryStart) {
  TextMaker make(1234);
  for (int round = 0; round < 3000; ++round) {
    // Short texts of every mix, then long GBK-heavy ones, where the last ASCII
    // byte before a candidate can lie far back.
    const std::string t = round < 2980 ? make.text(make.pick(24), 1 + make.pick(3)) : make.text(500, 8);
    for (int k = 0; k < 4; ++k) {
      const std::string needle = make.needle(t);
      for (int start = -1; start <= static_cast<int>(t.size()) + 1; ++start) {
        for (const bool ignore_case : {false, true}) {
          ASSERT_EQ(text_find(t, needle, start, ignore_case), walk_text_find(t, needle, start, ignore_case))
              << "round " << round << " start " << start << " ignore_case " << ignore_case;
        }
      }
    }
  }
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

TEST(TextReplace, AgreesWithTheCharacterWalk) {
  TextMaker make(99);
  for (int round = 0; round < 20000; ++round) {
    const std::string t = make.text(make.pick(30));
    const std::string old = make.needle(t);
    const int start = static_cast<int>(make.pick(t.size() + 3)) - 1;
    const int count = static_cast<int>(make.pick(4)) - 1;
    for (const bool ignore_case : {false, true}) {
      ASSERT_EQ(text_replace(t, old, "#", start, count < 0 ? std::nullopt : std::optional<int>(count),
                             !ignore_case),
                walk_replace(t, old, "#", start, count, ignore_case))
          << "round " << round;
    }
  }
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

TEST(TextSplit, AgreesWithTheCharacterWalk) {
  TextMaker make(7);
  for (int round = 0; round < 20000; ++round) {
    const std::string t = make.text(make.pick(30));
    const std::string delim = make.needle(t);
    ASSERT_EQ(text_split(t, delim), walk_split(t, delim)) << "round " << round;
  }
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

  // ASCII letter case only; the parts are compared byte for byte.
  EXPECT_TRUE(text_starts_with_ci("HTTPS://x", "https://"));
  EXPECT_FALSE(text_starts_with_ci("http:", "http://"));
  EXPECT_TRUE(text_ends_with_ci("a.CSV", ".csv"));
  EXPECT_FALSE(text_equals_ci("\xC4\xE3", "\xC4\xC3"));

  // The count of a count box: truncated, never below 0, never past INT_MAX.
  const struct {
    const char* text;
    int count;
  } counts[] = {
      {"3.9", 3}, {"0.5", 0}, {"-4", 0}, {"abc", 0}, {"nan", 0}, {"1e400", INT_MAX}, {"2147483648", INT_MAX}};
  for (const auto& c : counts) EXPECT_EQ(text_to_count(c.text), c.count) << c.text;

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
