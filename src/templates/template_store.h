// The template store on disk: one folder per template under
// <run>/单页生成/模板, holding 模板文件.htm and 效果预览.htm.
#pragma once

#include <string_view>

#include "platform/context.h"

namespace pagloom {

// Appends the template folders' names (byte order, none starting with ".")
// to 列表框1 and selects item 0.
void scan_templates(Context& ctx);

// The selected template's 模板文件.htm / 效果预览.htm is present (a folder of
// that name does not count).
[[nodiscard]] bool has_template_file(Context& ctx);
[[nodiscard]] bool has_preview_file(Context& ctx);

// The text of the selected item of 列表框1; empty when nothing is selected.
[[nodiscard]] Text selected_template_name(const Context& ctx);

// <run>/单页生成/模板/<name>/模板文件.htm and .../效果预览.htm, "/"-separated.
[[nodiscard]] Text template_file_path(const Context& ctx, std::string_view name);
[[nodiscard]] Text preview_file_path(const Context& ctx, std::string_view name);

// <run>\单页生成\模板\<name>, "\"-separated, as the writers build it.
[[nodiscard]] Text template_folder_path(const Context& ctx, std::string_view name);

}  // namespace pagloom
