// The rows of the working product list that a promotion page gives, cut the
// plain way: every entry with extract_between on its own, the block cut short
// at the first entry after its start. Quadratic on hostile pages; the parser
// must give the same rows in linear time.
#pragma once

#include <string_view>
#include <vector>

#include "text/text.h"

namespace pagloom::testing {

inline std::vector<std::vector<Text>> reference_promotion_rows(std::string_view page) {
  std::vector<int> positions;
  for (int previous = 1;;) {
    const int found = text_find(page, "list-info", previous + 9);
    if (found == -1) break;
    positions.push_back(found);
    previous = found;
  }
  std::vector<std::vector<Text>> rows;
  for (const int p : positions) {
    Text block = extract_between(page, "onerror", "J_WangWang", p);
    const int onerror = text_find(page, "onerror", p);
    const int start = onerror == -1 ? 6 : onerror + 7;
    for (const int next : positions) {
      if (next >= start) {
        block = text_prefix(block, next - start);
        break;
      }
    }
    const Text title =
        text_replace(text_replace(extract_between(block, "_blank\">", "</a>", 0), "<span>", ""), "</span>");
    // The merchant marker 掌柜： as GBK bytes: this header holds ASCII only.
    rows.push_back({extract_between(block, "id=", "\"", 0), title,
                    extract_between(block, "\xD5\xC6\xB9\xF1\xA3\xBA", "<span", 0)});
  }
  return rows;
}

}  // namespace pagloom::testing
