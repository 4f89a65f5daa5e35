#include "templates/template_check.h"

#include <algorithm>
#include <array>

#include "templates/template_store.h"
#include "web/web.h"

namespace pagloom {
namespace {

constexpr std::string_view kLoopStart = "[#商品循环开始#]";
constexpr std::string_view kLoopEnd = "[#商品循环结束#]";

// The nine placeholders page assembly fills, and the two markers.
constexpr std::array<std::string_view, 11> kKnown = {
    "[#关键词#]",   "[#商品图片地址#]", "[#商品网址#]", "[#商品标题#]", "[#商品销售量#]", "[#卖家昵称#]",
    "[#商品价格#]", "[#商品排名#]",     "[#推广链接#]", kLoopStart,     kLoopEnd};

// Longer "[#...#]" stretches, or ones that run over a line or a tag, are
// not meant as placeholders (script or style text that happens to hold
// "[#"), so they are not reported.
constexpr std::size_t kMaxPlaceholderLength = 64;

bool ends_candidate(char c) { return c == '\r' || c == '\n' || c == '<' || c == '>' || c == '"' || c == '['; }

// Every "[#...#]" of `t`, walking whole characters so that the trail byte of
// a two-byte character is never taken for a bracket.
std::vector<std::string_view> placeholder_like(std::string_view t) {
  std::vector<std::string_view> found;
  std::size_t i = 0;
  while (i + 1 < t.size()) {
    if (static_cast<unsigned char>(t[i]) >= 0x80) {
      i += 2;
      continue;
    }
    if (t[i] != '[' || t[i + 1] != '#') {
      ++i;
      continue;
    }
    std::size_t j = i + 2;
    std::size_t close = std::string_view::npos;
    while (j < t.size() && j - i < kMaxPlaceholderLength) {
      if (static_cast<unsigned char>(t[j]) >= 0x80) {
        j += 2;
        continue;
      }
      if (t[j] == '#' && j + 1 < t.size() && t[j + 1] == ']') {
        close = j + 2;
        break;
      }
      if (ends_candidate(t[j])) break;
      ++j;
    }
    if (close == std::string_view::npos || close - i > kMaxPlaceholderLength) {
      i += 2;
      continue;
    }
    found.push_back(t.substr(i, close - i));
    i = close;
  }
  return found;
}

}  // namespace

TemplateCheck check_template_text(std::string_view template_text) {
  TemplateCheck check;
  const int start = text_find(template_text, kLoopStart);
  const int end = text_find(template_text, kLoopEnd);
  if (template_text.empty()) {
    check.problems.emplace_back("模板文件不存在或是空的");
    return check;
  }
  if (start == -1) check.problems.emplace_back("缺少循环开始标记[#商品循环开始#]");
  if (end == -1) check.problems.emplace_back("缺少循环结束标记[#商品循环结束#]");
  if (start != -1 && end != -1) {
    // The editor cuts the tail after the first end marker: one standing before
    // the start marker would repeat the head and loop code in every page.
    if (end < start) {
      check.problems.emplace_back("循环结束标记[#商品循环结束#]在循环开始标记[#商品循环开始#]之前");
    } else if (trim_space(extract_between_view(template_text, kLoopStart, kLoopEnd, 0)).empty()) {
      check.problems.emplace_back("循环代码是空的");
    }
  }
  for (const std::string_view p : placeholder_like(template_text)) {
    if (std::find(kKnown.begin(), kKnown.end(), p) != kKnown.end()) continue;
    if (std::find(check.unknown_placeholders.begin(), check.unknown_placeholders.end(), p) !=
        check.unknown_placeholders.end())
      continue;
    check.unknown_placeholders.emplace_back(p);
  }
  return check;
}

bool check_selected_template(Context& ctx) {
  const Text name = selected_template_name(ctx);
  TemplateCheck check;
  if (name.empty()) {
    check.problems.emplace_back("没有选择单页模板");
  } else {
    check = check_template_text(fetch_text(ctx, template_file_path(ctx, name), "POST"));
  }
  for (const Text& problem : check.problems) ctx.ui.append_log(text_concat("模板有问题：", problem, "\r\n"));
  for (const Text& p : check.unknown_placeholders)
    ctx.ui.append_log(text_concat("注意：模板里的", p, "不是可用的占位符，会原样留在页面里\r\n"));
  return check.problems.empty();
}

}  // namespace pagloom
