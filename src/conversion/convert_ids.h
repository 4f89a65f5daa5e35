// Turns the item ids of the working product list into affiliate links through
// the affiliate service's export spreadsheet.
#pragma once

#include "platform/context.h"

namespace pagloom {

// What happened, for the commands that report to the user.
enum class ConvertOutcome { Converted, NothingConverted, ExportNotWritable, ExportUnreadable, NoSheet };

ConvertOutcome convert_ids(Context& ctx);

}  // namespace pagloom
