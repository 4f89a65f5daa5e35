#include "generation/keyword_page.h"

#include <algorithm>
#include <vector>

#include "generation/affiliate_links.h"
#include "platform/controls.h"
#include "templates/template_store.h"
#include "web/web.h"

namespace pagloom {
namespace {

constexpr std::string_view kWriteFailed = "添加失败，请按正确方法操作\r\n";

// One row of the working product list.
struct ProductRow {
  Text item_id;
  Text title;
  Text merchant;
};

ProductRow read_row(const Context& ctx, int row) {
  return {ctx.ui.cell(kWorkingList, row, working_list::kItemId),
          ctx.ui.cell(kWorkingList, row, working_list::kTitle),
          ctx.ui.cell(kWorkingList, row, working_list::kMerchant)};
}

// The loop code filled for the product shown at `rank`. The order matters: a
// value may hold the text of a later placeholder, which is then replaced too.
Text product_block(const Text& loop_code, const Text& keyword, const ProductRow& product,
                   const ProductDetails& d, int rank, const AffiliateLinks& links) {
  Text block = text_replace(loop_code, "[#关键词#]", keyword);
  block = text_replace(block, "[#商品图片地址#]", d.picture_address);
  block = text_replace(block, "[#商品网址#]", d.page_address);
  block = text_replace(block, "[#商品标题#]", product.title);
  block = text_replace(block, "[#商品销售量#]", d.sales);
  block = text_replace(block, "[#卖家昵称#]", product.merchant);
  block = text_replace(block, "[#商品价格#]", d.price);
  block = text_replace(block, "[#商品排名#]", number_to_text(rank));
  return fill_affiliate_link(block, links, product.item_id, d.page_address);
}

// Template name and keyword must not lead the page file out of its template
// folder. The empty keyword stays allowed: it names the file ".htm".
bool page_file_stays_in_folder(const FileSystem& files, const Text& template_name, const Text& keyword) {
  return files.is_safe_name(template_name) && (keyword.empty() || files.is_safe_name(keyword));
}

// A keyword page must not replace the template's own files, which share its
// folder; letter case is ignored as a case-blind file system would.
bool names_a_template_file(std::string_view keyword) {
  const Text file_name = text_concat(keyword, ".htm");
  for (const std::string_view own : {std::string_view("模板文件.htm"), std::string_view("效果预览.htm")}) {
    if (file_name.size() == own.size() && text_find(file_name, own, 0, true) == 1) return true;
  }
  return false;
}

bool write_page(Context& ctx, const Text& page) {
  const Text& keyword = ctx.state.current_keyword;
  const Text template_name = ctx.ui.text(kTemplateNameBox);
  if (!page_file_stays_in_folder(ctx.files, template_name, keyword) || names_a_template_file(keyword))
    return false;
  return ctx.files.write(text_concat(template_folder_path(ctx, template_name), "\\", keyword, ".htm"),
                         text_to_bytes(page));
}

}  // namespace

std::optional<ProductDetails> cut_product_details(std::string_view page, std::string_view item_id) {
  // The closing quote keeps a longer id that starts with the same digits
  // from passing for this one.
  const Text listing_marker = text_concat("nid=\"", item_id, "\"");
  const int at = text_find(page, listing_marker);
  if (at == -1) return std::nullopt;
  // The listing runs from the marker to its "如实描述", cut as
  // extract_between cuts it, without searching for the marker a second time.
  const std::string_view rest = page.substr(static_cast<std::size_t>(at - 1) + listing_marker.size());
  const int end = text_find(rest, "如实描述");
  const std::string_view listing =
      end <= 1 ? std::string_view() : rest.substr(0, static_cast<std::size_t>(end - 1));
  ProductDetails d;
  d.picture_address = Text(extract_between_view(listing, "data-ks-lazyload=\"", "_210x210", 0));
  d.page_address = Text(extract_between_view(listing, "traceNum=\"2\" href=\"", "\" class", 0));
  d.price = Text(extract_between_view(listing, "price\">￥", "<em>", 0));
  d.sales = Text(extract_between_view(listing, "最近30天 ", "人付款", 0));
  return d;
}

int product_count(const Context& ctx) { return text_to_count(ctx.ui.text(kProductCountBox)); }

KeywordPageResult build_keyword_page(Context& ctx) {
  KeywordPageResult result;
  const int products = std::min(product_count(ctx), ctx.ui.row_count(kWorkingList));
  // A product found on the marketplace, with the loop code of the moment; its
  // block is made once the affiliate links of the whole page are known.
  struct Card {
    ProductRow product;
    ProductDetails details;
    Text loop_code;
  };
  std::vector<Card> cards;
  for (int row = 0; row < products; ++row) {
    if (ctx.state.stop_requested != 0) {
      result.stopped = true;
      break;
    }
    const ProductRow product = read_row(ctx, row);
    ctx.ui.append_log(text_concat("开始搜寻", product.title, "的信息\r\n"));
    const Text page =
        fetch_text(ctx, text_concat(ctx.endpoints.marketplace_host, "/search?q=", product.title), "POST");
    ctx.ui.delay(200);
    const std::optional<ProductDetails> details = cut_product_details(page, product.item_id);
    ctx.ui.delay(200);
    ctx.ui.append_log(text_concat("搜寻", product.title, "完毕\r\n"));
    if (!details) {
      // Cut from some other stretch of the page, its details would belong
      // to another product.
      ctx.ui.append_log(text_concat("没有在淘宝搜索结果里找到", product.title, "，已跳过\r\n"));
      continue;
    }
    cards.push_back({product, *details, ctx.ui.text(kLoopBox)});
  }
  result.cards = static_cast<int>(cards.size());

  std::vector<Text> item_ids;
  for (const Card& card : cards) item_ids.push_back(card.product.item_id);
  const AffiliateLinks links = affiliate_links_for_page(ctx, item_ids);
  if (links.session_lost) {
    result.session_lost = true;
    return result;
  }

  Text blocks;
  for (std::size_t i = 0; i < cards.size(); ++i) {
    blocks += product_block(cards[i].loop_code, ctx.state.current_keyword, cards[i].product, cards[i].details,
                            static_cast<int>(i) + 1, links);
  }

  const Text& keyword = ctx.state.current_keyword;
  const Text page = text_concat(text_replace(ctx.ui.text(kHeadBox), "[#关键词#]", keyword), blocks,
                                text_replace(ctx.ui.text(kTailBox), "[#关键词#]", keyword));
  result.written = write_page(ctx, page);
  if (!result.written) {
    ctx.ui.delay(200);
    ctx.ui.append_log(Text(kWriteFailed));
  }
  return result;
}

}  // namespace pagloom
