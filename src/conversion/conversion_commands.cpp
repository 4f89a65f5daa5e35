#include "conversion/conversion_commands.h"

#include <algorithm>
#include <map>

#include "conversion/convert_ids.h"
#include "platform/controls.h"
#include "shell/shell_commands.h"
#include "web/web.h"

namespace pagloom {
namespace {

// What the status column of the link list says of a link.
constexpr std::string_view kConverted = "已转换";
constexpr std::string_view kNoId = "找不到商品ID";
constexpr std::string_view kShortLinkFailed = "短链接解析失败";
constexpr std::string_view kNotConverted = "未转换";

// The batch message names at most this many of the links that failed.
constexpr int kNamedFailures = 5;

constexpr std::string_view kSaveFilters = "链接文件 (*.txt);;表格文件 (*.csv)";

// Shared by both conversions: false (after telling the user) when the
// embedded browser is not logged into the affiliate service.
bool login_step(Context& ctx) {
  if (confirm_login(ctx)) return true;
  ctx.ui.message("请到单页生成菜单，登陆阿里妈妈。");
  return false;
}

// Why a conversion gave no rows; empty for a conversion that gave some.
Text failure_message(ConvertOutcome outcome) {
  switch (outcome) {
    case ConvertOutcome::Converted:
      return {};
    case ConvertOutcome::NothingConverted:
      return "没有转换出任何链接：阿里妈妈导出的表格里没有商品，这些商品可能没有参加淘宝客推广。";
    case ConvertOutcome::NoResponse:
      return "没有转换出任何链接：没有收到阿里妈妈的导出文件，请检查网络后再试。";
    case ConvertOutcome::NotLoggedIn:
      return "没有转换出任何链接：阿里妈妈返回的是网页而不是导出表格，可能登陆已经失效，"
             "请到单页生成菜单重新登陆阿里妈妈。";
    case ConvertOutcome::ExportUnreadable:
      return "没有转换出任何链接：阿里妈妈的导出文件无法读取。";
    case ConvertOutcome::NoSheet:
      return "没有转换出任何链接：阿里妈妈的导出文件里没有Page1工作表。";
    case ConvertOutcome::ExportNotWritable:
      return "没有转换出任何链接：无法在软件目录下写入导出文件ce.xls，请检查软件目录是否可以写入。";
  }
  return {};
}

Text lossy_message(int cells) {
  return text_concat("导出表格里有", number_to_text(cells),
                     "个单元格含有GBK无法显示的字符，这些字符显示为“?”。");
}

// Lines joined by "\r\n", empty ones left out.
Text joined_lines(const std::vector<Text>& lines) {
  Text out;
  for (const Text& line : lines) {
    if (line.empty()) continue;
    if (!out.empty()) out += "\r\n";
    out += line;
  }
  return out;
}

// The part of a path after its last "\\" or "/", walking whole GBK
// characters: a trail byte 0x5C is not a separator.
std::string_view file_name_of(std::string_view path) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto b = static_cast<unsigned char>(path[i]);
    if (b >= 0x80) {
      ++i;
    } else if (b == '\\' || b == '/') {
      start = i + 1;
    }
  }
  return path.substr(start);
}

