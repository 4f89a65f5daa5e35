#include "generation/promotion_list.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "fakes/fake_context.h"
#include "unit/generation/generation_pages.h"

namespace pagloom::testing {
namespace {

using Rows = std::vector<std::vector<Text>>;

constexpr std::string_view kList = "超级列表框1";

Rows collect(FakeWorld& w, std::string_view page) {
  collect_promotion_list(w.ctx, page);
  return w.ui.rows(kList, 3);
}

struct ParseCase {
  const char* name;
  Text page;
  Rows rows;
};

class PromotionParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(PromotionParse, FillsTheWorkingListFromThePage) {
  FakeWorld w;
  w.ui.list_views[std::string(kList)].rows = {{"old", "row", "gone"}};
  EXPECT_EQ(collect(w, GetParam().page), GetParam().rows);
  EXPECT_EQ(w.ui.sleeps, std::vector<int>{200});
  EXPECT_TRUE(w.ui.delays.empty()) << "the parser must not let other commands run";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PromotionParse,
    ::testing::Values(
        ParseCase{"EmptyPage", "", {}},
        ParseCase{"NoEntryMarker", promotion_page("<div class=\"item\">onerror id=1\" J_WangWang</div>"), {}},
        ParseCase{"MarkerWithinFirstNineBytesIgnored", "12345678list-info onerror id=1\" J_WangWang", {}},
        ParseCase{"MarkerAtByteTenCounts", "123456789list-info onerror id=1\" J_WangWang", {{"1", "", ""}}},
        ParseCase{"ThreeEntriesInPageOrder",
                  promotion_page(promotion_entry("11", "红帽", "老王") + promotion_entry("22", "B", "m2") +
                                 promotion_entry("33", "C", "m3")),
                  {{"11", "红帽", "老王"}, {"22", "B", "m2"}, {"33", "C", "m3"}}},
        ParseCase{
            "LowerCaseSpanTagsRemovedOthersKept",
            promotion_page(promotion_entry("5", "<span>Red</span> <SPAN>Big</SPAN> <b>Hat</b>&amp;", "m")),
            {{"5", "Red <SPAN>Big</SPAN> <b>Hat</b>&amp;", "m"}}},
        ParseCase{"IdAfterAnyAttributeEndingInIdEquals",
                  "0123456789list-info onerror <a data-itemid=55&x=1\" href=\"?id=66\">J_WangWang",
                  {{"55&x=1", "", ""}}},
        ParseCase{"MissingStartMarkersCutFromTheirOffsets",
                  // No "id=": from byte 2 of the block; no "_blank\">": from byte 7.
                  "0123456789list-info onerrorXab\"cdefghi</a>J_WangWang",
                  {{"ab", "efghi", ""}}},
        ParseCase{"MissingEndMarkersGiveEmptyFields",
                  "0123456789list-info onerror _blank\">T id=7 掌柜：M J_WangWang",
                  {{"", "", ""}}},
        ParseCase{"NoOnerrorAfterEntryCutsFromByteSix", "abcdeid=9\"list-info J_WangWang", {{"9", "", ""}}},
        ParseCase{"NoBlockEndGivesEmptyRowsButKeepsEntries",
                  "0123456789list-info onerror id=1\" list-info onerror id=2\"",
                  {{"", "", ""}, {"", "", ""}}},
        ParseCase{"EntriesSharingABlockGiveEqualRows",
                  "0123456789list-info list-info onerror id=3\" J_WangWang",
                  {{"3", "", ""}, {"3", "", ""}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PromotionList, StopAlreadySetAddsExactlyOneRowThenPauses) {
  FakeWorld w;
  w.ctx.state.stop_requested = 1;
  const Rows rows =
      collect(w, promotion_page(promotion_entry("1", "a", "m") + promotion_entry("2", "b", "n")));
  EXPECT_EQ(rows, (Rows{{"1", "a", "m"}}));
  EXPECT_EQ(w.ui.sleeps, std::vector<int>{200});
}

// The parser reuses searches between entries; it must still give exactly
// what cutting every entry with extract_between gives, GBK bytes included.
Rows reference_rows(std::string_view page) {
  std::vector<int> positions;
  for (int previous = 1;;) {
    const int found = text_find(page, "list-info", previous + 9);
    if (found == -1) break;
    positions.push_back(found);
    previous = found;
  }
  Rows rows;
  for (const int p : positions) {
    const Text block = extract_between(page, "onerror", "J_WangWang", p);
    const Text title =
        text_replace(text_replace(extract_between(block, "_blank\">", "</a>", 0), "<span>", ""), "</span>");
    rows.push_back(
        {extract_between(block, "id=", "\"", 0), title, extract_between(block, "掌柜：", "<span", 0)});
  }
  return rows;
}

TEST(PromotionList, MatchesCuttingEveryEntryOnRandomPages) {
  const std::vector<std::string> pieces = {
      "list-info", "onerror", "J_WangWang", "id=", "\"",   "_blank\">", "</a>", "掌柜：", "<span",
      "<span>",    "</span>", "x",          "7",   "\xB1", "\xB1\xED",  "\xD5", "r",      "J_Wang"};
  std::mt19937 random(20240611);
  for (int round = 0; round < 2000; ++round) {
    std::string page;
    const int length = std::uniform_int_distribution<int>(0, 60)(random);
    for (int i = 0; i < length; ++i) {
      page += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
    }
    FakeWorld w;
    ASSERT_EQ(collect(w, page), reference_rows(page)) << "page: " << page;
  }
}

}  // namespace
}  // namespace pagloom::testing
