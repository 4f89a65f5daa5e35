// Turns the item ids of the working product list into affiliate links through
// the affiliate service's export spreadsheet.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

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

// Fields of an export record, by 0-based column of the sheet "Page1". The
// layout is the affiliate service's.
inline constexpr std::size_t kExportIdField = 0;     // the item id
inline constexpr std::size_t kExportTitleField = 2;  // the product title
inline constexpr std::size_t kExportLinkField = 4;   // the affiliate link
inline constexpr std::size_t kExportExtraField = 6;  // shown by no command

// What one export request gave: its outcome and, when the sheet was read,
// its records in sheet order.
struct ExportRecords {
  ConvertOutcome outcome = ConvertOutcome::NoResponse;
  std::vector<std::vector<Text>> records;
  int lossy_cells = 0;  // cells in which characters GBK cannot hold read as "?"
};

// One export request for `ids` (joined by ","): downloads the export into the
// run directory's "ce.xls", reads its sheet "Page1" and deletes the file.
// Touches no control. Outcome Converted when it gave at least one record.
[[nodiscard]] ExportRecords export_records(Context& ctx, const std::vector<Text>& ids);

// The field `index` of an export record; the empty text when it is missing.
[[nodiscard]] Text export_field(const std::vector<Text>& record, std::size_t index);

// The item id of an export record, as the conversions send it: a number
// cell of the id column reads "%.8f" ("520813250866.00000000"), so a fraction
// of zeros is dropped.
[[nodiscard]] Text export_item_id(const std::vector<Text>& record);

// The most ids the affiliate service answers in one export request.
inline constexpr int kExportIdsPerRequest = 30;

// The export of `ids` in consecutive requests of at most kExportIdsPerRequest
// ids each (export_records for each), the records joined in request order.
// `on_progress(k, n)`, when set, runs before request k (1-based) of n.
// Outcome Converted when any request gave records; otherwise that of the
// first request that failed, or NothingConverted. After a request that
// showed no session, no network or no writable export file, the remaining
// ones are not made: they would fail the same way.
[[nodiscard]] ExportRecords export_records_in_batches(Context& ctx, const std::vector<Text>& ids,
                                                      const std::function<void(int k, int n)>& on_progress);

// Appends one row per record to 超级列表框转换链接 as convert_ids does: the
// row's number, the title, the affiliate link and the extra field.
void append_result_rows(Context& ctx, const std::vector<std::vector<Text>>& records);

// Downloads the export of the ids in 超级列表框1 (row 0, then rows 1..N-1 with
// N from 编辑框7) into the run directory's "ce.xls", appends one row per
// record of its sheet "Page1" to 超级列表框转换链接 and deletes the file.
ConvertOutcome convert_ids(Context& ctx);

// The ids convert_ids sends, in order.
[[nodiscard]] std::vector<Text> export_ids(const Context& ctx);

// The id list of the export address, as convert_ids builds it.
[[nodiscard]] Text export_id_list(const Context& ctx);

}  // namespace pagloom