// One CSV field (RFC 4180): quoted when it holds a comma, a quote or a line
// break, quotes doubled.
std::string csv_field(std::string_view field) {
  if (field.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(field);
  std::string out = "\"";
  for (const char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

// The rows of the table that 按钮10 saves as CSV: 商品标题, 淘宝客链接,
// 商品链接, 状态. While the link list still holds the statuses of the batch
// that filled the converted list (one 已转换 per converted row, in order),
// every link is a row; otherwise the converted rows alone.
std::vector<std::vector<Text>> table_rows(const Context& ctx) {
  const int converted = ctx.ui.row_count(kConvertedList);
  const int links = ctx.ui.row_count(kLinkList);
  int marked = 0;
  for (int i = 0; i < links; ++i) marked += ctx.ui.cell(kLinkList, i, link_list::kStatus) == kConverted;

  std::vector<std::vector<Text>> rows;
  if (marked == converted) {
    int next = 0;
    for (int i = 0; i < links; ++i) {
      const Text status = ctx.ui.cell(kLinkList, i, link_list::kStatus);
      if (status == kConverted) {
        rows.push_back({ctx.ui.cell(kConvertedList, next, converted_list::kTitle),
                        ctx.ui.cell(kConvertedList, next, converted_list::kAffiliateLink),
                        ctx.ui.cell(kLinkList, i, link_list::kLink), status});
        ++next;
      } else {
        rows.push_back({ctx.ui.cell(kLinkList, i, link_list::kTitle),
                        {},
                        ctx.ui.cell(kLinkList, i, link_list::kLink),
                        status});
      }
    }
    return rows;
  }
  for (int r = 0; r < converted; ++r)
    rows.push_back({ctx.ui.cell(kConvertedList, r, converted_list::kTitle),
                    ctx.ui.cell(kConvertedList, r, converted_list::kAffiliateLink),
                    {},
                    {}});
  return rows;
}

Bytes csv_bytes(const Context& ctx) {
  std::string out = "\xEF\xBB\xBF";
  out += ctx.codec.utf8_from_gbk("商品标题,淘宝客链接,商品链接,状态");
  out += "\r\n";
  for (const auto& row : table_rows(ctx)) {
    for (std::size_t c = 0; c < row.size(); ++c) {
      if (c > 0) out += ',';
      out += csv_field(ctx.codec.utf8_from_gbk(row[c]));
    }
    out += "\r\n";
  }
  return Bytes(out.begin(), out.end());
}

// The text of a link file: GBK, or UTF-8 (with a byte-order mark, or valid
// UTF-8 with a multi-byte sequence) turned into GBK.
Text link_file_text(const Context& ctx, const Bytes& content, int& unmappable) {
  unmappable = 0;
  std::string_view bytes(content.data(), content.size());
  bytes = bytes.substr(0, bytes.find('\0'));
  constexpr std::string_view kMark = "\xEF\xBB\xBF";
  const bool marked = bytes.substr(0, kMark.size()) == kMark;
  if (marked) bytes.remove_prefix(kMark.size());
  if (marked || is_multibyte_utf8(bytes)) return ctx.codec.gbk_from_utf8(bytes, unmappable);
  return Text(bytes);
}

// The id a link-list cell or 编辑框6 gives without a request.
Text direct_id(std::string_view text) { return item_id_of(link_in_text(text)); }

// True when the text's link is a web address item_id_of cannot read, so
// resolve_short_link may find its id.
bool needs_resolving(std::string_view text) {
  const std::string_view link = link_in_text(text);
  return is_web_address(link) && item_id_of(link).empty();
}

}  // namespace

Text resolve_short_link(Context& ctx, std::string_view address) {
  const FollowedPage page = fetch_following_redirects(ctx, address, kShortLinkRedirects);
  if (!page.received) return {};
  Text id = item_id_of(page.final_address);
  if (id.empty()) id = item_id_in_page(page.body);
  return id;
}

void convert_single(Context& ctx) {
  if (!login_step(ctx)) return;
  const Text text = ctx.ui.text(kSingleLinkBox);
  if (text.empty()) {
    ctx.ui.set_text(kSingleResultBox, {});
    ctx.ui.message("请输入要转换的淘宝链接");
    return;
  }
  Text id = direct_id(text);
  if (id.empty() && needs_resolving(text)) {
    ctx.ui.set_text(kStatusLabel, "正在解析短链接 1/1");
    id = resolve_short_link(ctx, link_in_text(text));
    ctx.ui.set_text(kStatusLabel, {});
    if (id.empty()) {
      ctx.ui.set_text(kSingleResultBox, {});
      ctx.ui.message(
          "短链接解析失败：打开这个链接没有找到商品ID。请在浏览器里打开它，复制商品链接后再转换。");
      return;
    }
  }
  if (id.empty()) {
    ctx.ui.set_text(kSingleResultBox, {});
    if (is_password_token(text)) {
      ctx.ui.message("这是淘口令，不是链接：请在手机淘宝里打开它，复制商品链接后再转换。");
    } else {
      ctx.ui.message(
          "这个链接里找不到商品ID，无法转换。请输入带有“id=商品编号”的淘宝商品链接，或者直接输入商品编号。");
    }
    return;
  }

  ctx.ui.rows_clear(kWorkingList);
  ctx.ui.rows_clear(kResultList);
  const int row = ctx.ui.insert_row(kWorkingList);
  ctx.ui.set_cell(kWorkingList, row, working_list::kItemId, id);
  ctx.ui.set_text(kProductCountBox, "1");
  ctx.ui.set_text(kStatusLabel, "正在转换中。。。");
  const ExportRecords result = export_records(ctx, {id});
  append_result_rows(ctx, result.records);
  if (result.outcome == ConvertOutcome::NotLoggedIn) mark_logged_out(ctx);
  ctx.ui.set_text(kStatusLabel, "转换完成");
  ctx.ui.set_text(kSingleResultBox, ctx.ui.cell(kResultList, 0, result_list::kAffiliateLink));
  ctx.ui.sleep(300);
  ctx.ui.set_text(kStatusLabel, {});
  const Text report = joined_lines(
      {failure_message(result.outcome), result.lossy_cells > 0 ? lossy_message(result.lossy_cells) : Text()});
  if (!report.empty()) ctx.ui.message(report);
}

void convert_batch(Context& ctx) {
  if (!login_step(ctx)) return;
  if (ctx.ui.cell(kLinkList, 0, link_list::kLink).empty()) {
    ctx.ui.message("请添加淘宝链接数据");
    return;
  }
  ctx.ui.set_enabled(kTopTabs, false);

  // Each link's id and, for those that have none, why.
  const int links = ctx.ui.row_count(kLinkList);
  std::vector<Text> ids(static_cast<std::size_t>(links));
  std::vector<Text> statuses(static_cast<std::size_t>(links));
  std::vector<int> short_links;
  for (int i = 0; i < links; ++i) {
    const Text text = ctx.ui.cell(kLinkList, i, link_list::kLink);
    ids[static_cast<std::size_t>(i)] = direct_id(text);
    if (!ids[static_cast<std::size_t>(i)].empty()) continue;
    if (needs_resolving(text)) {
      short_links.push_back(i);
    } else {
      statuses[static_cast<std::size_t>(i)] = kNoId;
    }
  }
  const int to_resolve = static_cast<int>(short_links.size());
  for (int k = 0; k < to_resolve; ++k) {
    const auto i = static_cast<std::size_t>(short_links[static_cast<std::size_t>(k)]);
    ctx.ui.set_text(kStatusLabel,
                    text_concat("正在解析短链接 ", number_to_text(k + 1), "/", number_to_text(to_resolve)));
    ids[i] =
        resolve_short_link(ctx, link_in_text(ctx.ui.cell(kLinkList, static_cast<int>(i), link_list::kLink)));
    if (ids[i].empty()) statuses[i] = kShortLinkFailed;
  }

  // The working list holds one row per link with an id; the export asks for
  // each id once.
  ctx.ui.rows_clear(kConvertedList);
  ctx.ui.rows_clear(kWorkingList);
  ctx.ui.rows_clear(kResultList);
  std::vector<Text> unique_ids;
  for (int i = 0; i < links; ++i) {
    const Text& id = ids[static_cast<std::size_t>(i)];
    if (id.empty()) continue;
    const int row = ctx.ui.insert_row(kWorkingList);
    ctx.ui.set_cell(kWorkingList, row, working_list::kItemId, id);
    ctx.ui.set_cell(kWorkingList, row, working_list::kTitle, ctx.ui.cell(kLinkList, i, link_list::kTitle));
    if (std::find(unique_ids.begin(), unique_ids.end(), id) == unique_ids.end()) unique_ids.push_back(id);
  }
  ctx.ui.set_text(kProductCountBox, number_to_text(ctx.ui.row_count(kWorkingList)));
  ctx.ui.set_text(kStatusLabel, "正在转换中");

  ExportRecords result;
  if (!unique_ids.empty()) {
    result = export_records_in_batches(ctx, unique_ids, [&ctx](int k, int n) {
      if (n > 1)
        ctx.ui.set_text(kStatusLabel, text_concat("正在转换中 ", number_to_text(k), "/", number_to_text(n)));
    });
    append_result_rows(ctx, result.records);
    if (result.outcome == ConvertOutcome::NotLoggedIn) mark_logged_out(ctx);
  }

  // Records pair with links by id, so the converted list follows the link
  // list, whatever order the export came back in.
  std::map<Text, std::size_t> record_of;
  for (std::size_t r = 0; r < result.records.size(); ++r)
    record_of.emplace(export_item_id(result.records[r]), r);
  for (int i = 0; i < links; ++i) {
    const auto at = static_cast<std::size_t>(i);
    if (ids[at].empty()) continue;
    const auto found = record_of.find(ids[at]);
    if (found == record_of.end()) {
      statuses[at] = kNotConverted;
      continue;
    }
    statuses[at] = kConverted;
    const auto& record = result.records[found->second];
    const int row = ctx.ui.insert_row(kConvertedList);
    ctx.ui.set_cell(kConvertedList, row, converted_list::kAffiliateLink,
                    export_field(record, kExportLinkField));
    ctx.ui.set_cell(kConvertedList, row, converted_list::kTitle, export_field(record, kExportTitleField));
  }
  for (int i = 0; i < links; ++i)
    ctx.ui.set_cell(kLinkList, i, link_list::kStatus, statuses[static_cast<std::size_t>(i)]);
  ctx.ui.set_text(kStatusLabel, "转换完成");
  ctx.ui.set_enabled(kTopTabs, true);

  // The counts, and the links that failed.
  std::map<std::string_view, int> count;
  std::vector<Text> failed;
  for (int i = 0; i < links; ++i) {
    const Text& status = statuses[static_cast<std::size_t>(i)];
    ++count[status];
    if (status != kConverted) failed.push_back(ctx.ui.cell(kLinkList, i, link_list::kLink));
  }
  Text summary =
      text_concat("共", number_to_text(links), "个链接，已转换", number_to_text(count[kConverted]), "个");
  for (const std::string_view status : {kNoId, kShortLinkFailed, kNotConverted})
    if (count[status] > 0) summary += text_concat("，", status, number_to_text(count[status]), "个");
  summary += "。";
  if (!failed.empty()) {
    summary += "\r\n没有转换的链接：";
    for (std::size_t f = 0; f < failed.size() && f < kNamedFailures; ++f)
      summary += text_concat("\r\n", failed[f]);
    if (failed.size() > kNamedFailures) summary += "\r\n……";
  }
  const Text reason = unique_ids.empty() ? Text() : failure_message(result.outcome);
  ctx.ui.message(
      joined_lines({reason, summary, result.lossy_cells > 0 ? lossy_message(result.lossy_cells) : Text()}));
}

void import_link_file(Context& ctx) {
  const std::optional<Text> path = ctx.ui.choose_open_file(ctx.run_directory, "*.txt");
  if (!path) return;
  const std::optional<Bytes> content = ctx.files.read(*path);
  if (!content) {
    ctx.ui.message(text_concat("无法读取链接文件：", *path));
    return;
  }
  int unmappable = 0;
  const LinkFileRows file = parse_link_file(link_file_text(ctx, *content, unmappable));
  if (file.rows.empty()) {
    ctx.ui.message("链接文件里没有找到链接，链接列表没有改变。");
    return;
  }

  ctx.ui.rows_clear(kLinkList);
  for (const LinkRow& link : file.rows) {
    const int row = ctx.ui.insert_row(kLinkList);
    ctx.ui.set_cell(kLinkList, row, link_list::kLink, link.link);
    ctx.ui.set_cell(kLinkList, row, link_list::kTitle, link.title);
  }
  const Text report = joined_lines(
      {file.items_without_link > 0
           ? text_concat("链接文件里有", number_to_text(file.items_without_link), "个商品没有链接，已跳过。")
           : Text(),
       unmappable > 0
           ? text_concat("链接文件里有", number_to_text(unmappable), "个字符GBK无法显示，已显示为“?”。")
           : Text()});
  if (!report.empty()) ctx.ui.message(report);
}

void save_converted_links(Context& ctx) {
  const int rows = ctx.ui.row_count(kConvertedList);
  if (rows == 0) {
    ctx.ui.message("没有可以保存的淘宝客链接，请先转换。");
    return;
  }
  // The dialog adds the chosen format's extension to a bare name before it
  // asks about replacing a file, so the name it gives is written as it is.
  const std::optional<Text> chosen = ctx.ui.choose_save_file(ctx.run_directory, Text(kSaveFilters));
  if (!chosen || chosen->empty()) return;
  const Text& path = *chosen;

  Bytes bytes;
  int broken_cells = 0;
  if (text_ends_with_ci(file_name_of(path), ".csv")) {
    bytes = csv_bytes(ctx);
  } else {
    // The link-file format, so that 按钮9 reads the file back as these rows.
    std::vector<LinkRow> links;
    for (int r = 0; r < rows; ++r)
      links.push_back({ctx.ui.cell(kConvertedList, r, converted_list::kAffiliateLink),
                       ctx.ui.cell(kConvertedList, r, converted_list::kTitle)});
    bytes = text_to_bytes(write_link_file(links, broken_cells));
  }
  if (!ctx.files.write(path, bytes)) {
    ctx.ui.message(text_concat("保存失败，无法写入文件：", path));
    return;
  }
  Text report = text_concat("已保存", number_to_text(rows), "个淘宝客链接到文件：", path);
  if (broken_cells > 0)
    report += text_concat("\r\n其中", number_to_text(broken_cells),
                          "个单元格含有分隔符文字，链接文件装不下，保存时已把分隔符文字拆开。");
  ctx.ui.message(report);
}

}  // namespace pagloom
