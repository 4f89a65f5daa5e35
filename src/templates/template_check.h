// The check of the selected template before a generation run: loop markers
// present and in order, a loop code to repeat, and no placeholder-like text
// "[#...#]" that page assembly would leave unfilled.
#pragma once

#include <string_view>
#include <vector>

#include "platform/context.h"
#include "text/text.h"

namespace pagloom {

struct TemplateCheck {
  // What is wrong, one text each; any of them keeps the run from starting.
  std::vector<Text> problems;
  // "[#...#]" texts that are neither a placeholder nor a loop marker, each
  // once, in the order they first occur. They reach the pages as they are.
  std::vector<Text> unknown_placeholders;
};

// Checks a template file's text as the editor would split it.
[[nodiscard]] TemplateCheck check_template_text(std::string_view template_text);

// Reads the selected template's file and logs each problem as one
// "template has a problem" line and each unknown placeholder as one warning
// line. False when a problem keeps the run from starting.
[[nodiscard]] bool check_selected_template(Context& ctx);

}  // namespace pagloom
