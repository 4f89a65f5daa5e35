// Loading a template into the editor fields 编辑框2..5, and the editor and
// preview commands.
#pragma once

#include "platform/context.h"

namespace pagloom {

// Reads the selected template's file and splits it into name, head, loop
// code and tail.
void load_template_into_editor(Context& ctx);

void reload_template(Context& ctx);       // 按钮4
void new_template(Context& ctx);          // 按钮6
void save_template(Context& ctx);         // 按钮3
void show_template_editor(Context& ctx);  // 单选框3
void show_preview(Context& ctx);          // 单选框2
void select_template(Context& ctx);       // 列表框1, item selected by the user

}  // namespace pagloom
