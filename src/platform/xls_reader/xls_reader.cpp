#include "platform/xls_reader/xls_reader.h"

#include <freexl.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/xls_reader/biff_scan.h"
#include "platform/xls_reader/xls_wire.h"

namespace pagloom::xls_reader {
namespace {

using xls_wire::Status;

// Stream pieces are handed on once they reach this size.
constexpr std::size_t kFlushBytes = 64 * 1024;
// A workbook larger than this is not scanned for boolean cells (FreeXL
// still reads it).
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

Status read_records(const char* path, std::string_view sheet, xls_wire::Encoder& out,
                    const std::function<void(std::string_view)>& emit) {
  Workbook book(path);
  if (!book.is_open()) return Status::CannotOpen;
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
  // The counts come from the file: a damaged one claims anything.
  if (rows > xls_wire::kMaxRows || columns > xls_wire::kMaxColumns || (rows > 0 && columns == 0))
    return Status::Unreadable;

  // FreeXL reads a boolean as the number 1 or 0, an error value as its code.
  const CellTexts booleans = scan_boolean_cells(file_bytes(path), sheet).value_or(CellTexts());

  // Row 0 is the heading row. Empty rows are sent only once a later row
  // holds something: a DIMENSIONS record may claim rows beyond the last cell.
  std::vector<std::string> record;
  const std::vector<std::string> empty_record;
  unsigned int pending_empty = 0;
  for (unsigned int r = 1; r < rows; ++r) {
    record.clear();
    for (unsigned short c = 0; c < columns; ++c) {
      if (!booleans.empty()) {
        if (const auto found = booleans.find(r * 256 + c); found != booleans.end()) {
          record.push_back(found->second);
          continue;
        }
      }
      FreeXL_CellValue cell;
      const int rc = freexl_get_cell_value(handle, r, c, &cell);
      if (rc == FREEXL_ILLEGAL_CELL_ROW_COL) {
        record.emplace_back();
        continue;
      }
      if (rc != FREEXL_OK) return Status::Unreadable;
      record.push_back(cell_text(cell));
      if (record.back().size() > xls_wire::kMaxCellBytes) return Status::Unreadable;
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

}  // namespace

void read_sheet(const char* path, std::string_view sheet, const std::function<void(std::string_view)>& emit) {
  xls_wire::Encoder out;
  const Status status = read_records(path, sheet, out, emit);
  out.end(status);
  emit(out.take());
}

}  // namespace pagloom::xls_reader
