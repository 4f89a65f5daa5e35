// Turns the item ids of the working product list into affiliate links through
// the affiliate service's export spreadsheet.
#pragma once

#include "platform/context.h"

namespace pagloom {

// What happened, for the commands that report to the user. Every outcome but
// Converted leaves the conversion result list without new rows.
enum class ConvertOutcome {
  Converted,          // at least one row appended
  NothingConverted,   // the sheet was read and held no record
  NoResponse,         // the export request gave no bytes
  NotLoggedIn,        // the service answered a web page (its login page) instead of a workbook
  ExportUnreadable,   // the response is not a workbook the reader can open
  NoSheet,            // the workbook has no sheet named Page1
  ExportNotWritable,  // the export file could not be written in the run directory
};

// Never more ids than this go into one export address, whatever 编辑框7 says;
// the service itself accepts far fewer.
inline constexpr int kMaxExportIds = 10'000;

// Downloads the export of the ids in 超级列表框1 (row 0, then rows 1..N-1 with
// N from 编辑框7) into the run directory's "ce.xls", appends one row per
// record of its sheet "Page1" to 超级列表框转换链接 and deletes the file.
ConvertOutcome convert_ids(Context& ctx);

// The id list of the export address, as convert_ids builds it.
[[nodiscard]] Text export_id_list(const Context& ctx);

}  // namespace pagloom
