#include "generation/affiliate_links.h"

#include <set>

#include "conversion/convert_ids.h"
#include "platform/controls.h"
#include "web/web.h"

namespace pagloom {
namespace {

constexpr std::string_view kPlaceholder = "[#推广链接#]";

// The distinct non-empty ids in first-seen order, cut into export-sized
// groups. An empty id has no listing on the service and would only add a
// stray comma to the address.
std::vector<std::vector<Text>> export_groups(const std::vector<Text>& item_ids) {
  std::vector<std::vector<Text>> groups;
  std::set<Text, std::less<>> seen;
  for (const Text& id : item_ids) {
    if (id.empty() || !seen.insert(id).second) continue;
    if (groups.empty() || groups.back().size() == static_cast<std::size_t>(kExportIdsPerRequest))
      groups.emplace_back();
    groups.back().push_back(id);
  }
  return groups;
}

}  // namespace

bool uses_affiliate_links(std::string_view loop_code) { return text_find(loop_code, kPlaceholder) != -1; }

AffiliateLinks affiliate_links_for_page(Context& ctx, const std::vector<Text>& item_ids) {
  AffiliateLinks links;
  links.wanted = uses_affiliate_links(ctx.ui.text(kLoopBox));
  if (!links.wanted || item_ids.empty()) return links;

  bool requested = false;
  for (const std::vector<Text>& group : export_groups(item_ids)) {
    if (ctx.state.stop_requested != 0) break;
    requested = true;
    const std::set<std::string_view> asked(group.begin(), group.end());
    const ExportRecords result = export_records(ctx, group);
    if (result.outcome == ConvertOutcome::NotLoggedIn) {
      links.session_lost = true;
      return links;
    }
    for (const auto& record : result.records) {
      const Text id = export_item_id(record);
      const Text link = export_field(record, kExportLinkField);
      // Only ids this request asked for, and only a web address: a sheet of
      // another layout must not put a price or a title into an href.
      if (asked.count(id) == 0 || !is_web_address(link)) continue;
      links.by_id.emplace(id, link);
    }
  }

  int converted = 0;
  for (const Text& id : item_ids)
    if (links.by_id.count(id) != 0) ++converted;
  const int missing = static_cast<int>(item_ids.size()) - converted;
  // The count of links first, then the products that fell back; both stand
  // before the keyword's end line.
  if (requested) ctx.ui.append_log(text_concat("已取得", number_to_text(converted), "个推广链接\r\n"));
  if (missing > 0)
    ctx.ui.append_log(
        text_concat("有", number_to_text(missing), "个商品没有取得推广链接，已用商品网址代替\r\n"));
  return links;
}

Text fill_affiliate_link(std::string_view block, const AffiliateLinks& links, std::string_view item_id,
                         std::string_view page_address) {
  if (!links.wanted) return Text(block);
  const auto it = links.by_id.find(item_id);
  return text_replace(block, kPlaceholder,
                      it != links.by_id.end() ? std::string_view(it->second) : page_address);
}

}  // namespace pagloom
