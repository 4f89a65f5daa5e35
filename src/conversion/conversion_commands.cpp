#include "conversion/conversion_commands.h"

#include "conversion/convert_ids.h"
#include "shell/shell_commands.h"

namespace pagloom {
namespace {

constexpr std::string_view kWorkingList = "超级列表框1";
constexpr std::string_view kLinkList = "超级列表框2";
constexpr std::string_view kConvertedList = "超级列表框3";
constexpr std::string_view kResultList = "超级列表框转换链接";
constexpr std::string_view kStatus = "标签9";
constexpr std::string_view kItemSeparator = "------商品分隔符------";
constexpr std::string_view kLinkSeparator = "------链接分隔符------";

bool all_digits(std::string_view s) {
  if (s.empty()) return false;
  for (const char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

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

Text skipped_message(int skipped) {
  return text_concat("有", number_to_text(skipped), "个链接里找不到商品ID，已跳过，没有转换。");
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

}  // namespace

Text item_id_of(std::string_view link) {
  link = trim_space(link);
  if (all_digits(link)) return Text(link);
  // The query ends at the fragment. '?', '&', '#' and '=' are below 0x40 and
  // so never the trail byte of a GBK character.
  const std::string_view query = link.substr(0, link.find('#'));
  for (std::size_t at = query.find("id="); at != std::string_view::npos; at = query.find("id=", at + 1)) {
    if (at == 0 || (query[at - 1] != '?' && query[at - 1] != '&')) continue;
    const std::string_view value = query.substr(at + 3);
    return Text(value.substr(0, value.find('&')));
  }
  return {};
}

void convert_single(Context& ctx) {
  if (!login_step(ctx)) return;
  const Text link = ctx.ui.text("编辑框6");
  if (link.empty()) {
    ctx.ui.message("请输入要转换的淘宝链接");
    return;
  }
  const Text id = item_id_of(link);
  if (id.empty()) {
    ctx.ui.message(
        "这个链接里找不到商品ID，无法转换。请输入带有“id=商品编号”的淘宝商品链接，或者直接输入商品编号。");
    return;
  }
  ctx.ui.rows_clear(kWorkingList);
  ctx.ui.rows_clear(kResultList);
  const int row = ctx.ui.insert_row(kWorkingList);
  ctx.ui.set_cell(kWorkingList, row, 0, id);
  ctx.ui.set_text("编辑框7", "1");
  ctx.ui.set_text(kStatus, "正在转换中。。。");
  const ConvertOutcome outcome = convert_ids(ctx);
  if (outcome == ConvertOutcome::NotLoggedIn) mark_logged_out(ctx);
  ctx.ui.set_text(kStatus, "转换完成");
  ctx.ui.set_text("编辑框10", ctx.ui.cell(kResultList, 0, 2));
  ctx.ui.sleep(300);
  ctx.ui.set_text(kStatus, {});
  if (outcome != ConvertOutcome::Converted) ctx.ui.message(failure_message(outcome));
}

void convert_batch(Context& ctx) {
  if (!login_step(ctx)) return;
  if (ctx.ui.cell(kLinkList, 0, 0).empty()) {
    ctx.ui.message("请添加淘宝链接数据");
    return;
  }

  struct Item {
    Text id;
    Text title;
  };
  std::vector<Item> items;
  int skipped = 0;
  const int links = ctx.ui.row_count(kLinkList);
  for (int i = 0; i < links; ++i) {
    Text id = item_id_of(ctx.ui.cell(kLinkList, i, 0));
    if (id.empty()) {
      ++skipped;
      continue;
    }
    items.push_back({std::move(id), ctx.ui.cell(kLinkList, i, 1)});
  }
  if (items.empty()) {
    ctx.ui.message("链接列表里的链接都找不到商品ID，没有可以转换的链接。");
    return;
  }

  ctx.ui.rows_clear(kConvertedList);
  ctx.ui.rows_clear(kWorkingList);
  ctx.ui.rows_clear(kResultList);
  for (const Item& item : items) {
    const int row = ctx.ui.insert_row(kWorkingList);
    ctx.ui.set_cell(kWorkingList, row, 0, item.id);
    ctx.ui.set_cell(kWorkingList, row, 1, item.title);
  }

  ctx.ui.set_enabled("选择夹1", false);
  ctx.ui.set_text("编辑框7", number_to_text(ctx.ui.row_count(kWorkingList)));
  ctx.ui.set_text(kStatus, "正在转换中");
  const ConvertOutcome outcome = convert_ids(ctx);
  if (outcome == ConvertOutcome::NotLoggedIn) mark_logged_out(ctx);
  const int results = ctx.ui.row_count(kResultList);
  for (int r = 0; r < results; ++r) {
    const int row = ctx.ui.insert_row(kConvertedList);
    ctx.ui.set_cell(kConvertedList, row, 0, ctx.ui.cell(kResultList, r, 2));
    ctx.ui.set_cell(kConvertedList, row, 1, ctx.ui.cell(kResultList, r, 1));
  }
  ctx.ui.set_text(kStatus, "转换完成");
  ctx.ui.set_enabled("选择夹1", true);

  Text report = failure_message(outcome);
  if (skipped > 0)
    report =
        report.empty() ? skipped_message(skipped) : text_concat(report, "\r\n", skipped_message(skipped));
  if (!report.empty()) ctx.ui.message(report);
}

void import_link_file(Context& ctx) {
  const std::optional<Text> path = ctx.ui.choose_open_file(ctx.run_directory, "*.txt");
  if (!path) return;
  const std::optional<Bytes> content = ctx.files.read(*path);
  if (!content) {
    ctx.ui.message(text_concat("无法读取链接文件：", *path));
    return;
  }
  const Text text = text_replace(bytes_to_text(*content), "\r\n", {}, std::nullopt, std::nullopt, false);

  ctx.ui.rows_clear(kLinkList);
  int skipped = 0;
  for (const Text& item : text_split(text, kItemSeparator)) {
    const std::vector<Text> parts = text_split(item, kLinkSeparator);
    if (parts.size() < 2 || parts[1].empty()) {
      // Blank pieces (a separator at the start, two in a row, a stray line
      // feed at the end) are not items the user wrote.
      if (!trim_space(item).empty()) ++skipped;
      continue;
    }
    const int row = ctx.ui.insert_row(kLinkList);
    ctx.ui.set_cell(kLinkList, row, 0, parts[1]);
    ctx.ui.set_cell(kLinkList, row, 1, parts[0]);
  }
  if (skipped > 0)
    ctx.ui.message(text_concat("链接文件里有", number_to_text(skipped), "个商品没有链接，已跳过。"));
}

void save_converted_links(Context& ctx) {
  const int rows = ctx.ui.row_count(kConvertedList);
  if (rows == 0) {
    ctx.ui.message("没有可以保存的淘宝客链接，请先转换。");
    return;
  }
  const std::optional<Text> chosen = ctx.ui.choose_save_file(ctx.run_directory, "*.txt");
  if (!chosen || chosen->empty()) return;
  Text path = *chosen;
  if (file_name_of(path).find('.') == std::string_view::npos) path += ".txt";

  // The link-file format, so that 按钮9 reads the file back as these rows.
  Text out;
  for (int r = 0; r < rows; ++r) {
    out += ctx.ui.cell(kConvertedList, r, 1);
    out += kLinkSeparator;
    out += ctx.ui.cell(kConvertedList, r, 0);
    out += kItemSeparator;
    out += "\r\n";
  }
  if (!ctx.files.write(path, text_to_bytes(out))) {
    ctx.ui.message(text_concat("保存失败，无法写入文件：", path));
    return;
  }
  ctx.ui.message(text_concat("已保存", number_to_text(rows), "个淘宝客链接。"));
}

}  // namespace pagloom
