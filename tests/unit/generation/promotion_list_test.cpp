#include "generation/promotion_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "fakes/fake_context.h"
#include "unit/generation/generation_pages.h"
#include "unit/generation/promotion_reference.h"

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
        // A block never reaches into the next entry, even when its own
        // "J_WangWang" is missing and another one follows further on.
        ParseCase{
            "BlockEndsAtTheNextEntry",
            "0123456789list-info onerror id=1\" _blank\">A 掌柜：M list-info onerror id=2\" _blank\">B</a> "
            "掌柜：N<span J_WangWang",
            {{"1", "", ""}, {"2", "B", "N"}}},
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

// The parser reuses searches between entries; it must still give exactly the
// rows of the plain cut, GBK bytes included.
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
    ASSERT_EQ(collect(w, page), reference_promotion_rows(page)) << "page: " << page;
  }
}

// A page whose every entry has its own "onerror" but whose only "J_WangWang"
// (after a "</a>") stands at the very end must parse in time linear in the
// page, like a well-formed page of the same size: each block stops at the
// next entry instead of running to the end.
TEST(PromotionList, HostilePageParsesAsFastAsAWellFormedOne) {
  constexpr std::size_t kSize = 1 << 20;
  Text well_formed, hostile;
  for (int i = 0; well_formed.size() < kSize; ++i) {
    well_formed += promotion_entry(number_to_text(i), "红帽子 <span>新款</span>", "老王");
  }
  for (int i = 0; hostile.size() < kSize; ++i) {
    hostile += text_concat("<div class=\"list-info\"><img onerror=\"x\"><a href=\"?id=", number_to_text(i),
                           "\" target=\"_blank\">红帽子 <span>新款</span><p>掌柜：老王</p></div>");
  }
  hostile += "</a><span class=\"J_WangWang\">";
  // Processor time (<chrono> does not build with GBK literals), the best of
  // five runs, so that other work on the machine does not count.
  const auto fastest = [](const Text& page, std::size_t& rows) {
    double best = 1e9;
    for (int round = 0; round < 5; ++round) {
      FakeWorld w;
      const std::clock_t begin = std::clock();
      collect_promotion_list(w.ctx, page);
      best = std::min(best, static_cast<double>(std::clock() - begin) / CLOCKS_PER_SEC);
      rows = w.ui.list_views[std::string(kList)].rows.size();
    }
    return best;
  };
  std::size_t well_formed_rows = 0, hostile_rows = 0;
  const double well_formed_time = fastest(well_formed, well_formed_rows);
  const double hostile_time = fastest(hostile, hostile_rows);
  ::testing::Test::RecordProperty("hostile_ms", static_cast<int>(hostile_time * 1000));
  ::testing::Test::RecordProperty("well_formed_ms", static_cast<int>(well_formed_time * 1000));
  EXPECT_GT(hostile_rows, 5000u);
  EXPECT_GT(well_formed_rows, 5000u);
  EXPECT_LE(hostile_time, 3 * well_formed_time)
      << "hostile " << hostile_time << " s, well-formed " << well_formed_time << " s";
}

}  // namespace
}  // namespace pagloom::testing
