// The generation run: 按钮1's start checks and the per-keyword driver.
#pragma once

#include "platform/context.h"

namespace pagloom {

void start_generation(Context& ctx);  // 按钮1

}  // namespace pagloom
