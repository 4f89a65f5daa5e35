#include "templates/template_commands.h"

#include "platform/controls.h"
#include "templates/template_store.h"
#include "web/web.h"

namespace pagloom {
namespace {

constexpr std::string_view kLoopStart = "[#商品循环开始#]";
constexpr std::string_view kLoopEnd = "[#商品循环结束#]";

// Everything after the loop-end marker that closes the loop code, to the end
// of the template. The loop code is the cut extract_between(t, loop start,
// loop end, 0) makes, so the tail begins where that cut's end marker ends;
// when no loop-end marker closes the loop code, the loop code is empty and
// the tail is everything after the loop-start marker (the whole text when
// there is none). A loop-end marker standing before the loop-start marker
// belongs to the head. Saving joins head, markers, loop code and tail, so a
// template the save wrote loads into fields that save to the same bytes, any
// file is byte-stable from its first save on, and a save keeps every byte
// from where the loop code begins.
Text template_tail(std::string_view t) {
  const int start = text_find(t, kLoopStart);
  // Where the loop code begins: after the loop-start marker, or, without one,
  // at byte (marker length - 1) as extract_between cuts it.
  const int code =
      start == -1 ? static_cast<int>(kLoopStart.size()) - 1 : start + static_cast<int>(kLoopStart.size());
  const int end = text_find(t, kLoopEnd, code);
  if (end != -1) return Text(t.substr(static_cast<std::size_t>(end - 1) + kLoopEnd.size()));
  if (start == -1) return Text(t);
  return Text(t.substr(static_cast<std::size_t>(start - 1) + kLoopStart.size()));
}

}  // namespace

void load_template_into_editor(Context& ctx) {
  const Text name = selected_template_name(ctx);
  const Text t = fetch_text(ctx, template_file_path(ctx, name), "POST");
  ctx.ui.set_text(kTemplateNameBox, selected_template_name(ctx));
  ctx.ui.set_text(kHeadBox, extract_between(t, "", kLoopStart, 0));
  ctx.ui.set_text(kLoopBox, extract_between(t, kLoopStart, kLoopEnd, 0));
  ctx.ui.set_text(kTailBox, template_tail(t));
}

void reload_template(Context& ctx) { load_template_into_editor(ctx); }

void new_template(Context& ctx) {
  ctx.ui.set_text(kTemplateNameBox, {});
  ctx.ui.set_text(kHeadBox, {});
  ctx.ui.set_text(kLoopBox, {});
  ctx.ui.set_text(kTailBox, {});
}

void save_template(Context& ctx) {
  const Text name = ctx.ui.text(kTemplateNameBox);
  // The check sees the name as the file system will: through the same GBK
  // decoder, so no byte sequence can turn into a separator or "..".
  if (!ctx.files.is_safe_name(name)) {
    ctx.ui.message(
        "请输入正确的模板名称：名称不能为空，不能是“.”或“..”，也不能含有“/"
        "”、“\\”、控制字符或无法识别的字符。");
    return;
  }
  const Text joined =
      text_concat(ctx.ui.text(kHeadBox), kLoopStart, ctx.ui.text(kLoopBox), kLoopEnd, ctx.ui.text(kTailBox));
  const Text folder = template_folder_path(ctx, name);
  const Text path = text_concat(folder, "\\模板文件.htm");
  // The old file is replaced by the write itself, never deleted first: a
  // write that fails (a full disk) leaves the old template whole.
  if (!ctx.files.exists(path)) ctx.files.create_folder(folder);
  if (ctx.files.write(path, text_to_bytes(joined))) {
    ctx.ui.message("保存模板成功");
  } else {
    ctx.ui.message(
        "保存模板失败：无法写入模板文件，请检查软件目录下的“单页生成\\模板”文件夹是否存在并且可以写入。");
  }
  ctx.ui.list_clear(kTemplateList);
  scan_templates(ctx);
}

void show_template_editor(Context& ctx) {
  ctx.ui.set_page(kInnerPages, kEditorPage);
  if (has_template_file(ctx)) {
    load_template_into_editor(ctx);
  } else {
    ctx.ui.message(
        "您没把模板放在指定位置，请按张以下方式放入。例如：软件目录/单页生成/模板/高贵大气/模板文件.htm");
  }
}

void show_preview(Context& ctx) {
  ctx.ui.set_page(kInnerPages, kPreviewPage);
  if (has_preview_file(ctx)) {
    ctx.ui.navigate(kPreviewViewer, preview_file_path(ctx, selected_template_name(ctx)));
    load_template_into_editor(ctx);
  } else {
    ctx.ui.message(
        "您没把预览文件放在指定位置，请按张以下方式放入。例如：软件目录/单页生成/模板/高贵大气/效果预览.htm");
  }
}

void select_template(Context& ctx) {
  ctx.ui.navigate(kPreviewViewer, preview_file_path(ctx, selected_template_name(ctx)));
  load_template_into_editor(ctx);
}

}  // namespace pagloom
