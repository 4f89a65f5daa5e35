#include "templates/template_store.h"

#include "platform/controls.h"

namespace pagloom {

Text selected_template_name(const Context& ctx) {
  return ctx.ui.list_item(kTemplateList, ctx.ui.list_selected(kTemplateList));
}

Text template_file_path(const Context& ctx, std::string_view name) {
  return text_concat(ctx.run_directory, "/单页生成/模板/", name, "/模板文件.htm");
}

Text preview_file_path(const Context& ctx, std::string_view name) {
  return text_concat(ctx.run_directory, "/单页生成/模板/", name, "/效果预览.htm");
}

Text template_folder_path(const Context& ctx, std::string_view name) {
  return text_concat(ctx.run_directory, "\\单页生成\\模板\\", name);
}

void scan_templates(Context& ctx) {
  const Text pattern = text_concat(ctx.run_directory, "\\单页生成\\模板\\*.*");
  for (const Text& name : ctx.files.list(pattern, EntryKind::Folders)) {
    if (text_prefix(name, 1) != ".") ctx.ui.list_add(kTemplateList, name);
  }
  ctx.ui.list_select(kTemplateList, 0);
}

bool has_template_file(Context& ctx) {
  return ctx.files.is_file(template_file_path(ctx, selected_template_name(ctx)));
}

bool has_preview_file(Context& ctx) {
  return ctx.files.is_file(preview_file_path(ctx, selected_template_name(ctx)));
}

}  // namespace pagloom
