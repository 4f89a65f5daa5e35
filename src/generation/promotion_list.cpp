#include "generation/promotion_list.h"

#include <algorithm>
#include <vector>

#include "platform/controls.h"

namespace pagloom {
namespace {

constexpr std::string_view kEntryMarker = "list-info";
constexpr std::string_view kBlockStart = "onerror";
constexpr std::string_view kBlockEnd = "J_WangWang";

// text_find for one marker over one page, asked again and again with start
// positions that never go back. An earlier answer at or after the new start
// (or "none") still holds, because every start handed in lies on the
// character walk of the searches before it: the entry positions are all
// found by one walk, and a block's start follows the ASCII "r" of "onerror",
// after which every walk is in step. Without this a page that lost its end
// marker would be rescanned to the end once per entry.
class MarkerSearch {
 public:
  MarkerSearch(std::string_view page, std::string_view marker) : page_(page), marker_(marker) {}

  int find(int start) {
    if (searched_ && start >= last_start_ && (last_found_ == -1 || last_found_ >= start)) return last_found_;
    searched_ = true;
    last_start_ = start;
    last_found_ = text_find(page_, marker_, start);
    return last_found_;
  }

 private:
  std::string_view page_;
  std::string_view marker_;
  bool searched_ = false;
  int last_start_ = 0;
  int last_found_ = -1;
};

struct Row {
  Text item_id;
  Text title;
  Text merchant;
};

Row cut_row(std::string_view block) {
  Row row;
  row.item_id = Text(extract_between_view(block, "id=", "\"", 0));
  row.title = text_replace(text_replace(extract_between_view(block, "_blank\">", "</a>", 0), "<span>", ""),
                           "</span>");
  row.merchant = Text(extract_between_view(block, "掌柜：", "<span", 0));
  return row;
}

}  // namespace

void collect_promotion_list(Context& ctx, std::string_view page) {
  std::vector<int> entries;
  for (int previous = 1;;) {
    const int found = text_find(page, kEntryMarker, previous + static_cast<int>(kEntryMarker.size()));
    if (found == -1) break;
    entries.push_back(found);
    previous = found;
  }

  ctx.ui.rows_clear(kWorkingList);
  // The entry block is extract_between(page, "onerror", "J_WangWang", p),
  // taken as a view so that no entry copies the rest of the page, and cut
  // short at the first entry that begins after the block's start: a block
  // never reaches into another entry. On a well-formed page every block ends
  // at its "J_WangWang" before the next entry, so nothing changes there; on
  // a page whose only "J_WangWang" stands at the end, every block would
  // otherwise run to the end of the page, and the cuts made in them would
  // cost time (and, for the titles, memory) quadratic in the page.
  //
  // Block starts never go back (except to the absent-marker start, byte 6,
  // after which they stay there), so the blocks of different starts do not
  // overlap and the cuts together read each byte of the page at most once.
  MarkerSearch block_start(page, kBlockStart);
  MarkerSearch block_end(page, kBlockEnd);
  const long long length = static_cast<long long>(page.size());
  std::string_view previous_block;
  Row row;
  bool have_row = false;
  for (const int p : entries) {
    std::string_view block;
    const long long s =
        static_cast<long long>(block_start.find(p)) + static_cast<long long>(kBlockStart.size());
    if (s >= 1 && s <= length) {
      long long e = block_end.find(static_cast<int>(s));
      if (e > s) {
        const auto next_entry = std::lower_bound(entries.begin(), entries.end(), s);
        if (next_entry != entries.end()) e = std::min<long long>(e, *next_entry);
        block = page.substr(static_cast<std::size_t>(s - 1), static_cast<std::size_t>(e - s));
      }
    }
    // Entries without an "onerror" of their own share one block: cut it once.
    if (!have_row || block.data() != previous_block.data() || block.size() != previous_block.size()) {
      row = cut_row(block);
      previous_block = block;
      have_row = true;
    }
    const int index = ctx.ui.insert_row(kWorkingList);
    ctx.ui.set_cell(kWorkingList, index, working_list::kItemId, row.item_id);
    ctx.ui.set_cell(kWorkingList, index, working_list::kTitle, row.title);
    ctx.ui.set_cell(kWorkingList, index, working_list::kMerchant, row.merchant);
    if (ctx.state.stop_requested != 0) break;
  }
  ctx.ui.sleep(200);
}

}  // namespace pagloom
