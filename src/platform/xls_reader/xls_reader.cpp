#include "platform/xls_reader/xls_reader.h"

#include <freexl.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/xls_reader/biff_scan.h"
#include "platform/xls_reader/xls_wire.h"

namespace pagloom::xls_reader {
namespace {

using xls_wire::Status;

// Stream pieces are handed on once they reach this size.
constexpr std::size_t kFlushBytes = 64 * 1024;
// A workbook larger than this is not scanned (FreeXL alone reads it).
constexpr long kMaxScannedFile = 64L << 20;

// The whole file, or the empty text when it cannot be read or is too large.
std::string file_bytes(const char* path) {
  std::string bytes;
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return bytes;
  if (std::fseek(f, 0, SEEK_END) == 0) {
    const long size = std::ftell(f);
    if (size > 0 && size <= kMaxScannedFile && std::fseek(f, 0, SEEK_SET) == 0) {
      bytes.resize(static_cast<std::size_t>(size));
      if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size()) bytes.clear();
    }
  }
  std::fclose(f);
  return bytes;
}

// Owns a FreeXL handle; FreeXL wants freexl_close even after a failed open,
// and on some damaged files reports success with no handle.
class Workbook final {
 public:
  explicit Workbook(const char* path) { open_result_ = freexl_open(path, &handle_); }
  ~Workbook() {
    if (handle_ != nullptr) freexl_close(handle_);
  }
  Workbook(const Workbook&) = delete;
  Workbook& operator=(const Workbook&) = delete;

  [[nodiscard]] bool is_open() const { return open_result_ == FREEXL_OK && handle_ != nullptr; }
  [[nodiscard]] const void* handle() const { return handle_; }

 private:
  const void* handle_ = nullptr;
  int open_result_ = FREEXL_OK;
};

// The sheet's index; -1 when absent.
int find_sheet(const void* handle, std::string_view wanted) {
  unsigned int count = 0;
  if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) return -1;
  for (unsigned int i = 0; i < count && i <= 0xFFFF; ++i) {
    const char* name = nullptr;
    if (freexl_get_worksheet_name(handle, static_cast<unsigned short>(i), &name) != FREEXL_OK || !name)
      continue;
    if (same_ascii_fold(name, wanted)) return static_cast<int>(i);
  }
  return -1;
}

// "%.8f" without the C locale's decimal separator.
std::string fixed8(double value) {
  char buf[512];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 8);
  return ec == std::errc() ? std::string(buf, end) : std::string();
}

std::string text_of(const char* text, std::string_view prefix = {}, std::string_view suffix = {}) {
  if (text == nullptr) return {};
  std::string out(prefix);
  out += text;
  out += suffix;
  return out;
}

