#include "generation/keyword_page.h"

#include <climits>
#include <vector>

#include "generation/affiliate_links.h"
#include "templates/template_store.h"
#include "web/web.h"

namespace pagloom {
namespace {

constexpr std::string_view kProductList = "超级列表框1";
constexpr std::string_view kWriteFailed = "添加失败，请按正确方法操作\r\n";

// The count box's number truncated toward zero; anything that is not a
// positive number (NaN included) processes no product.
int product_count(std::string_view text) {
  const double n = text_to_number(text);
  if (!(n >= 1.0)) return 0;
  if (n >= static_cast<double>(INT_MAX)) return INT_MAX;
  return static_cast<int>(n);
}

// The loop code filled for product `rank`. The order matters: a value may
// hold the text of a later placeholder, which is then replaced too.
Text product_block(const Text& loop_code, const Text& keyword, const Text& item_id, const Text& title,
                   const Text& merchant, const ProductDetails& d, int rank, const AffiliateLinks& links) {
  Text block = text_replace(loop_code, "[#关键词#]", keyword);
  block = text_replace(block, "[#商品图片地址#]", d.picture_address);
  block = text_replace(block, "[#商品网址#]", d.page_address);
  block = text_replace(block, "[#商品标题#]", title);
  block = text_replace(block, "[#商品销售量#]", d.sales);
  block = text_replace(block, "[#卖家昵称#]", merchant);
  block = text_replace(block, "[#商品价格#]", d.price);
  block = text_replace(block, "[#商品排名#]", number_to_text(rank));
  return fill_affiliate_link(block, links, item_id, d.page_address);
}

// Template name and keyword must not lead the page file out of its template
// folder. The empty keyword stays allowed: it names the file ".htm".
bool page_file_stays_in_folder(std::string_view template_name, std::string_view keyword) {
  return is_safe_path_component(template_name) && (keyword.empty() || is_safe_path_component(keyword));
}

}  // namespace

ProductDetails cut_product_details(std::string_view page, std::string_view item_id) {
  const Text listing_marker = text_concat("nid=\"", item_id);
  const std::string_view listing = extract_between_view(page, listing_marker, "如实描述", 0);
  ProductDetails d;
  d.picture_address = Text(extract_between_view(listing, "data-ks-lazyload=\"", "_210x210", 0));
  d.page_address = Text(extract_between_view(listing, "traceNum=\"2\" href=\"", "\" class", 0));
  d.price = Text(extract_between_view(listing, "price\">￥", "<em>", 0));
  d.sales = Text(extract_between_view(listing, "最近30天 ", "人付款", 0));
  return d;
}

void build_keyword_page(Context& ctx) {
  const int count = product_count(ctx.ui.text("编辑框7"));
  // A product as read, with the loop code of the moment; its block is made
  // once the affiliate links of the whole page are known.
  struct Gathered {
    Text item_id, title, merchant, loop_code;
    ProductDetails details;
  };
  std::vector<Gathered> products;
  for (int i = 1; i <= count; ++i) {
    const Text title = ctx.ui.cell(kProductList, i - 1, 1);
    const Text item_id = ctx.ui.cell(kProductList, i - 1, 0);
    const Text merchant = ctx.ui.cell(kProductList, i - 1, 2);
    ctx.ui.append_log(text_concat("开始搜寻", title, "的信息\r\n"));
    const Text page =
        fetch_text(ctx, text_concat(ctx.endpoints.marketplace_host, "/search?q=", title), "POST");
    ctx.ui.delay(200);
    const ProductDetails details = cut_product_details(page, item_id);
    ctx.ui.delay(200);
    ctx.ui.append_log(text_concat("搜寻", title, "完毕\r\n"));
    products.push_back({item_id, title, merchant, ctx.ui.text("编辑框4"), details});
    if (ctx.state.stop_requested != 0) break;
  }

  std::vector<Text> item_ids;
  for (const Gathered& p : products) item_ids.push_back(p.item_id);
  const AffiliateLinks links = affiliate_links_for_page(ctx, item_ids);

  Text blocks;
  for (std::size_t i = 0; i < products.size(); ++i) {
    const Gathered& p = products[i];
    blocks += product_block(p.loop_code, ctx.state.current_keyword, p.item_id, p.title, p.merchant, p.details,
                            static_cast<int>(i) + 1, links);
  }

  const Text& keyword = ctx.state.current_keyword;
  const Text page = text_concat(text_replace(ctx.ui.text("编辑框3"), "[#关键词#]", keyword), blocks,
                                text_replace(ctx.ui.text("编辑框5"), "[#关键词#]", keyword));
  const Text template_name = ctx.ui.text("编辑框2");
  const bool written =
      page_file_stays_in_folder(template_name, keyword) &&
      ctx.files.write(text_concat(template_folder_path(ctx, template_name), "\\", keyword, ".htm"),
                      text_to_bytes(page));
  if (!written) {
    ctx.ui.delay(200);
    ctx.ui.append_log(Text(kWriteFailed));
  }
}

}  // namespace pagloom
