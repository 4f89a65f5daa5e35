#include "conversion/convert_ids.h"

#include <algorithm>

#include "platform/controls.h"
#include "web/web.h"

namespace pagloom {
namespace {

constexpr std::string_view kExportPath = "/union/spread/selfservice/downloadAuctions.do?nid=";
constexpr std::string_view kSheet = "Page1";

// A write that fails may succeed a moment later (a scanner holding the file);
// one that fails three times will not.
constexpr int kMaxDownloadPasses = 3;

// The number of ids to send: 编辑框7 truncated toward zero, kept within
// [0, kMaxExportIds] so that a mistyped count cannot build a giant address.
int id_count(const Context& ctx) {
  return std::min(text_to_count(ctx.ui.text(kProductCountBox)), kMaxExportIds);
}

// True when the bytes start like a web page rather than a workbook: the
// service answers its login page when the session does not reach the export.
bool looks_like_web_page(const Bytes& body) {
  std::string_view s(body.data(), body.size());
  if (s.substr(0, 3) == "\xEF\xBB\xBF") s.remove_prefix(3);
  s = trim_space(s);
  return !s.empty() && s.front() == '<';
}

ConvertOutcome unreadable_outcome(const Bytes& body) {
  if (body.empty()) return ConvertOutcome::NoResponse;
  if (looks_like_web_page(body)) return ConvertOutcome::NotLoggedIn;
  return ConvertOutcome::ExportUnreadable;
}

Text joined(const std::vector<Text>& ids) {
  Text out;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    if (i > 0) out += ',';
    out += ids[i];
  }
  return out;
}

}  // namespace

Text export_field(const std::vector<Text>& record, std::size_t index) {
  return index < record.size() ? record[index] : Text();
}

std::vector<Text> export_ids(const Context& ctx) {
  // Row 0 always, then rows 1..N-1: a count of 0 or 1 still sends row 0.
  std::vector<Text> ids{ctx.ui.cell(kWorkingList, 0, working_list::kItemId)};
  const int n = id_count(ctx);
  for (int r = 1; r <= n - 1; ++r) ids.push_back(ctx.ui.cell(kWorkingList, r, working_list::kItemId));
  return ids;
}

Text export_id_list(const Context& ctx) { return joined(export_ids(ctx)); }

ExportRecords export_records(Context& ctx, const std::vector<Text>& ids) {
  const Text path = text_concat(ctx.run_directory, "\\ce.xls");
  const Text address = text_concat(ctx.endpoints.service_host, kExportPath, joined(ids));

  // A file left by an earlier conversion must never pass for this one's export.
  ctx.files.remove(path);

  Bytes body;
  bool written = false;
  for (int pass = 0; pass < kMaxDownloadPasses && !written; ++pass) {
    body = download_bytes(ctx, address);
    written = ctx.files.write(path, body);
    ctx.ui.sleep(100);
  }

  ExportRecords result;
  result.outcome = ConvertOutcome::ExportNotWritable;
  if (written) {
    SheetRecords sheet = ctx.spreadsheet.read_sheet(path, std::string(kSheet));
    switch (sheet.status) {
      case SheetRecords::Status::Ok:
        result.outcome = sheet.records.empty() ? ConvertOutcome::NothingConverted : ConvertOutcome::Converted;
        result.records = std::move(sheet.records);
        result.lossy_cells = sheet.lossy_cells;
        break;
      case SheetRecords::Status::NoSuchSheet:
        result.outcome = ConvertOutcome::NoSheet;
        break;
      case SheetRecords::Status::CannotOpen:
      case SheetRecords::Status::Unreadable:
        result.outcome = unreadable_outcome(body);
        break;
    }
  }

  // Also after a failed write, which may have left a partial file.
  ctx.files.remove(path);
  return result;
}

Text export_item_id(const std::vector<Text>& record) {
  Text id(trim_space(export_field(record, kExportIdField)));
  const std::size_t dot = id.find('.');
  if (dot != Text::npos && dot > 0 && id.find_first_not_of('0', dot + 1) == Text::npos) id.resize(dot);
  return id;
}

ExportRecords export_records_in_batches(Context& ctx, const std::vector<Text>& ids,
                                        const std::function<void(int k, int n)>& on_progress) {
  const std::size_t per_request = kExportIdsPerRequest;
  const int requests = static_cast<int>((ids.size() + per_request - 1) / per_request);
  ExportRecords joined;
  joined.outcome = ConvertOutcome::NothingConverted;
  bool failed = false;
  for (int k = 0; k < requests; ++k) {
    if (on_progress) on_progress(k + 1, requests);
    const auto first = ids.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(k) * per_request);
    const auto last = ids.size() - static_cast<std::size_t>(first - ids.begin()) <= per_request
                          ? ids.end()
                          : first + static_cast<std::ptrdiff_t>(per_request);
    ExportRecords part = export_records(ctx, std::vector<Text>(first, last));
    joined.lossy_cells += part.lossy_cells;
    for (auto& record : part.records) joined.records.push_back(std::move(record));
    if (part.outcome == ConvertOutcome::Converted || part.outcome == ConvertOutcome::NothingConverted)
      continue;
    if (!failed) joined.outcome = part.outcome;
    failed = true;
    if (part.outcome == ConvertOutcome::NotLoggedIn || part.outcome == ConvertOutcome::NoResponse ||
        part.outcome == ConvertOutcome::ExportNotWritable)
      break;
  }
  if (!joined.records.empty()) joined.outcome = ConvertOutcome::Converted;
  return joined;
}

void append_result_rows(Context& ctx, const std::vector<std::vector<Text>>& records) {
  for (const auto& record : records) {
    const int m = ctx.ui.insert_row(kResultList);
    ctx.ui.set_cell(kResultList, m, result_list::kNumber, number_to_text(m + 1));
    ctx.ui.set_cell(kResultList, m, result_list::kTitle, export_field(record, kExportTitleField));
    ctx.ui.set_cell(kResultList, m, result_list::kAffiliateLink, export_field(record, kExportLinkField));
    ctx.ui.set_cell(kResultList, m, result_list::kExtra, export_field(record, kExportExtraField));
  }
}

ConvertOutcome convert_ids(Context& ctx) {
  const ExportRecords result = export_records(ctx, export_ids(ctx));
  append_result_rows(ctx, result.records);
  return result.outcome;
}

}  // namespace pagloom