std::string cell_text(const FreeXL_CellValue& cell) {
  switch (cell.type) {
    case FREEXL_CELL_INT:
      return fixed8(static_cast<double>(cell.value.int_value));
    case FREEXL_CELL_DOUBLE:
      return fixed8(cell.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATETIME:  // "YYYY-MM-DD HH:MM:SS"
      return text_of(cell.value.text_value);
    case FREEXL_CELL_DATE:  // "YYYY-MM-DD"
      return text_of(cell.value.text_value, {}, " 00:00:00");
    case FREEXL_CELL_TIME:  // "HH:MM:SS": a time alone is a time on the day serial 0 stands for
      return text_of(cell.value.text_value, "1899-12-30 ");
    default:
      return {};
  }
}

// "YYYY-MM-DD" of the day `days` after 1970-01-01 (proleptic Gregorian).
std::string civil_date(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t doe = days - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
  char buf[80];
  std::snprintf(buf, sizeof buf, "%04lld-%02lld-%02lld", static_cast<long long>(y), static_cast<long long>(m),
                static_cast<long long>(d));
  return buf;
}

// A date-formatted number in the texts cell_text gives for FreeXL's dates;
// nullopt outside the serials of years 1900 to 9999.
std::optional<std::string> date_text(double serial, NumberShape shape, bool from_1904) {
  if (!(serial >= 0 && serial < 2958466)) return std::nullopt;
  const long long seconds = std::llround(serial * 86400);
  long long days = seconds / 86400;
  const long long in_day = seconds % 86400;
  // Day 0 of the 1900 system is 1899-12-31 up to its day 60, which stands
  // for a 29 February 1900 that never was; 1899-12-30 after it.
  const long long epoch = from_1904 ? -24107 : (days < 61 ? -25568 : -25569);  // days from 1970-01-01
  char time[80];
  std::snprintf(time, sizeof time, "%02lld:%02lld:%02lld", in_day / 3600, in_day / 60 % 60, in_day % 60);
  switch (shape) {
    case NumberShape::Date:
      return civil_date(days + epoch) + " 00:00:00";
    case NumberShape::DateTime:
      return civil_date(days + epoch) + " " + time;
    case NumberShape::Time:
      return std::string("1899-12-30 ") + time;
    case NumberShape::Plain:
      break;
  }
  return std::nullopt;
}

std::string scanned_text(const ScannedCell& cell, bool from_1904) {
  if (!cell.is_number) return cell.text;
  if (cell.shape != NumberShape::Plain) {
    if (std::optional<std::string> date = date_text(cell.number, cell.shape, from_1904))
      return *std::move(date);
  }
  return fixed8(cell.number);
}

// Writes the records after the heading row of a sheet of `rows` x `columns`
// (counts from the file, checked before) whose cells `text_at(row, column,
// text)` gives; false when a cell cannot be read.
template <class TextAt>
Status write_rows(std::uint32_t rows, std::uint32_t columns, TextAt text_at, xls_wire::Encoder& out,
                  const std::function<void(std::string_view)>& emit) {
  // Empty rows are sent only once a later row holds something: a DIMENSIONS
  // record may claim rows beyond the last cell.
  std::vector<std::string> record;
  const std::vector<std::string> empty_record;
  std::uint32_t pending_empty = 0;
  for (std::uint32_t r = 1; r < rows; ++r) {
    record.clear();
    for (std::uint32_t c = 0; c < columns; ++c) {
      record.emplace_back();
      if (!text_at(r, c, record.back()) || record.back().size() > xls_wire::kMaxCellBytes)
        return Status::Unreadable;
    }
    if (std::all_of(record.begin(), record.end(), [](const std::string& cell) { return cell.empty(); })) {
      ++pending_empty;
      continue;
    }
    for (; pending_empty > 0; --pending_empty) out.record(empty_record);
    out.record(record);
    if (out.pending() >= kFlushBytes) emit(out.take());
  }
  return Status::Ok;
}

// The counts come from the file: a damaged one claims anything.
bool dimensions_within_format(std::uint32_t rows, std::uint32_t columns) {
  return rows <= xls_wire::kMaxRows && columns <= xls_wire::kMaxColumns && !(rows > 0 && columns == 0);
}

Status read_records(const char* path, std::string_view sheet, xls_wire::Encoder& out,
                    const std::function<void(std::string_view)>& emit) {
  // The workbook's own records, for what FreeXL reads wrongly or not at all.
  const std::optional<ScannedSheet> scanned = scan_sheet(file_bytes(path), sheet);
  auto scanned_cell = [&scanned](std::uint32_t r, std::uint32_t c) -> const ScannedCell* {
    if (!scanned || scanned->cells.empty()) return nullptr;
    const auto found = scanned->cells.find(r * 256 + c);
    return found == scanned->cells.end() ? nullptr : &found->second;
  };

  Workbook book(path);
  if (!book.is_open()) {
    // FreeXL refuses some whole workbooks (a shared string running over
    // more than one CONTINUE record): they are read from the scan alone.
    // A file cut short is refused either way.
    if (!scanned || !scanned->whole_sectors) return Status::CannotOpen;
    if (!scanned->has_sheet) return Status::NoSuchSheet;
    // Cells beyond what DIMENSIONS claims, or a record of a type no sheet
    // holds, mean the file is damaged.
    if (!dimensions_within_format(scanned->rows, scanned->columns) || !scanned->cells_within_dimensions ||
        !scanned->known_records_only)
      return Status::Unreadable;
    return write_rows(
        scanned->rows, scanned->columns,
        [&](std::uint32_t r, std::uint32_t c, std::string& text) {
          if (const ScannedCell* cell = scanned_cell(r, c)) text = scanned_text(*cell, scanned->from_1904);
          return true;
        },
        out, emit);
  }
  const void* handle = book.handle();

  // FreeXL opens a password-protected workbook but cannot decrypt its cells.
  unsigned int password = 0;
  if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &password) != FREEXL_OK ||
      password == FREEXL_BIFF_OBFUSCATED)
    return Status::Unreadable;

  const int index = find_sheet(handle, sheet);
  if (index < 0) return Status::NoSuchSheet;

  unsigned int rows = 0;  // counts, not last indices
  unsigned short columns = 0;
  if (freexl_select_active_worksheet(handle, static_cast<unsigned short>(index)) != FREEXL_OK ||
      freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK)
    return Status::Unreadable;
  if (!dimensions_within_format(rows, columns)) return Status::Unreadable;

  // FreeXL reads a boolean as the number 1 or 0, an error value as its
  // code, a formula as nothing: those cells come from the scan, and so does
  // a text FreeXL leaves empty or cannot read. Numbers (and dates) stay
  // FreeXL's.
  const bool from_1904 = scanned && scanned->from_1904;
  return write_rows(
      rows, columns,
      [&](std::uint32_t r, std::uint32_t c, std::string& text) {
        const ScannedCell* own = scanned_cell(r, c);
        if (own != nullptr && own->kind != CellKind::Text && own->kind != CellKind::Number) {
          text = scanned_text(*own, from_1904);
          return true;
        }
        FreeXL_CellValue cell;
        const int rc = freexl_get_cell_value(handle, r, static_cast<unsigned short>(c), &cell);
        if (rc == FREEXL_ILLEGAL_CELL_ROW_COL) return true;
        if (rc == FREEXL_OK) text = cell_text(cell);
        if ((rc != FREEXL_OK || text.empty()) && own != nullptr && own->kind == CellKind::Text) {
          text = own->text;
          return true;
        }
        return rc == FREEXL_OK;
      },
      out, emit);
}

}  // namespace

void read_sheet(const char* path, std::string_view sheet, const std::function<void(std::string_view)>& emit) {
  xls_wire::Encoder out;
  const Status status = read_records(path, sheet, out, emit);
  out.end(status);
  emit(out.take());
}

}  // namespace pagloom::xls_reader
